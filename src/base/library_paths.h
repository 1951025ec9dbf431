// Where the library looks for the files a host names: settings and skin
// files given without a folder lie beside the library itself.
#pragma once

#include <windows.h>

#include <cstddef>

// Folder of the library file itself, without a trailing backslash; empty when
// the module path cannot be read.
const wchar_t* LibraryFolder();
// A settings or skin file name as the library resolves it: a name without a
// backslash lives in the library's folder ("%s\%s"), other names are used as
// given. Returns false (and logs) when the result would not fit cchMax.
bool ResolveLibraryFile(const wchar_t* name, wchar_t* out, size_t cchMax);
