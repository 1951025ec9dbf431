#include "skin/sys_color_line.h"

#include <vector>

#include "datawindow/dw_number.h"
#include "datawindow/split_string.h"

bool ReadSysColorLine(const Utf16String& line, SysColorLine* out) {
    const std::vector<Utf16String> pieces = SplitString(line, UTF16("="));
    if (pieces.size() < 2) return false;
    const Utf16Char* colour = pieces[1].c_str();
    while (*colour == ' ' || *colour == '\r' || *colour == '\n') ++colour;
    out->index = DWNumber(pieces[0]);
    out->hasColour = *colour != 0;
    out->colour = out->hasColour ? static_cast<std::uint32_t>(DWNumber(colour)) : 0;
    return true;
}
