#include "runtime/source_file.h"

namespace pbsim {

namespace {

// DataWindow sources are a few hundred kilobytes at most; a file beyond this
// is not one.
const DWORD kMaxSourceBytes = 16u * 1024u * 1024u;

std::wstring Convert(UINT codePage, DWORD flags, const char* data, size_t size, bool* ok) {
    *ok = true;
    if (size == 0) return std::wstring();
    const int length = MultiByteToWideChar(codePage, flags, data, static_cast<int>(size), nullptr, 0);
    if (length <= 0) {
        *ok = false;
        return std::wstring();
    }
    std::wstring text(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, flags, data, static_cast<int>(size), &text[0], length);
    return text;
}

}  // namespace

std::wstring DecodeSourceBytes(const std::string& bytes) {
    const unsigned char* b = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t n = bytes.size();
    if (n >= 2 && ((b[0] == 0xFF && b[1] == 0xFE) || (b[0] == 0xFE && b[1] == 0xFF))) {
        const bool bigEndian = b[0] == 0xFE;
        std::wstring text;
        text.reserve(n / 2);
        for (size_t i = 0; i + 1 < n; i += 2) {
            const unsigned low = bigEndian ? b[i + 1] : b[i];
            const unsigned high = bigEndian ? b[i] : b[i + 1];
            text += static_cast<wchar_t>(high * 256 + low);
        }
        return text;  // starts with U+FEFF
    }
    bool ok = false;
    if (n >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) {
        return Convert(CP_UTF8, 0, bytes.data(), n, &ok);
    }
    std::wstring utf8 = Convert(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), n, &ok);
    if (ok) return utf8;
    return Convert(CP_ACP, 0, bytes.data(), n, &ok);
}

bool ReadSourceFile(const std::wstring& path, std::wstring* text) {
    if (path.empty()) return false;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size = {};
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart >= 0 && size.QuadPart <= kMaxSourceBytes;
    std::string bytes;
    if (ok) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        ok = bytes.empty() ||
             (ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr) && read == bytes.size());
    }
    CloseHandle(file);
    if (!ok) return false;
    *text = DecodeSourceBytes(bytes);
    return true;
}

}  // namespace pbsim
