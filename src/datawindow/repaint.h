// Repaints a window at once, client area and frame.
#pragma once

#include <windows.h>

void RepaintWithFrame(HWND hWnd);
