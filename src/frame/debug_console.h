// The debug console: a console window titled "Debug Window" onto which the
// runtime library's standard streams are redirected.
#pragma once

#include <windows.h>

// Opens the console and greys out the Close command of every console window
// titled "Debug Window" (another process's too).
void OpenDebugConsole();
// The same from the loader (DllMain): only the process's own console window
// is touched; no window is enumerated and no message is sent.
void OpenDebugConsoleAtLoad();
void CloseDebugConsole();
// True when the process's console carries our title (the console is open).
bool IsDebugConsoleOpen(DWORD cchTitle);
void SetDebugConsoleColor(int nAttribute);
