#include "skin/scroll_bar_keys.h"

namespace {

constexpr IniKey<ScrollBarSkin> Colour(const wchar_t* key, IniDefault def, COLORREF ScrollBarSkin::*field) {
    return IniKey<ScrollBarSkin>{key, def, field, nullptr};
}

constexpr IniKey<ScrollBarSkin> Number(const wchar_t* key, UINT def, int ScrollBarSkin::*field) {
    return IniKey<ScrollBarSkin>{key, FixedDefault(def), nullptr, field};
}

constexpr IniKey<ScrollBarSkin> kKeys[] = {
    Colour(L"ScrollDefault", SysColorDefault(COLOR_WINDOW), &ScrollBarSkin::ScrollDefault),
    Colour(L"ScrollNormal", FixedDefault(0xE6E6E6), &ScrollBarSkin::ScrollNormal),
    Colour(L"ScrollHot", FixedDefault(0xC8C8C8), &ScrollBarSkin::ScrollHot),
    Colour(L"ScrollHover", FixedDefault(0xC8C8C8), &ScrollBarSkin::ScrollHover),
    Colour(L"ScrollPress", FixedDefault(0xC8C8C8), &ScrollBarSkin::ScrollPress),
    Colour(L"ScrollButtonNormal", FixedDefault(0xF0F0F0), &ScrollBarSkin::ScrollButtonNormal),
    Colour(L"ScrollButtonHot", FixedDefault(0xE6E6E6), &ScrollBarSkin::ScrollButtonHot),
    Colour(L"ScrollButtonHover", FixedDefault(0xE6E6E6), &ScrollBarSkin::ScrollButtonHover),
    Colour(L"ScrollButtonPress", FixedDefault(0xE6E6E6), &ScrollBarSkin::ScrollButtonPress),
    Colour(L"ScrollArrowNormal", FixedDefault(0xA0A0A0), &ScrollBarSkin::ScrollArrowNormal),
    Colour(L"ScrollArrowHot", FixedDefault(0x646464), &ScrollBarSkin::ScrollArrowHot),
    Colour(L"ScrollArrowHover", FixedDefault(0x646464), &ScrollBarSkin::ScrollArrowHover),
    Colour(L"ScrollArrowPress", FixedDefault(0x646464), &ScrollBarSkin::ScrollArrowPress),
    Number(L"Style", 3, &ScrollBarSkin::Style),
    Number(L"DrawArrowLine", 0, &ScrollBarSkin::DrawArrowLine),
    Number(L"ArrowLength", 8, &ScrollBarSkin::ArrowLength),
    Number(L"ArrowWidth", 4, &ScrollBarSkin::ArrowWidth),
    Number(L"ArrowDepth", 0, &ScrollBarSkin::ArrowDepth),
};

}  // namespace

const wchar_t kScrollBarSection[] = L"ScrollBar";
const IniKeyTable<ScrollBarSkin> kScrollBarKeys = {kKeys, sizeof(kKeys) / sizeof(kKeys[0])};
