// A folder of the test's own under the temporary folder, removed with all it
// holds when the test ends: the only place a test writes files, so that test
// programs can run side by side.
#pragma once

#include <windows.h>

#include <string>

class TempFolder {
public:
    TempFolder() {
        wchar_t base[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, base);
        static LONG counter = 0;
        for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
            std::wstring path = std::wstring(base) + L"tessel2u-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                std::to_wstring(InterlockedIncrement(&counter));
            if (CreateDirectoryW(path.c_str(), nullptr)) m_path = path;
        }
    }
    ~TempFolder() {
        if (!m_path.empty()) Remove(m_path);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    bool Ok() const { return !m_path.empty(); }
    // The full path of a file of the folder.
    std::wstring File(const std::wstring& name) const { return m_path + L"\\" + name; }
    // Writes bytes as they stand into a file of the folder and answers its path.
    std::wstring Write(const std::wstring& name, const std::string& bytes) const {
        const std::wstring path = File(name);
        HANDLE file =
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
            CloseHandle(file);
        }
        return path;
    }

private:
    static void Remove(const std::wstring& folder) {
        WIN32_FIND_DATAW found;
        HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                if (name == L"." || name == L"..") continue;
                const std::wstring path = folder + L"\\" + name;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) Remove(path);
                else DeleteFileW(path.c_str());
            } while (FindNextFileW(find, &found));
            FindClose(find);
        }
        RemoveDirectoryW(folder.c_str());
    }
    std::wstring m_path;
};
