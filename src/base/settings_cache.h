// Sections of settings files, each read once and kept while its file stays
// the same: an entry belongs to a full path and to the size and last-write
// time the file had when it was read, so a file that has been written since
// is read again. A few files are kept, the least recently used one leaves
// first; StopTessel empties the cache.
#pragma once

#include <windows.h>

#include "base/ini_section.h"

// The section of the file at path as the profile functions see it now.
// Null when the file is missing or a directory, or when memory ran out (the
// caller then asks the profile functions directly). The section stays valid
// until the next call.
const IniSection* CachedIniSection(const wchar_t* path, const wchar_t* section);

void ClearSettingsCache();
