// Fonts of the objects of a DataWindow, made once per paint for each distinct
// face, size and style, and deleted when the paint is over.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <tuple>

#include "control/gdi_objects.h"
#include "model/datawindow_model.h"

namespace pbsim {

struct FontSpec {
    std::wstring face;
    int height = 0;  // pixels (LOGFONT height: negative for a character height)
    int weight = FW_NORMAL;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int charset = DEFAULT_CHARSET;

    bool operator<(const FontSpec& other) const {
        return std::tie(face, height, weight, italic, underline, strikeOut, charset) <
               std::tie(other.face, other.height, other.weight, other.italic, other.underline, other.strikeOut,
                        other.charset);
    }
};

// The font properties of an object for a row. font.height is in points when
// negative (-10 is 10 points) and in the DataWindow's units when positive.
FontSpec ObjectFontSpec(const DataWindowModel& model, const DwObject& object, long row);

// A font with those attributes, owned by the caller; null on failure.
HFONT CreateObjectFont(const FontSpec& spec);

class FontCache {
public:
    FontCache() = default;
    FontCache(const FontCache&) = delete;
    FontCache& operator=(const FontCache&) = delete;

    // Null only when the system cannot make the font.
    HFONT Get(const FontSpec& spec);

private:
    std::map<FontSpec, Font> m_fonts;
};

}  // namespace pbsim
