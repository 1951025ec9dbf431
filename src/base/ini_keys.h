// A table of INI keys bound to the fields of an object: each key names its
// field and its default, and the object reads its section key by key in the
// table's order. The tables are also what the integration guide and the
// sample files in pb/ are checked against.
#pragma once

#include <windows.h>

#include <cstddef>

#include "base/ini_section.h"
#include "base/settings_cache.h"

constexpr int kNoSysColor = -1;

// The default of a key: a fixed value, or the colour that GetSysColor gives
// for a system-colour index at the moment the defaults are set.
struct IniDefault {
    int sysColor;  // index of GetSysColor, or kNoSysColor for a fixed value
    UINT value;    // the fixed value
};

constexpr IniDefault FixedDefault(UINT value) { return IniDefault{kNoSysColor, value}; }
constexpr IniDefault SysColorDefault(int index) { return IniDefault{index, 0}; }

// One key: a colour field or a number field (the other member is null).
template <class Owner>
struct IniKey {
    const wchar_t* key;
    IniDefault def;
    COLORREF Owner::*colour;
    int Owner::*number;
};

template <class Owner>
struct IniKeyTable {
    const IniKey<Owner>* keys;
    size_t count;
    const IniKey<Owner>* begin() const { return keys; }
    const IniKey<Owner>* end() const { return keys + count; }
};

inline UINT IniDefaultValue(const IniDefault& def) {
    return def.sysColor == kNoSysColor ? def.value : GetSysColor(def.sysColor);
}

// Every field of the table takes its default.
template <class Owner>
void SetIniDefaults(Owner& owner, const IniKeyTable<Owner>& table) {
    for (const IniKey<Owner>& k : table) {
        const UINT value = IniDefaultValue(k.def);
        if (k.colour) owner.*k.colour = static_cast<COLORREF>(value);
        if (k.number) owner.*k.number = static_cast<int>(value);
    }
}

// Every key of the section, in table order, each with the field's current
// value as its default.
template <class Owner>
void ReadIniKeys(Owner& owner, const IniKeyTable<Owner>& table, const IniSection& section) {
    for (const IniKey<Owner>& k : table) {
        if (k.colour) owner.*k.colour = static_cast<COLORREF>(section.Int(k.key, static_cast<INT>(owner.*k.colour)));
        if (k.number) owner.*k.number = static_cast<int>(section.Int(k.key, owner.*k.number));
    }
}

// The same from the file: its section as the settings cache holds it, or,
// when the cache has no memory left, key by key through GetPrivateProfileIntW.
template <class Owner>
void ReadIniKeys(Owner& owner, const IniKeyTable<Owner>& table, const wchar_t* section, const wchar_t* path) {
    if (const IniSection* text = CachedIniSection(path, section)) {
        ReadIniKeys(owner, table, *text);
        return;
    }
    for (const IniKey<Owner>& k : table) {
        if (k.colour)
            owner.*k.colour =
                static_cast<COLORREF>(GetPrivateProfileIntW(section, k.key, static_cast<INT>(owner.*k.colour), path));
        if (k.number) owner.*k.number = static_cast<int>(GetPrivateProfileIntW(section, k.key, owner.*k.number, path));
    }
}
