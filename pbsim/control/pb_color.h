// Colour values as a DataWindow writes them: a decimal COLORREF
// (0x00BBGGRR), the transparent value 536870912, or one of the system-colour
// values (33554432 window text, 67108864 button face, 134217728 scroll bar,
// 268435456 application workspace, 1073741824 window background).
#pragma once

#include <windows.h>

#include <string>

namespace pbsim {

const long kTransparentColor = 536870912;

// True when the value paints nothing (the transparent value).
bool IsTransparentColor(long value);

// The colour to paint with; the system colours are read from the system,
// any other value with bits above the colour bytes keeps its colour bytes.
COLORREF ResolveColor(long value);

// A property text read as a colour value (its leading decimal number).
long ColorValue(const std::wstring& text);

}  // namespace pbsim
