// System colours of the whole process: GetSysColor answers from the
// replacement table when it has the index, else the system's colour.
#include "frame/real_functions.h"
#include "frame/sys_color_table.h"

DWORD WINAPI HookGetSysColor(int nIndex) {
    const SysColorMap& table = SysColorTable();
    if (!table.empty()) {
        const auto it = table.find(nIndex);
        if (it != table.end()) return it->second;
    }
    return Real_GetSysColor(nIndex);
}
