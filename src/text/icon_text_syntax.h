// The syntax of icon text: "iconfont{code}" or "iconfont{code:colour}" runs
// inside an ordinary string, split into alternating plain and icon runs.
#pragma once

#include <cstdint>
#include <vector>

#include "base/utf16_text.h"

constexpr Utf16View kIconMarker = UTF16("iconfont{");
// Strings shorter than this are never icon text.
constexpr size_t kMinIconTextLength = 12;
// Characters that fit between the braces of one run.
constexpr size_t kMaxIconContent = 127;

// True when the first count characters of text contain the marker.
bool HasIconMarker(const Utf16Char* text, size_t count);

// A decimal integer as the C runtime reads one: leading blanks, one sign,
// digits up to the first other character; no digits reads as 0. Values
// beyond 32 bits read as the nearest 32-bit limit.
long ReadDecimal(Utf16View text);

// An icon's colour as a COLORREF value (0x00bbggrr).
using IconColour = std::uint32_t;

struct IconTextSegment {
    enum Kind { kPlain = 0, kIcon = 1 };
    const Utf16Char* text = nullptr;  // plain runs: terminated inside the owner's copy
    int kind = kPlain;
    int code = 0;
    IconColour colour = 0;
    int width = 0;
    int height = 0;
};

// The runs of one string, in text order: a plain run (possibly empty), then
// for each icon an icon run and the plain run after its brace. A marker
// without its closing brace, or with more than kMaxIconContent characters
// between the braces, ends the parsing: it and the rest stay plain text.
// Icons without a colour take defaultColour.
class IconTextRuns {
public:
    IconTextRuns(Utf16View text, IconColour defaultColour);
    IconTextRuns(const IconTextRuns&) = delete;
    IconTextRuns& operator=(const IconTextRuns&) = delete;

    std::vector<IconTextSegment>& Segments() { return m_vSegments; }

private:
    Utf16String m_strCopy;
    std::vector<IconTextSegment> m_vSegments;
};
