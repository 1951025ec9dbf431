// A PowerBuilder developer's own DataWindow, seen with and without Tessel2U:
// the exported source (.srd) is opened twice side by side, the right one
// attached with a settings file, its side bar on, a cell selection dragged
// and the mouse over a row.
#pragma once

#include <windows.h>

#include <string>

struct RuntimeHost;
struct TesselApi;

struct SrdPreview {
    HWND hMain = nullptr;
    HWND hPlain = nullptr;     // without Tessel2U
    HWND hEnhanced = nullptr;  // attached
    HWND hInfo = nullptr;      // the statistics of the selection
    HFONT hFont = nullptr;
    RuntimeHost* runtime = nullptr;
    TesselApi* tessel = nullptr;
};

// Builds the window; false (with the reason on stderr) when the source cannot
// be read.
bool BuildSrdPreview(RuntimeHost& runtime, TesselApi& tessel, const std::wstring& srd, const std::wstring& settings,
                     SrdPreview& preview);
// The selection and the hover over the right DataWindow, just before the
// screenshot (the DataWindow's next paint takes both away).
void PlaySrdPreview(SrdPreview& preview);
void TearDownSrdPreview(SrdPreview& preview);
