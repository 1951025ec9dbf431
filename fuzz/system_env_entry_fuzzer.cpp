// SystemEnvEntry: the entry always names the variable, and a replacing
// entry holds the value.
#include "base/system_env_entry.h"
#include <vector>

#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const bool replace = data[0] & 1;
    const bool unset = data[0] & 2;
    // Name, value and current value, separated by zero units.
    const Utf16String input = FuzzText(data + 1, size - 1);
    std::vector<Utf16String> texts(3);
    size_t field = 0;
    for (Utf16Char c : input) {
        if (c == 0) {
            if (++field == texts.size()) break;
        } else {
            texts[field] += c;
        }
    }
    const Utf16String& name = texts[0];
    const Utf16String& value = texts[1];
    const Utf16String& current = texts[2];
    Utf16String entry;
    const bool set = SystemEnvEntry(name.c_str(), value.c_str(), unset ? nullptr : current.c_str(), replace, &entry);
    if (!set) {
        FUZZ_CHECK(!replace && !unset && !current.empty() && current == value);
        return 0;
    }
    const Utf16String head = name + UTF16("=");
    FUZZ_CHECK(entry.compare(0, head.size(), head) == 0 || entry.size() + 1 == head.size());
    if (replace || unset || current.empty()) {
        Utf16String expected = head + value;
        if (expected.back() == ';') expected.pop_back();
        FUZZ_CHECK(entry == expected);
    } else {
        FUZZ_CHECK(entry.size() <= head.size() + current.size() + 1 + value.size());
    }
    return 0;
}
