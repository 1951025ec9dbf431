#include "datawindow/mouse_feedback.h"

#include "datawindow/dw_object.h"

// The hover highlight and the selection frame are painted once row colours,
// hover and selection are built; until then the DataWindow's own handling of
// the mouse is all there is.
void MouseMove(DWObject&, int, int) {}

void SelectionStart(DWObject&) {}
