// Process-wide replacement table for system colours: index of GetSysColor to
// the colour answered instead. It lives as long as the library is loaded and
// survives StopTessel.
//
// The table in force is immutable: any thread looks colours up without a
// lock. The owning thread changes it by publishing a new table as a whole;
// the table it replaces is retired, and freed by ReleaseRetiredSysColorTables
// once no other thread can still be reading it.
#pragma once

#include <windows.h>

#include <map>

// Any thread: the replacement colour of the index, false when it has none.
bool FindReplacedSysColor(int index, COLORREF* colour);

// The owning thread: one colour replaced (or added), or the whole table
// replaced. Both throw std::bad_alloc, leaving the table in force as it was.
void ReplaceOneSysColor(int index, COLORREF colour);
void PublishSysColors(const std::map<int, COLORREF>& colours);

// The owning thread, when no other thread is inside a replacement.
void ReleaseRetiredSysColorTables();
