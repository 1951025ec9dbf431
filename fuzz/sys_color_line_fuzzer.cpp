// ReadSysColorLine on any line.
#include "fuzz_input.h"
#include "skin/sys_color_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SysColorLine entry;
    ReadSysColorLine(FuzzText(data, size), &entry);
    return 0;
}
