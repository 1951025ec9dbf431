// Conversions between PowerBuilder units and pixels, from the screen's dots
// per inch: on a 96 dpi screen one pixel is 32/7 units across and 4 down.
// Results are rounded half away from zero.
#pragma once

namespace pbsim {

// Mode 1 pixels to units across, 2 pixels to units down, 3 units to pixels
// across, 4 units to pixels down; any other mode gives 0. This is what the
// runtime's FN_ConvertUnits computes for the screen's dpi.
int ConvertUnits(int value, int mode, int dpiX = 96, int dpiY = 96);

// num / den rounded half away from zero (den > 0).
long long RoundedDivide(long long num, long long den);

}  // namespace pbsim
