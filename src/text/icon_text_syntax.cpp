#include "text/icon_text_syntax.h"

#include <cstdint>
#include <cwctype>

bool HasIconMarker(const Utf16Char* text, size_t count) {
    return text && count >= kIconMarker.size() && Utf16View(text, count).find(kIconMarker) != Utf16View::npos;
}

long ReadDecimal(Utf16View text) {
    constexpr long long kMax = INT32_MAX;
    constexpr long long kMin = INT32_MIN;
    size_t i = 0;
    while (i < text.size() && std::iswspace(static_cast<wint_t>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value <= kMax) value = value * 10 + (text[i] - '0');
    }
    if (negative) value = -value;
    if (value > kMax) return static_cast<long>(kMax);
    if (value < kMin) return static_cast<long>(kMin);
    return static_cast<long>(value);
}

IconTextRuns::IconTextRuns(Utf16View text, IconColour defaultColour) : m_strCopy(text) {
    // Plain runs are terminated in place, so the copy gets one terminator
    // per run at most: the brace of each icon run and the marker's first
    // character are overwritten, never extended.
    std::vector<std::pair<size_t, size_t>> plain;  // start, end in the copy
    size_t at = 0;
    for (;;) {
        const size_t marker = m_strCopy.find(kIconMarker, at);
        if (marker == Utf16String::npos) break;
        const size_t content = marker + kIconMarker.size();
        const size_t close = m_strCopy.find(Utf16Char('}'), content);
        if (close == Utf16String::npos || close - content > kMaxIconContent) break;
        plain.emplace_back(at, marker);
        const Utf16View body(m_strCopy.data() + content, close - content);
        IconTextSegment icon;
        icon.kind = IconTextSegment::kIcon;
        icon.code = static_cast<int>(ReadDecimal(body));
        const size_t colon = body.find(Utf16Char(':'));
        icon.colour =
            colon == Utf16View::npos ? defaultColour : static_cast<IconColour>(ReadDecimal(body.substr(colon + 1)));
        m_vSegments.push_back(IconTextSegment());  // the plain run before, filled below
        m_vSegments.push_back(icon);
        at = close + 1;
    }
    plain.emplace_back(at, m_strCopy.size());
    m_vSegments.push_back(IconTextSegment());

    // Terminate every plain run; the character after a run is the marker's
    // first character or the end of the copy.
    for (size_t i = 0, run = 0; i < m_vSegments.size(); ++i) {
        if (m_vSegments[i].kind != IconTextSegment::kPlain) continue;
        const size_t start = plain[run].first;
        const size_t end = plain[run].second;
        ++run;
        if (end < m_strCopy.size()) m_strCopy[end] = 0;
        m_vSegments[i].text = m_strCopy.c_str() + start;
    }
}
