#include "header/side_bar.h"

#include "datawindow/dw_object.h"

void PaintSideBar(DWObject& dw) {
    // The side bar is drawn only while it is switched on; its painter joins
    // with the page information.
    if (!dw.m_bSideBar) return;
}
