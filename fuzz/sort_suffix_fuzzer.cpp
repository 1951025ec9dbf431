// SortSuffix: only the last seven characters of a longer text decide.
#include <algorithm>
#include <memory>

#include "fuzz_input.h"
#include "header/sort_suffix.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Utf16String text = FuzzText(data, size);
    // An exactly sized copy, so that a read past the text shows.
    const std::unique_ptr<Utf16Char[]> copy(new Utf16Char[text.size() ? text.size() : 1]);
    std::copy(text.begin(), text.end(), copy.get());
    const Sort sort = SortSuffix(copy.get(), text.size());
    if (sort == Sort::None) return 0;
    FUZZ_CHECK(text.size() >= 8);
    const Utf16String suffix = text.substr(text.size() - 7);
    const Utf16Char direction = sort == Sort::Ascending ? 'a' : 'd';
    FUZZ_CHECK(suffix[6] == direction || suffix[6] == direction - 'a' + 'A');
    for (size_t i = 0; i < 6; ++i) {
        const Utf16Char c = suffix[i] >= 'A' && suffix[i] <= 'Z' ? suffix[i] - 'A' + 'a' : suffix[i];
        FUZZ_CHECK(c == UTF16(" sort:")[i]);
    }
    return 0;
}
