// What the demo shows: DataWindow controls of a typical PowerBuilder window,
// enhanced by Tessel2U.
#pragma once

#include <windows.h>

struct RuntimeHost;
struct TesselApi;

struct DemoScene {
    HWND hGrid = nullptr;
    HWND hForm = nullptr;
    HWND hGraph = nullptr;
};

// Creates the controls as children of the main window and attaches them.
bool BuildScene(HWND hMain, RuntimeHost& runtime, TesselApi& tessel, DemoScene& scene);
// Detaches everything before the windows go away.
void TearDownScene(TesselApi& tessel, DemoScene& scene);
