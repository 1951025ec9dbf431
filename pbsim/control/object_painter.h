// Paints one object of a DataWindow band: texts, columns and computed fields
// (background, border, text), buttons, lines and graphs.
#pragma once

#include <windows.h>

#include "control/control_layout.h"
#include "control/font_cache.h"

namespace pbsim {

struct ObjectPaintState {
    bool highlighted = false;  // the object lies in a selected row or cell
};

// Paints `object` as shown in `detailRow` (the detail row for objects of the
// detail band; ignored for the other bands). Invisible objects paint nothing.
void PaintObject(HDC dc, const ControlLayout& layout, const DwObject& object, long detailRow, FontCache& fonts,
                 const ObjectPaintState& state);

}  // namespace pbsim
