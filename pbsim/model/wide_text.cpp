#include "model/wide_text.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace pbsim {

std::wstring ToLowerAscii(std::wstring text) {
    for (wchar_t& c : text) {
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return text;
}

static wchar_t LowerAscii(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

bool EqualsNoCase(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    }
    return true;
}

bool StartsWithNoCase(const std::wstring& text, const std::wstring& prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (LowerAscii(text[i]) != LowerAscii(prefix[i])) return false;
    }
    return true;
}

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

std::wstring Trim(const std::wstring& text) {
    size_t b = 0;
    size_t e = text.size();
    while (b < e && IsBlank(text[b])) ++b;
    while (e > b && IsBlank(text[e - 1])) --e;
    return text.substr(b, e - b);
}

int LeadingInteger(const std::wstring& text) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    long long value = 0;
    while (i < text.size() && text[i] >= L'0' && text[i] <= L'9') {
        value = value * 10 + (text[i] - L'0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
        ++i;
    }
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    if (value < INT_MIN) value = INT_MIN;
    return static_cast<int>(value);
}

bool ParseNumber(const std::wstring& text, double* value) {
    const std::wstring t = Trim(text);
    if (t.empty()) return false;
    // Only plain decimal notation: no hexadecimal, infinity or NaN spellings.
    size_t i = 0;
    if (t[i] == L'+' || t[i] == L'-') ++i;
    size_t digits = 0;
    while (i < t.size() && t[i] >= L'0' && t[i] <= L'9') {
        ++i;
        ++digits;
    }
    if (i < t.size() && t[i] == L'.') {
        ++i;
        while (i < t.size() && t[i] >= L'0' && t[i] <= L'9') {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) return false;
    if (i < t.size() && (t[i] == L'e' || t[i] == L'E')) {
        size_t j = i + 1;
        if (j < t.size() && (t[j] == L'+' || t[j] == L'-')) ++j;
        size_t expDigits = 0;
        while (j < t.size() && t[j] >= L'0' && t[j] <= L'9') {
            ++j;
            ++expDigits;
        }
        if (expDigits == 0) return false;
        i = j;
    }
    if (i != t.size()) return false;
    std::string narrow(t.begin(), t.end());  // only ASCII characters got here
    const double v = std::strtod(narrow.c_str(), nullptr);
    if (!std::isfinite(v)) return false;
    if (value) *value = v;
    return true;
}

std::wstring FormatNumber(double value) {
    if (!std::isfinite(value)) return L"0";
    if (value == std::floor(value) && std::fabs(value) < 1e15) {
        return IntToText(static_cast<long long>(value));
    }
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", value);
    std::string s(buf);
    return std::wstring(s.begin(), s.end());
}

std::wstring IntToText(long long value) {
    // Digits from the magnitude, kept unsigned so that the smallest value works.
    unsigned long long magnitude =
        value < 0 ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    std::wstring digits;
    do {
        digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) digits.insert(digits.begin(), L'-');
    return digits;
}

}  // namespace pbsim
