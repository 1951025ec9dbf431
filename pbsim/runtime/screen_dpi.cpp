#include "runtime/screen_dpi.h"

namespace pbsim {

SIZE ScreenDpi() {
    static SIZE dpi = {0, 0};
    if (dpi.cx <= 0 || dpi.cy <= 0) {
        HDC screen = GetDC(nullptr);
        if (screen) {
            dpi.cx = GetDeviceCaps(screen, LOGPIXELSX);
            dpi.cy = GetDeviceCaps(screen, LOGPIXELSY);
            ReleaseDC(nullptr, screen);
        }
        if (dpi.cx <= 0 || dpi.cy <= 0) {
            SIZE fallback = {96, 96};
            return fallback;
        }
    }
    return dpi;
}

}  // namespace pbsim
