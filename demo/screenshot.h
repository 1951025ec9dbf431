#pragma once
#include <windows.h>
#include <string>

// Copies what the screen shows of the window (frame included) into a PNG file.
bool SaveWindowScreenshot(HWND hWnd, const std::wstring& path);
