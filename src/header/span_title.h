// Span titles: a caption above the header texts of several adjacent columns.
#pragma once

#include <windows.h>

class DWObject;

// 1 when the span title was created or updated; 0 for fewer than two columns
// or a column list too long for an object name.
int ApplySpanTitle(DWObject& dw, LPCWSTR columns, LPCWSTR caption, LPCWSTR face, int fontHeight, int grow);
