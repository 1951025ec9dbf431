// Dots per inch of the screen, read once; the runtime converts between its
// units and pixels with them.
#pragma once

#include <windows.h>

namespace pbsim {

SIZE ScreenDpi();

}  // namespace pbsim
