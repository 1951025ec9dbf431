#include "datawindow/mouse_feedback.h"

#include "datawindow/dw_object.h"

int g_nLastRow = 0;
int g_nLastCol = 0;
RECT g_rcSelection = {0, 0, 0, 0};
RECT g_rcHover = {0, 0, 0, 0};

void MouseMove(DWObject& dw, int x, int y) {
    if (dw.m_nPreview) return;
    if (GetCapture() == dw.m_hWnd) {
        SelectionMove(dw, x, y);
    } else {
        HoverMove(dw, x, y);
    }
}

bool NewCellUnder(DWObject& dw, int x, int y, bool needsHit, long* row, long* column) {
    *row = 0;
    *column = 0;
    if (!dw.m_pfnGetRowColUnderPoint) return false;
    LONG r = 0;
    LONG c = 0;
    const LONG over = dw.m_pfnGetRowColUnderPoint(dw.m_hWnd, x, y, &r, &c);
    *row = r;
    *column = c;
    if ((needsHit && over == 0) || *row <= 0 || *column <= 0) return false;
    if (*row == g_nLastRow && *column == g_nLastCol) return false;
    g_nLastRow = static_cast<int>(*row);
    g_nLastCol = static_cast<int>(*column);
    return true;
}
