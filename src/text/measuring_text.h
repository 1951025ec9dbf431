// The text that stands for icon text when it is measured.
#pragma once

#include "base/utf16_text.h"

// One full-width ideograph stands for each icon.
constexpr Utf16Char kMeasuringPlaceholder = 0x56DE;

// The first count characters of text with each icon run replaced by one
// placeholder. A marker that opens no icon run (no closing brace, or too much
// before it) stays text from there on, as the text is drawn.
Utf16String MeasuringText(const Utf16Char* text, int count);
