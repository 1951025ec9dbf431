// ReadSysColorLine: only lines with "=" name a colour; the index is the
// number before it.
#include "datawindow/dw_number.h"
#include "fuzz_input.h"
#include "skin/sys_color_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Utf16String line = FuzzText(data, size);
    SysColorLine entry;
    const bool read = ReadSysColorLine(line, &entry);
    const size_t equals = line.find(Utf16Char('='));
    FUZZ_CHECK(read == (equals != Utf16String::npos));
    if (!read) return 0;
    FUZZ_CHECK(entry.index == DWNumber(line.substr(0, equals)));
    if (!entry.hasColour) FUZZ_CHECK(entry.colour == 0);
    return 0;
}
