#include "datawindow/screen_metrics.h"

#include <windows.h>

#include "base/real_functions.h"

namespace {

ScreenMetrics g_metrics;

// Integer division rounded half away from zero.
long long RoundDiv(long long num, long long den) {
    if (den == 0) return 0;
    if (den < 0) {
        num = -num;
        den = -den;
    }
    return num >= 0 ? (num + den / 2) / den : (num - den / 2) / den;
}

}  // namespace

const ScreenMetrics& GetScreenMetrics() {
    if (g_metrics.nTextHeight == 0 && g_metrics.nAveCharWidth == 0) {
        HWND desktop = GetDesktopWindow();
        HDC hdc = Real_GetDC(desktop);
        if (hdc) {
            HGDIOBJ old = SelectObject(hdc, GetStockObject(SYSTEM_FONT));
            TEXTMETRICW tm = {};
            GetTextMetricsW(hdc, &tm);
            g_metrics.nTextHeight = tm.tmHeight;
            g_metrics.nAveCharWidth = tm.tmAveCharWidth;
            g_metrics.nDpiX = GetDeviceCaps(hdc, LOGPIXELSX);
            g_metrics.nDpiY = GetDeviceCaps(hdc, LOGPIXELSY);
            SelectObject(hdc, old);
            Real_ReleaseDC(desktop, hdc);
        }
    }
    return g_metrics;
}

int ScreenConvertUnits(int value, int kind) {
    const ScreenMetrics& m = GetScreenMetrics();
    const long long v = value;
    switch (kind) {
    case 1: return static_cast<int>(RoundDiv(6144 * v, 14LL * m.nDpiX));
    case 2: return static_cast<int>(RoundDiv(768 * v, 2LL * m.nDpiY));
    case 3: return static_cast<int>(RoundDiv(7LL * m.nDpiX * v, 3072));
    case 4: return static_cast<int>(RoundDiv(static_cast<long long>(m.nDpiY) * v, 384));
    default: return 0;
    }
}
