// The row-number side bar in the left margin of a grid.
#pragma once

class DWObject;

void PaintSideBar(DWObject& dw);
