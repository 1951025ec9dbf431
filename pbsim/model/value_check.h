// Checks a value before it is stored in a property: expressions must read as
// expressions, plain values of numeric properties must be integers.
#pragma once

#include <string>

namespace pbsim {

// True when the value may be stored under the (lower-case) key; otherwise
// *message is one of the error texts and *offset the offset inside the value
// where the problem lies.
bool CheckPropertyValue(const std::wstring& lowerKey, const std::wstring& value, const wchar_t** message,
                        size_t* offset);

bool IsIntegerText(const std::wstring& text);

}  // namespace pbsim
