#include "frame/sys_color_table.h"

SysColorMap& SysColorTable() {
    // Constructed on first use, before any export can read it; destroyed when
    // the library is unloaded.
    static SysColorMap table;
    return table;
}
