// Process-wide replacement table for system colours: index of GetSysColor to
// the colour answered instead. It lives as long as the library is loaded and
// survives StopTessel.
#pragma once

#include <windows.h>

#include <map>

using SysColorMap = std::map<int, COLORREF>;

SysColorMap& SysColorTable();
