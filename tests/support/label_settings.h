// What the label tests share: the eight label keys as a host writes them,
// the process-wide labels put back to none after a test, and settings
// files in UTF-16 (the encoding the profile functions read non-ASCII text
// from).
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "tessel_dll.h"

const wchar_t* const kLabelKeys[] = {L"sumlabel",      L"avglabel",      L"maxlabel",     L"minlabel",
                                     L"rowcountlabel", L"firstrowlabel", L"lastrowlabel", L"currentrowlabel"};

// Process-wide labels a test sets through SetInfoLabel: key, label.
using ProcessLabels = std::vector<std::pair<const wchar_t*, const wchar_t*>>;

// Every process-wide label back to none (the default texts).
inline void ClearProcessLabels(const TesselDll& dll) {
    if (!dll.SetInfoLabel) return;
    for (const wchar_t* key : kLabelKeys) dll.SetInfoLabel(key, nullptr);
}

// A file's bytes in UTF-16 little-endian with its byte-order mark.
inline std::string Utf16File(const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    return bytes;
}
