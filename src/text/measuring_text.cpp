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
        out.append(copy, at, marker - at);
        out += kMeasuringPlaceholder;
        const size_t close = copy.find(Utf16Char('}'), marker + kIconMarker.size());
        if (close == Utf16String::npos) return out;
        at = close + 1;
    }
}
