#pragma once

#include "base/utf16_text.h"

// A describe answer read as a decimal integer: leading white space, one sign,
// digits; text without a leading number (such as "!") reads as 0.
int DWNumber(const Utf16String& text);
int DWNumber(const Utf16Char* text);
