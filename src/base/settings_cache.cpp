#include "base/settings_cache.h"

#include <list>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace {

const size_t kMaxFiles = 16;

struct FileStamp {
    ULONGLONG size;
    FILETIME lastWrite;
};

bool SameStamp(const FileStamp& a, const FileStamp& b) {
    return a.size == b.size && CompareFileTime(&a.lastWrite, &b.lastWrite) == 0;
}

// Some file systems keep write times to two seconds only: a file written
// less than that ago (or stamped in the future) may be written again without
// its time changing, so what was read of it is not trusted.
const ULONGLONG kSettledAfter = 21000000;  // 2.1 seconds in 100-nanosecond units

bool Settled(const FileStamp& stamp) {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const ULONGLONG written =
        (static_cast<ULONGLONG>(stamp.lastWrite.dwHighDateTime) << 32) | stamp.lastWrite.dwLowDateTime;
    const ULONGLONG current = (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return written + kSettledAfter < current;
}

struct CachedFile {
    std::wstring path;
    FileStamp stamp;
    std::list<std::pair<std::wstring, IniSection>> sections;
};

// A section read from a file that could not be held open, until the next read.
IniSection g_unkept;

// Most recently used first.
std::list<CachedFile> g_files;

bool SameText(const std::wstring& a, const wchar_t* b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b, -1, TRUE) == CSTR_EQUAL;
}

bool StampOf(const wchar_t* path, FileStamp* stamp) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data)) return false;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    stamp->size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    stamp->lastWrite = data.ftLastWriteTime;
    return true;
}

const IniSection* Lookup(const wchar_t* path, const wchar_t* section, const FileStamp& stamp) {
    auto file = g_files.begin();
    while (file != g_files.end() && !SameText(file->path, path)) ++file;
    if (file != g_files.end()) {
        g_files.splice(g_files.begin(), g_files, file);  // now the most recent
        if (!SameStamp(file->stamp, stamp) || !Settled(stamp)) {
            file->stamp = stamp;
            file->sections.clear();
        }
    } else {
        CachedFile entry;
        entry.path = path;
        entry.stamp = stamp;
        g_files.push_front(std::move(entry));
        if (g_files.size() > kMaxFiles) g_files.pop_back();
    }
    CachedFile& current = g_files.front();
    for (auto& kept : current.sections)
        if (SameText(kept.first, section)) return &kept.second;

    // The profile functions keep copies of recently read files of their own,
    // renewed only when the write time changes: the file's copy is dropped
    // first, so that a file rewritten with its old time is read from disk.
    if (current.sections.empty()) WritePrivateProfileStringW(nullptr, nullptr, nullptr, path);
    // While this handle is open nobody can take the file for themselves, so
    // the profile functions can open it too and an empty section really is
    // missing. A file that cannot be opened now (another program holding it
    // while it writes) reads as empty, and that is not kept.
    HANDLE hold = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    IniSection text;
    const bool read = text.Read(section, path);
    if (hold != INVALID_HANDLE_VALUE) CloseHandle(hold);
    if (!read) return nullptr;
    if (hold == INVALID_HANDLE_VALUE) {
        g_unkept = std::move(text);
        return &g_unkept;
    }
    current.sections.emplace_back(section, std::move(text));
    return &current.sections.back().second;
}

}  // namespace

const IniSection* CachedIniSection(const wchar_t* path, const wchar_t* section) {
    if (!path || !section) return nullptr;
    FileStamp stamp;
    if (!StampOf(path, &stamp)) return nullptr;
    try {
        return Lookup(path, section, stamp);
    } catch (const std::bad_alloc&) {
        ClearSettingsCache();
        return nullptr;
    }
}

void ClearSettingsCache() {
    g_files.clear();
    g_unkept = IniSection();
}
