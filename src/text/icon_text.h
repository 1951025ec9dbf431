// Icon-font text: strings that carry "iconfont{code}" runs, drawn with the
// glyphs of the icon font in place of the runs. Each entry makes a renderer
// on the icon font for one call, at the size of the context's font plus two.
#pragma once

#include <windows.h>

// Draws the text (to its terminating zero) with its top-left at (x, y); 1
// when it drew, 0 when the text is left to the caller (no icon text).
int DrawIconTextAt(const wchar_t* text, HDC hdc, int x, int y);
// Draws the text into rect with the DrawText format's alignment.
int DrawIconTextInRect(const wchar_t* text, RECT* rect, HDC hdc, UINT format);
// Draws count characters of text at (x, y); declines also when the icon font
// file does not exist, so that the caller draws the text with its markers.
int DrawIconTextCounted(const wchar_t* text, int count, HDC hdc, int x, int y);
