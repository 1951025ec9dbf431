// What properties each part of a DataWindow has, and the value each answers
// when its definition does not set it. A property outside these lists exists
// only when the definition or a modify gave it: Modify keeps any property of
// a known control or band and Describe gives it back, as the runtime does.
//
// Where the runtime's documentation is silent, the stand-in has chosen:
// - "DataWindow.Syntax" and "DataWindow.Selected.Data" end every line, the
//   last one included, with a line feed alone;
// - "DataWindow.Selected" is the empty string when no cell is selected;
// - "Selected.Mouse" defaults to no, "Grid.ColumnMove" to yes;
// - a failing Modify keeps the statements before the one that failed, and
//   applies nothing of that one and of those after it.
#pragma once

#include <string>

#include "model/dw_object.h"

namespace pbsim {

// Default of a property an object of this kind always has; null when the
// kind has no such property. lowerKey is lower-case.
const wchar_t* ObjectPropertyDefault(ObjectKind kind, const std::wstring& lowerKey);

// Properties whose plain (non-expression) value must be an integer.
bool IsIntegerProperty(const std::wstring& lowerKey);

// Stored DataWindow attributes (the datawindow(...) line) and their defaults.
const wchar_t* DataWindowPropertyDefault(const std::wstring& lowerKey);
// DataWindow attributes that take yes or no (stored lower-case).
bool IsYesNoProperty(const std::wstring& lowerKey);
// DataWindow attributes that Modify may not change.
bool IsReadOnlyDataWindowProperty(const std::wstring& lowerKey);

// Band attributes (height, color, ...) and their defaults.
const wchar_t* BandPropertyDefault(const std::wstring& lowerKey);

}  // namespace pbsim
