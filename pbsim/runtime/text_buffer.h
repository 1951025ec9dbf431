// Copying an answer into a caller's UTF-16 buffer without ever writing past
// it.
#pragma once

#include <windows.h>

#include <string>

namespace pbsim {

// Copies at most capacity - 1 characters and a terminating null (nothing
// when the buffer is null or the capacity is not positive); returns the full
// length of the text.
LONG CopyToBuffer(const std::wstring& text, LPWSTR buffer, LONG capacity);

// The text at a caller's pointer; empty for null.
std::wstring TextOrEmpty(LPCWSTR text);

}  // namespace pbsim
