// SystemEnvEntry on any name, value and current value (separated by zero
// units; the first byte chooses replacing and an unset current value).
#include "base/system_env_entry.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    Utf16String texts[3];
    size_t field = 0;
    for (Utf16Char c : FuzzText(data + 1, size - 1)) {
        if (c != 0) texts[field] += c;
        else if (++field == 3) break;
    }
    Utf16String entry;
    SystemEnvEntry(texts[0].c_str(), texts[1].c_str(), data[0] & 2 ? nullptr : texts[2].c_str(), data[0] & 1, &entry);
    return 0;
}
