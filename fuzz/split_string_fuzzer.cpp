// SplitString: the parts and their delimiters give the text back.
#include "datawindow/split_string.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Utf16String input = FuzzText(data, size);
    // The first units up to a zero are the delimiters, the rest the text.
    const size_t zero = input.find(Utf16Char(0));
    const Utf16String delimiters = zero == Utf16String::npos ? Utf16String() : input.substr(0, zero);
    const Utf16String text = zero == Utf16String::npos ? input : input.substr(zero + 1);
    const std::vector<Utf16String> parts = SplitString(text, delimiters.c_str());
    FUZZ_CHECK(!parts.empty());
    size_t total = parts.size() - 1;
    for (const Utf16String& part : parts) {
        total += part.size();
        for (Utf16Char c : part) FUZZ_CHECK(c == 0 || delimiters.find(c) == Utf16String::npos);
    }
    FUZZ_CHECK(total == text.size());
    size_t at = 0;
    for (const Utf16String& part : parts) {
        FUZZ_CHECK(text.compare(at, part.size(), part) == 0);
        at += part.size() + 1;
    }
    FUZZ_CHECK(SplitString(text, nullptr).size() == 1);
    return 0;
}
