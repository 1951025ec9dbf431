// What PowerBuilder writes around and into an exported DataWindow source, as
// the definition reader sees it once the file is text: a byte-order mark, the
// "HA" that old ANSI exports put before $PBExportHeader$, $$HEXn$$...$$ENDHEX$$
// runs for characters the ANSI code page lacks, and a binary data section
// appended after the source.
#pragma once

#include <string>

namespace pbsim {

// $$HEXn$$hhhh...$$ENDHEX$$: n UTF-16 code units, each written as four hex
// digits of its little-endian bytes ("e900" is U+00E9). Runs that are not
// complete are left as they are.
std::wstring DecodeHexRuns(const std::wstring& text);

// The source text the definition reader reads: without a leading U+FEFF,
// without the "HA" before the first $PBExport line, with $$HEX runs decoded
// and without the binary data section (from its "Start of PowerBuilder
// Binary Data Section" line to the end).
std::wstring PrepareExportedSource(const std::wstring& text);

}  // namespace pbsim
