// The keys of section "ScrollBar" (skin files and DataWindow settings files),
// with the field of ScrollBarSkin each one sets and the default LoadSkin
// gives it, in the order LoadSkin reads them.
#pragma once

#include "base/ini_keys.h"
#include "skin/scroll_bar_skin.h"

extern const wchar_t kScrollBarSection[];
extern const IniKeyTable<ScrollBarSkin> kScrollBarKeys;
