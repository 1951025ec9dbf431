// System colours of the whole process: GetSysColor answers from the
// replacement table when it has the index, else the system's colour. This
// replacement serves every thread (the table is immutable).
#include "base/real_functions.h"
#include "skin/sys_color_table.h"

DWORD WINAPI HookGetSysColor(int nIndex) {
    COLORREF colour;
    if (FindReplacedSysColor(nIndex, &colour)) return colour;
    return Real_GetSysColor(nIndex);
}
