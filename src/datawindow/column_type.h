#pragma once

#include "base/utf16_text.h"

// Whether a column type, as "#n.ColType" describes it, holds numbers:
// number, long, ulong, int, integer, real, double and decimal(n), in any
// letter case.
bool IsNumericColumnType(const Utf16String& type);
