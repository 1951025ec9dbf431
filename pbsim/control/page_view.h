// Pages of a DataWindow outside the normal screen view: the print preview
// (a page on a grey desk, drawn into the control) and printing into a device
// context.
#pragma once

#include <windows.h>

#include "model/datawindow_model.h"

namespace pbsim {

// Margin between the page's edge and its content, in screen pixels.
const int kPreviewPageMargin = 24;
// Distance of the page from the control's edges.
const int kPreviewDeskMargin = 12;

// The preview of the page whose first row is `firstRow`.
void PaintPreview(HDC dc, const DataWindowModel& model, int clientWidth, int clientHeight, long firstRow);

// Prints the rows into dc and returns the number of pages. A printer context
// gets a document of as many pages as the rows need, scaled from screen
// pixels to printer resolution; any other context gets the first page at
// its origin, sized to the bitmap selected into it (or to the device).
long PrintPages(HDC dc, const DataWindowModel& model, const wchar_t* documentName);

}  // namespace pbsim
