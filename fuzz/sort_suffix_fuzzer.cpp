// SortSuffix on any text, read from an exactly sized copy.
#include <algorithm>
#include <memory>

#include "fuzz_input.h"
#include "header/sort_suffix.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Utf16String text = FuzzText(data, size);
    const std::unique_ptr<Utf16Char[]> copy(new Utf16Char[text.size()]);
    std::copy(text.begin(), text.end(), copy.get());
    SortSuffix(copy.get(), text.size());
    return 0;
}
