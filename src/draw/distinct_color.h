// Well-separated random colours for the polygons of DataWindow graphs.
#pragma once

#include <windows.h>

class DWObject;

// A colour that is not black, at most 0xE6E6E6 and at least 200 away (over
// the three channels) from the one chosen before, anywhere in the process;
// mapped to the nearest colour of hdc when hdc is not null. The record's lock
// serialises the choice.
COLORREF NextDistinctColor(DWObject& dw, HDC hdc);
// The same under any lock.
COLORREF NextDistinctColor(CRITICAL_SECTION& lock, HDC hdc);
