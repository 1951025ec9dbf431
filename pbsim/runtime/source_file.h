// Reading an exported DataWindow source file (.srd) into text, in whichever
// encoding PowerBuilder wrote it: UTF-8 with or without byte-order mark,
// UTF-16LE with byte-order mark, or ANSI in the system code page (the old
// exports that begin with "HA").
#pragma once

#include <windows.h>

#include <string>

namespace pbsim {

// Bytes of a file to text: a UTF-8 or UTF-16 byte-order mark decides;
// without one, bytes that are valid UTF-8 are read as UTF-8, others in the
// ANSI code page. The byte-order mark stays at the start of the text as
// U+FEFF (the definition reader skips it).
std::wstring DecodeSourceBytes(const std::string& bytes);

// False when the file cannot be opened or read (or is larger than the
// reader takes).
bool ReadSourceFile(const std::wstring& path, std::wstring* text);

}  // namespace pbsim
