// What the demo shows: a window of a typical PowerBuilder application — a
// staff grid of a few hundred rows, a freeform DataWindow, a graph, a list
// box, buttons and texts — enhanced by Tessel2U as a PowerBuilder script
// would do it, and the scenes that its screenshots show.
#pragma once

#include <windows.h>

struct RuntimeHost;
struct TesselApi;

struct DemoScene {
    HWND hMain = nullptr;  // the application's runtime window
    HWND hGrid = nullptr;
    HWND hForm = nullptr;
    HWND hGraph = nullptr;
    HWND hInfo = nullptr;  // the grid's information target (selection statistics, page information)
    HWND hList = nullptr;  // a runtime list box
    HWND hAbout = nullptr;
    HWND hScrollBar = nullptr;  // a scroll-bar control of the host window, skinned
    HWND hToolbar = nullptr;    // a strip in the button-face colour
    HFONT hFont = nullptr;      // the window's control font, as a PowerBuilder window sets it
    RuntimeHost* runtime = nullptr;
    TesselApi* tessel = nullptr;  // null: the same window without Tessel2U
    bool descending = true;       // the salary column's sort mark
};

// The scenes, in the order the demo command writes them.
extern const wchar_t* const kSceneNames[];
extern const int kSceneCount;

// Creates the application window with its controls and, with Tessel2U,
// attaches and decorates them.
bool BuildScene(RuntimeHost& runtime, TesselApi* tessel, DemoScene& scene);
// What happens before a scene's screenshot (see kSceneNames); false for an
// unknown scene.
bool PlayScene(const wchar_t* name, DemoScene& scene);
// A click on the grid's header, as a PowerBuilder application answers it in
// its clicked event: the salary column's sort mark turns around.
void ToggleSort(DemoScene& scene);
// Detaches everything before the windows go away.
void TearDownScene(DemoScene& scene);
