// One line of a skin file's SysColor section: "index=colour", both decimal
// numbers; an empty colour stands for the system's own colour.
#pragma once

#include <cstdint>

#include "base/utf16_text.h"

struct SysColorLine {
    int index = 0;
    bool hasColour = false;    // false: the system's own colour
    std::uint32_t colour = 0;  // a COLORREF value when hasColour
};

// False for a line without "=": it names no colour.
bool ReadSysColorLine(const Utf16String& line, SysColorLine* out);
