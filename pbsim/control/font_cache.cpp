#include "control/font_cache.h"

#include "model/wide_text.h"

namespace pbsim {

FontSpec ObjectFontSpec(const DataWindowModel& model, const DwObject& object, long row) {
    FontSpec spec;
    spec.face = model.EvaluateProperty(object, L"font.face", row);
    const int height = model.EvaluateInt(object, L"font.height", row);
    if (height < 0) {
        spec.height = -MulDiv(-height, model.DpiY(), 72);
    } else if (height > 0) {
        spec.height = -model.UnitsToPixelsY(height);
    } else {
        spec.height = -MulDiv(10, model.DpiY(), 72);
    }
    const int weight = model.EvaluateInt(object, L"font.weight", row);
    spec.weight = weight > 0 && weight <= 1000 ? weight : FW_NORMAL;
    spec.italic = model.EvaluateInt(object, L"font.italic", row) != 0;
    spec.underline = model.EvaluateInt(object, L"font.underline", row) != 0;
    spec.strikeOut = model.EvaluateInt(object, L"font.strikethrough", row) != 0;
    const int charset = model.EvaluateInt(object, L"font.charset", row);
    spec.charset = charset >= 0 && charset <= 255 ? charset : DEFAULT_CHARSET;
    return spec;
}

HFONT CreateObjectFont(const FontSpec& spec) {
    LOGFONTW lf = {};
    lf.lfHeight = spec.height;
    lf.lfWeight = spec.weight;
    lf.lfItalic = spec.italic ? TRUE : FALSE;
    lf.lfUnderline = spec.underline ? TRUE : FALSE;
    lf.lfStrikeOut = spec.strikeOut ? TRUE : FALSE;
    lf.lfCharSet = static_cast<BYTE>(spec.charset);
    lf.lfQuality = DEFAULT_QUALITY;
    // Faces longer than LOGFONT holds are cut.
    for (size_t i = 0; i < spec.face.size() && i + 1 < LF_FACESIZE; ++i) lf.lfFaceName[i] = spec.face[i];
    return CreateFontIndirectW(&lf);
}

HFONT FontCache::Get(const FontSpec& spec) {
    auto found = m_fonts.find(spec);
    if (found != m_fonts.end()) return found->second.Get();
    HFONT font = CreateObjectFont(spec);
    if (!font) return nullptr;
    m_fonts.emplace(spec, Font(font));
    return font;
}

}  // namespace pbsim
