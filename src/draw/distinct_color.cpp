#include "draw/distinct_color.h"

#include <cmath>
#include <cstdlib>

#include "datawindow/dw_object.h"

namespace {

// The colour chosen last, shared by every DataWindow of the process.
COLORREF g_clrLastDistinct = 0xFFFFFFFF;

double Distance(COLORREF a, COLORREF b) {
    const double dr = static_cast<double>(GetRValue(a)) - GetRValue(b);
    const double dg = static_cast<double>(GetGValue(a)) - GetGValue(b);
    const double db = static_cast<double>(GetBValue(a)) - GetBValue(b);
    return std::sqrt(dr * dr + dg * dg + db * db);
}

// One byte from the generator the library seeded at load.
unsigned RandomByte() { return static_cast<unsigned>(std::rand()) % 256; }

}  // namespace

COLORREF NextDistinctColor(DWObject& dw, HDC hdc) { return NextDistinctColor(dw.m_cs, hdc); }

COLORREF NextDistinctColor(CRITICAL_SECTION& lock, HDC hdc) {
    EnterCriticalSection(&lock);
    COLORREF candidate = 0;
    for (;;) {
        const unsigned blue = RandomByte();
        const unsigned green = RandomByte();
        const unsigned red = RandomByte();
        candidate = (blue << 16) | (green << 8) | red;
        if (candidate != 0 && candidate <= 0xE6E6E6 && Distance(candidate, g_clrLastDistinct) >= 200.0) break;
    }
    if (hdc) candidate = GetNearestColor(hdc, candidate);
    g_clrLastDistinct = candidate;
    LeaveCriticalSection(&lock);
    return candidate;
}
