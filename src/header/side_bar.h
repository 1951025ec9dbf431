// The row-number side bar in the left margin of a grid.
#pragma once

class DWObject;

void PaintSideBar(DWObject& dw);
// Switches the side bar on (a 48-pixel left margin) or off (1 pixel) and has
// the frame recalculated.
void SetSideBar(DWObject& dw, bool on);
