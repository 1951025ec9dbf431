#include "control/pb_color.h"

#include "model/wide_text.h"

namespace pbsim {

bool IsTransparentColor(long value) { return value == kTransparentColor; }

COLORREF ResolveColor(long value) {
    switch (value) {
    case 33554432: return GetSysColor(COLOR_WINDOWTEXT);
    case 67108864: return GetSysColor(COLOR_BTNFACE);
    case 134217728: return GetSysColor(COLOR_SCROLLBAR);
    case 268435456: return GetSysColor(COLOR_APPWORKSPACE);
    case 1073741824: return GetSysColor(COLOR_WINDOW);
    default: break;
    }
    return static_cast<COLORREF>(static_cast<unsigned long>(value) & 0x00FFFFFFUL);
}

long ColorValue(const std::wstring& text) { return LeadingInteger(text); }

}  // namespace pbsim
