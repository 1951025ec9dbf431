// The text that stands for icon text when it is measured.
#pragma once

#include "text/utf16_text.h"

// One full-width ideograph stands for each icon.
constexpr Utf16Char kMeasuringPlaceholder = 0x56DE;

// The first count characters of text with each icon run replaced by one
// placeholder; a run without its closing brace takes the rest of the text.
Utf16String MeasuringText(const Utf16Char* text, int count);
