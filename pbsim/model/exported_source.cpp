#include "model/exported_source.h"

namespace pbsim {

namespace {

const wchar_t kHexStart[] = L"$$HEX";
const wchar_t kHexEnd[] = L"$$ENDHEX$$";
const wchar_t kBinarySection[] = L"Start of PowerBuilder Binary Data Section";

int HexValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

// Reads one run at text[pos] ("$$HEX"): appends its characters and returns
// the index after it, or 0 when the run is not well formed.
size_t DecodeRun(const std::wstring& text, size_t pos, std::wstring& out) {
    // The number after $$HEX counts the characters of the run; the hex
    // digits up to $$ENDHEX$$ are what is decoded.
    size_t i = pos + 5;
    size_t digits = 0;
    while (i < text.size() && text[i] >= L'0' && text[i] <= L'9' && digits < 6) {
        ++i;
        ++digits;
    }
    if (digits == 0 || text.compare(i, 2, L"$$") != 0) return 0;
    i += 2;
    std::wstring decoded;
    while (i + 4 <= text.size() && text[i] != L'$') {
        int units[4];
        for (int k = 0; k < 4; ++k) {
            units[k] = HexValue(text[i + static_cast<size_t>(k)]);
            if (units[k] < 0) return 0;
        }
        const unsigned low = static_cast<unsigned>(units[0] * 16 + units[1]);
        const unsigned high = static_cast<unsigned>(units[2] * 16 + units[3]);
        decoded += static_cast<wchar_t>(high * 256 + low);
        i += 4;
    }
    if (text.compare(i, 10, kHexEnd) != 0) return 0;
    out += decoded;
    return i + 10;
}

}  // namespace

std::wstring DecodeHexRuns(const std::wstring& text) {
    if (text.find(kHexStart) == std::wstring::npos) return text;
    std::wstring out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == L'$' && text.compare(i, 5, kHexStart) == 0) {
            const size_t next = DecodeRun(text, i, out);
            if (next > 0) {
                i = next;
                continue;
            }
        }
        out += text[i++];
    }
    return out;
}

std::wstring PrepareExportedSource(const std::wstring& text) {
    size_t start = 0;
    if (!text.empty() && text[0] == 0xFEFF) start = 1;
    // "HA$PBExportHeader$...": the two letters mark an ANSI export.
    if (text.compare(start, 3, L"HA$") == 0) start += 2;
    std::wstring source = text.substr(start);
    const size_t binary = source.find(kBinarySection);
    if (binary != std::wstring::npos) {
        // The section starts on a line of its own.
        size_t lineStart = source.rfind(L'\n', binary);
        lineStart = lineStart == std::wstring::npos ? 0 : lineStart + 1;
        source.erase(lineStart);
    }
    return DecodeHexRuns(source);
}

}  // namespace pbsim
