#include "text/icon_text_syntax.h"

#include <climits>
#include <cwctype>

bool HasIconMarker(const wchar_t* text, size_t count) {
    return text && count >= kIconMarker.size() &&
           std::wstring_view(text, count).find(kIconMarker) != std::wstring_view::npos;
}

long ReadDecimal(std::wstring_view text) {
    size_t i = 0;
    while (i < text.size() && std::iswspace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        if (value <= LONG_MAX) value = value * 10 + (text[i] - L'0');
    }
    if (negative) value = -value;
    if (value > LONG_MAX) return LONG_MAX;
    if (value < LONG_MIN) return LONG_MIN;
    return static_cast<long>(value);
}

IconTextRuns::IconTextRuns(std::wstring_view text, COLORREF defaultColour) : m_strCopy(text) {
    // Plain runs are terminated in place, so the copy gets one terminator
    // per run at most: the brace of each icon run and the marker's first
    // character are overwritten, never extended.
    std::vector<std::pair<size_t, size_t>> plain;  // start, end in the copy
    size_t at = 0;
    for (;;) {
        const size_t marker = m_strCopy.find(kIconMarker, at);
        if (marker == std::wstring::npos) break;
        const size_t content = marker + kIconMarker.size();
        const size_t close = m_strCopy.find(L'}', content);
        if (close == std::wstring::npos || close - content > kMaxIconContent) break;
        plain.emplace_back(at, marker);
        const std::wstring_view body(m_strCopy.data() + content, close - content);
        IconTextSegment icon;
        icon.kind = IconTextSegment::kIcon;
        icon.code = static_cast<int>(ReadDecimal(body));
        const size_t colon = body.find(L':');
        icon.colour = colon == std::wstring_view::npos ? defaultColour
                                                        : static_cast<COLORREF>(ReadDecimal(body.substr(colon + 1)));
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
        if (end < m_strCopy.size()) m_strCopy[end] = L'\0';
        m_vSegments[i].text = m_strCopy.c_str() + start;
    }
}
