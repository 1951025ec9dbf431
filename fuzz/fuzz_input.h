// The fuzzer's bytes as UTF-16 text: each pair of bytes one code unit, low
// byte first; an odd last byte is dropped.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/utf16_text.h"

inline Utf16String FuzzText(const uint8_t* data, size_t size) {
    Utf16String text;
    for (size_t i = 0; i + 1 < size; i += 2) text.push_back(static_cast<Utf16Char>(data[i] | (data[i + 1] << 8)));
    return text;
}
