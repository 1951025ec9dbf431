#include "runtime/text_buffer.h"

#include <climits>
#include <string>

namespace pbsim {

LONG CopyToBuffer(const std::wstring& text, LPWSTR buffer, LONG capacity) {
    if (buffer && capacity > 0) {
        const size_t room = static_cast<size_t>(capacity) - 1;
        const size_t count = text.size() < room ? text.size() : room;
        std::char_traits<wchar_t>::copy(buffer, text.data(), count);
        buffer[count] = L'\0';
    }
    return text.size() > static_cast<size_t>(LONG_MAX) ? LONG_MAX : static_cast<LONG>(text.size());
}

std::wstring TextOrEmpty(LPCWSTR text) { return text ? std::wstring(text) : std::wstring(); }

}  // namespace pbsim
