// The debug console: a console window titled "Debug Window" onto which the
// runtime library's standard streams are redirected.
#pragma once

#include <windows.h>

void OpenDebugConsole();
void CloseDebugConsole();
// True when the process's console carries our title (the console is open).
bool IsDebugConsoleOpen(DWORD cchTitle);
void SetDebugConsoleColor(int nAttribute);
