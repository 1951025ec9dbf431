// Mouse feedback of an attached DataWindow: the hover highlight over the row
// under the mouse and the rectangular cell selection made by dragging.
#pragma once

class DWObject;

// After the DataWindow has handled a mouse move (client pixels).
void MouseMove(DWObject& dw, int x, int y);
// After the DataWindow has handled the left button going down.
void SelectionStart(DWObject& dw);
