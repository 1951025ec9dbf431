#include "model/escapes.h"

namespace pbsim {

static int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

size_t DecodeTildeEscape(const std::wstring& text, size_t pos, std::wstring& out) {
    size_t i = pos + 1;
    if (i >= text.size()) {
        out += L'~';
        return i;
    }
    const wchar_t c = text[i];
    switch (c) {
    case L't': out += L'\t'; return i + 1;
    case L'r': out += L'\r'; return i + 1;
    case L'n': out += L'\n'; return i + 1;
    case L'f': out += L'\f'; return i + 1;
    case L'v': out += L'\v'; return i + 1;
    case L'b': out += L'\b'; return i + 1;
    default: break;
    }
    if (c >= L'0' && c <= L'9') {
        // Up to three decimal digits form a character code (~065 is 'A').
        unsigned code = 0;
        size_t n = 0;
        while (n < 3 && i < text.size() && text[i] >= L'0' && text[i] <= L'9') {
            code = code * 10 + static_cast<unsigned>(text[i] - L'0');
            ++i;
            ++n;
        }
        out += static_cast<wchar_t>(code);
        return i;
    }
    if ((c == L'h' || c == L'H') && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 && HexDigit(text[i + 2]) >= 0) {
        out += static_cast<wchar_t>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
        return i + 3;
    }
    out += c;  // ~' ~" ~~ and any other character stand for themselves
    return i + 1;
}

std::wstring DecodeTildes(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == L'~') {
            i = DecodeTildeEscape(text, i, out);
        } else {
            out += text[i++];
        }
    }
    return out;
}

std::wstring EscapeForDoubleQuotes(const std::wstring& value) {
    std::wstring out;
    out.reserve(value.size() + 8);
    for (wchar_t c : value) {
        switch (c) {
        case L'~': out += L"~~"; break;
        case L'"': out += L"~\""; break;
        case L'\t': out += L"~t"; break;
        case L'\r': out += L"~r"; break;
        case L'\n': out += L"~n"; break;
        default: out += c; break;
        }
    }
    return out;
}

}  // namespace pbsim
