#include "base/ini_section.h"

#include <cwchar>
#include <cwctype>
#include <new>
#include <vector>

namespace {

// The first read takes a buffer of this many characters; a section that
// fills it is read again into one twice as large, up to the last size.
const DWORD kFirstCapacity = 4096;
const DWORD kLastCapacity = 16u * 1024 * 1024;

// GetPrivateProfileIntW looks at the value through a buffer of 30
// characters: 29 of them and the terminating zero.
const size_t kValueChars = 29;

// Names are compared as the profile functions compare them: letter case
// ignored for the ASCII letters only (an accented capital is another name
// than its small letter).
wchar_t FoldAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

bool SameName(const wchar_t* name, size_t length, const wchar_t* key, size_t keyLength) {
    if (length != keyLength) return false;
    for (size_t i = 0; i < length; ++i)
        if (FoldAscii(name[i]) != FoldAscii(key[i])) return false;
    return true;
}

// The blanks that the profile functions take off names and values (end of
// file marks of old editors among them).
bool IsProfileBlank(wchar_t c) { return iswspace(c) || c == L'\r' || c == 0x1A; }

int DigitOf(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'A' && c <= L'Z') return c - L'A' + 10;
    if (c >= L'a' && c <= L'z') return c - L'a' + 10;
    return -1;
}

}  // namespace

bool IniSection::Read(const wchar_t* section, const wchar_t* path) {
    try {
        std::vector<wchar_t> buffer;
        for (DWORD capacity = kFirstCapacity;; capacity *= 2) {
            buffer.assign(capacity, L'\0');
            const DWORD n = GetPrivateProfileSectionW(section, buffer.data(), capacity, path);
            // A section that did not fit comes back cut, its length capacity - 2.
            if (n + 2 < capacity || capacity >= kLastCapacity) break;
        }
        // Whatever came back is a well-ended list: both last characters stay zero.
        buffer[buffer.size() - 2] = L'\0';
        buffer[buffer.size() - 1] = L'\0';
        Assign(buffer.data());
        return true;
    } catch (const std::bad_alloc&) {
        m_text.clear();
        return false;
    }
}

void IniSection::Assign(const wchar_t* text) {
    m_text.clear();
    if (!text) return;
    const wchar_t* end = text;
    while (*end) end += wcslen(end) + 1;
    m_text.assign(text, end);
}

const wchar_t* IniSection::Find(const wchar_t* key) const {
    if (!key) return nullptr;
    // The key is looked up without the blanks around it.
    while (*key && IsProfileBlank(*key)) ++key;
    size_t keyLength = wcslen(key);
    while (keyLength > 0 && IsProfileBlank(key[keyLength - 1])) --keyLength;
    const wchar_t* line = m_text.c_str();
    const wchar_t* const end = line + m_text.size();
    while (line < end) {
        const size_t length = wcslen(line);
        const wchar_t* equals = wmemchr(line, L'=', length);
        const size_t nameLength = equals ? static_cast<size_t>(equals - line) : length;
        if (SameName(line, nameLength, key, keyLength)) return equals ? equals + 1 : nullptr;
        line += length + 1;
    }
    return nullptr;
}

UINT IniSection::Int(const wchar_t* key, INT def) const {
    const wchar_t* value = Find(key);
    return value ? IniValueToInt(value, def) : static_cast<UINT>(def);
}

std::wstring IniSection::String(const wchar_t* key, const wchar_t* def) const {
    if (const wchar_t* value = Find(key)) return IniValueToString(value);
    std::wstring text = def ? def : L"";
    while (!text.empty() && text.back() == L' ') text.pop_back();
    return text;
}

std::wstring IniValueToString(const wchar_t* value) {
    if (!value) return std::wstring();
    const size_t length = wcslen(value);
    if (length >= 2 && (value[0] == L'\'' || value[0] == L'"') && value[length - 1] == value[0])
        return std::wstring(value + 1, length - 2);
    return std::wstring(value, length);
}

UINT IniValueToInt(const wchar_t* value, INT def) {
    if (!value) return static_cast<UINT>(def);
    size_t length = wcslen(value);
    // A value quoted at both ends with the same quote loses the opening one
    // here and the closing one below, when the closing one was still in the
    // 29 characters looked at (or just beyond them).
    bool quoted = false;
    if ((value[0] == L'\'' || value[0] == L'"') && value[1] && value[length - 1] == value[0]) {
        quoted = true;
        ++value;
        --length;
    }
    wchar_t text[kValueChars + 1];
    size_t n = length < kValueChars ? length : kValueChars;
    wmemcpy(text, value, n);
    text[n] = L'\0';
    if (quoted && length <= kValueChars + 1 && n > 0) text[--n] = L'\0';
    if (n == 0) return static_cast<UINT>(def);

    const wchar_t* p = text;
    while (*p && *p <= L' ') ++p;
    bool negative = false;
    if (*p == L'+') {
        ++p;
    } else if (*p == L'-') {
        negative = true;
        ++p;
    }
    UINT base = 10;
    if (p[0] == L'0') {
        if (p[1] == L'b') base = 2;
        else if (p[1] == L'o') base = 8;
        else if (p[1] == L'x') base = 16;
        if (base != 10) p += 2;
    }
    UINT total = 0;
    for (; *p; ++p) {
        const int digit = DigitOf(*p);
        if (digit < 0 || static_cast<UINT>(digit) >= base) break;
        total = total * base + static_cast<UINT>(digit);
    }
    return negative ? 0u - total : total;
}
