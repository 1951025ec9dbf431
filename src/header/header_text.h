// Texts an attached DataWindow draws: progress cells ("progress{45}") as
// gradient bars, header texts ending in " sort:A" or " sort:D" with a sort
// mark, and every text placed vertically in its cell.
#pragma once

#include <windows.h>

class DWObject;

// 1 when a progress cell or icon text was drawn, else the real DrawTextExW's
// result. The text may be shortened in place; the rectangle's top is kept.
int DrawHeaderText(DWObject& dw, HDC hdc, LPWSTR text, int count, RECT* rect, UINT format, LPDRAWTEXTPARAMS params);
// 1 when text is a progress cell with a positive percentage and was drawn.
int DrawProgressCell(HDC hdc, const wchar_t* text, const RECT* cell);
