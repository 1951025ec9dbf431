// Text colours set on an attached DataWindow's context: selected rows keep
// the text colour already chosen, so the highlight-text colour the
// DataWindow asks for is not applied; other colours and contexts reach the
// real function unchanged.
#include "base/real_functions.h"
#include "datawindow/dw_list.h"
#include "skin/sys_color_table.h"

COLORREF WINAPI HookSetTextColor(HDC hdc, COLORREF color) {
    if (!RecordOfDC(hdc) || color != Real_GetSysColor(COLOR_HIGHLIGHTTEXT)) return Real_SetTextColor(hdc, color);
    COLORREF replaced;
    return FindReplacedSysColor(COLOR_HIGHLIGHTTEXT, &replaced) ? replaced : GetSysColor(COLOR_WINDOWTEXT);
}
