#include "datawindow/settings_keys.h"

namespace {

constexpr IniKey<DWObject> Colour(const wchar_t* key, IniDefault def, COLORREF DWObject::*field) {
    return IniKey<DWObject>{key, def, field, nullptr};
}

constexpr IniKey<DWObject> kKeys[] = {
    {L"lineStyle", FixedDefault(0), nullptr, &DWObject::m_nLineStyle},
    Colour(L"lineColor", SysColorDefault(COLOR_3DLIGHT), &DWObject::m_clrGridLine),
    Colour(L"borderColor", FixedDefault(0xB4B4B4), &DWObject::m_clrBorder),
    Colour(L"backColor", FixedDefault(0xFFFFFF), &DWObject::m_clrBack),
    Colour(L"SelectRowColor", FixedDefault(0xFFD5AA), &DWObject::m_clrSelectRow),
    Colour(L"SelectedColor", FixedDefault(0xFFD5AA), &DWObject::m_clrSelected),
    Colour(L"AlterColor", FixedDefault(0xFFFFFF), &DWObject::m_clrAlter),
    Colour(L"HoverColor", FixedDefault(0xFFFFFF), &DWObject::m_clrHover),
    Colour(L"HeaderColor", FixedDefault(0xFFFFFF), &DWObject::m_clrHeader),
};

}  // namespace

const wchar_t kDataWindowSection[] = L"datawindow";
const IniKeyTable<DWObject> kDataWindowKeys = {kKeys, sizeof(kKeys) / sizeof(kKeys[0])};
