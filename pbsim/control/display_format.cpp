#include "control/display_format.h"

#include <cmath>
#include <cstdio>

#include "model/wide_text.h"

namespace pbsim {

namespace {

bool IsMaskDigit(wchar_t c) { return c == L'0' || c == L'#'; }

// Digits of a non-negative number rounded to `decimals` places.
std::wstring FixedDigits(double value, int decimals) {
    char buffer[512] = {};
    std::snprintf(buffer, sizeof(buffer), "%.*f", decimals, value);
    std::wstring text;
    for (const char* p = buffer; *p; ++p) text += static_cast<wchar_t>(*p);
    return text;
}

std::wstring GroupThousands(const std::wstring& digits) {
    std::wstring grouped;
    const size_t n = digits.size();
    for (size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) grouped += L',';
        grouped += digits[i];
    }
    return grouped;
}

}  // namespace

std::wstring ApplyDisplayFormat(const std::wstring& value, const std::wstring& format) {
    // Only the first section of a mask (the one for positive numbers) is used.
    const std::wstring mask = format.substr(0, format.find(L';'));
    const size_t first = mask.find_first_of(L"0#");
    if (first == std::wstring::npos || EqualsNoCase(Trim(mask), L"[general]")) return value;
    double number = 0.0;
    if (!ParseNumber(value, &number) || !std::isfinite(number) || std::fabs(number) > 1e15) return value;

    // The numeric part: digit placeholders, separators and the decimal point.
    size_t begin = first;
    while (begin > 0 && (mask[begin - 1] == L',' || mask[begin - 1] == L'.')) --begin;
    size_t end = first;
    while (end < mask.size() && (IsMaskDigit(mask[end]) || mask[end] == L',' || mask[end] == L'.')) ++end;
    const std::wstring numeric = mask.substr(begin, end - begin);
    const std::wstring prefix = mask.substr(0, begin);
    const std::wstring suffix = mask.substr(end);

    const size_t point = numeric.find(L'.');
    int decimals = 0;
    if (point != std::wstring::npos) {
        for (size_t i = point + 1; i < numeric.size(); ++i) {
            if (IsMaskDigit(numeric[i])) ++decimals;
        }
    }
    const bool grouping = numeric.substr(0, point).find(L',') != std::wstring::npos;
    const bool percent = suffix.find(L'%') != std::wstring::npos;
    if (percent) number *= 100.0;

    const bool negative = number < 0;
    std::wstring digits = FixedDigits(std::fabs(number), decimals);
    std::wstring integral = digits.substr(0, digits.find(L'.'));
    std::wstring fraction = decimals > 0 ? digits.substr(digits.find(L'.')) : std::wstring();
    if (grouping) integral = GroupThousands(integral);
    // A mask such as "#.00" shows no leading zero.
    if (integral == L"0" && numeric.substr(0, point).find(L'0') == std::wstring::npos && decimals > 0) {
        integral.clear();
    }
    std::wstring shown = prefix + integral + fraction + suffix;
    const bool zero = digits.find_first_not_of(L"0.") == std::wstring::npos;
    return negative && !zero ? L"-" + shown : shown;
}

}  // namespace pbsim
