// Paints a page of a DataWindow: the control's background, the bands with
// their objects, the rows of the detail band with their colours and
// selection, the grid lines and header cell borders of a grid, the
// current-cell focus mark and the foreground and background layers.
#pragma once

#include <windows.h>

#include "control/control_layout.h"

namespace pbsim {

enum class PaintPurpose { Screen, Preview, Print };

struct PagePaintOptions {
    PaintPurpose purpose = PaintPurpose::Screen;
    // The current cell's focus mark (screen only).
    bool focusMark = true;
};

// Colour of a grid's lines between rows and columns.
const COLORREF kGridLineColor = RGB(192, 192, 192);

// Paints the page of `layout` into dc, with the page's top-left corner at
// the context's logical origin.
void PaintPage(HDC dc, const ControlLayout& layout, const PagePaintOptions& options);

}  // namespace pbsim
