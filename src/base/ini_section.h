// One section of an INI file, read in a single GetPrivateProfileSectionW call
// and answered key by key exactly as GetPrivateProfileIntW and
// GetPrivateProfileStringW answer from the same file: the first line of the
// section that names the key wins (names compared without regard to the case
// of ASCII letters), and the value text is converted the way the profile
// functions convert it (see IniValueToInt and IniValueToString).
#pragma once

#include <windows.h>

#include <string>

class IniSection {
public:
    // Reads the section from the file, growing the buffer until the whole
    // section fits. False when the text could not be held (out of memory);
    // a missing file or section reads as an empty section.
    bool Read(const wchar_t* section, const wchar_t* path);

    // Takes a section text as GetPrivateProfileSectionW writes it: lines
    // "name=value" or "name", each ended by a zero, the list ended by one more.
    void Assign(const wchar_t* text);

    bool Empty() const { return m_text.empty(); }

    // What GetPrivateProfileIntW gives for the key with this default: a key
    // without a value or with an empty one gives the default.
    UINT Int(const wchar_t* key, INT def) const;

    // What GetPrivateProfileStringW gives for the key with this default,
    // however long: the value without its pair of quotes, an empty text for
    // an empty value; the default (blanks at its end taken off, a null one
    // empty) when no line names the key or the line has no '='.
    std::wstring String(const wchar_t* key, const wchar_t* def) const;

    // The value text of the first line that names the key, or null when no
    // line names it or the line has no '='.
    const wchar_t* Find(const wchar_t* key) const;

private:
    // The lines, each ended by a zero; no final extra zero.
    std::wstring m_text;
};

// A value text of a line (as the section gives it: blanks at both ends
// already gone) converted like GetPrivateProfileIntW: one pair of matching
// quotes around it is dropped, only its first 29 characters count, blanks and
// control characters before the number are skipped, then an optional sign,
// then "0x" (hexadecimal), "0o" (octal) or "0b" (binary) or else decimal
// digits up to the first character that is not a digit of the base; the value
// wraps around in 32 bits. An empty text gives the default.
UINT IniValueToInt(const wchar_t* value, INT def);

// A value text of a line converted like GetPrivateProfileStringW: a value of
// two or more characters that starts and ends with the same quote (' or ")
// loses both; blanks inside the quotes stay.
std::wstring IniValueToString(const wchar_t* value);
