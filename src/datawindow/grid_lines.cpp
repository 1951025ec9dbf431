#include "datawindow/grid_lines.h"

#include "datawindow/dw_object.h"
#include "base/real_functions.h"

BOOL PaintGridLine(DWObject& dw, HDC hdc, int x, int y) {
    LOGPEN current = {};
    GetObjectW(GetCurrentObject(hdc, OBJ_PEN), sizeof(current), &current);
    const bool thin = current.lopnWidth.x == 1;
    const int style = dw.m_nProcessing == 1 && thin ? dw.m_nLineStyle : static_cast<int>(current.lopnStyle);
    const int width = dw.m_nProcessing == 1 && thin ? 1 : current.lopnWidth.x;
    HPEN pen = CreatePen(style, width, dw.m_clrGridLine);
    HGDIOBJ previous = SelectObject(hdc, pen);
    const BOOL result = Real_LineTo(hdc, x, y);
    SelectObject(hdc, previous);
    DeleteObject(pen);
    return result;
}
