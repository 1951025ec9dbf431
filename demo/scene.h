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
    HWND hInfo = nullptr;  // the grid's information target (selection statistics)
    HFONT hFont = nullptr;  // the window's control font, as a PowerBuilder window sets it
    HWND hScrollBar = nullptr;  // a scroll-bar control of the host window, skinned
    HWND hToolbar = nullptr;    // a strip in the button-face colour
    RuntimeHost* runtime = nullptr;
    TesselApi* tessel = nullptr;
    bool descending = true;  // the salary column's sort mark
};

// Creates the controls as children of the main window and attaches them.
bool BuildScene(HWND hMain, RuntimeHost& runtime, TesselApi& tessel, DemoScene& scene);
// What happens before a scene's screenshot: "hover" rests the mouse over a
// row, "selection" drags over a block of cells, "skin" loads the skin file
// demo-skin.ini; anything else does nothing.
void PlayScene(const wchar_t* name, DemoScene& scene);
// A click on the grid's header, as a PowerBuilder application answers it in
// the clicked event: the salary column's sort mark turns around.
void ToggleSort(DemoScene& scene);
// Detaches everything before the windows go away.
void TearDownScene(TesselApi& tessel, DemoScene& scene);
