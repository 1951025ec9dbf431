// The keys of section "datawindow" of a DataWindow's settings file, with the
// field each one sets and its default, in the order LoadSettings reads them.
#pragma once

#include "datawindow/dw_object.h"
#include "base/ini_keys.h"

extern const wchar_t kDataWindowSection[];
extern const IniKeyTable<DWObject> kDataWindowKeys;
