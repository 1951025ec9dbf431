#include "text/measuring_text.h"

#include "text/icon_text_syntax.h"

Utf16String MeasuringText(const Utf16Char* text, int count) {
    const Utf16String copy(text, static_cast<size_t>(count));
    Utf16String out;
    size_t at = 0;
    for (;;) {
        const size_t marker = copy.find(kIconMarker, at);
        if (marker == Utf16String::npos) {
            out.append(copy, at, Utf16String::npos);
            return out;
        }
        // A marker without its closing brace (or with more than an icon's
        // content before it) is drawn as text, so it is measured as text.
        const size_t content = marker + kIconMarker.size();
        const size_t close = copy.find(Utf16Char('}'), content);
        if (close == Utf16String::npos || close - content > kMaxIconContent) {
            out.append(copy, at, Utf16String::npos);
            return out;
        }
        out.append(copy, at, marker - at);
        out += kMeasuringPlaceholder;
        at = close + 1;
    }
}
