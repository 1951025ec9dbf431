// Icon-font text: strings that carry "iconfont{code}" runs, drawn with the
// glyphs of the icon font in place of the runs.
#pragma once

#include <windows.h>

// Draws text, with its icon runs, into rect; 1 when it drew, 0 when the text
// is left to the caller (no icon run, or no icon font).
int DrawIconTextInRect(const wchar_t* text, RECT* rect, HDC hdc, UINT format);
