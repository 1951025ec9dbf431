// A settings or skin file written for one test and deleted afterwards: by
// bare name it lives beside a library (the folder a bare name is looked up
// in), or at a full path.
#pragma once

#include <windows.h>

#include <string>

class IniFile {
public:
    // name: a bare file name, placed in the folder of module; text: the
    // file's content, in ASCII.
    IniFile(HMODULE module, const wchar_t* name, const std::string& text) : m_name(name) {
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(module, path, MAX_PATH);
        std::wstring folder = path;
        folder = folder.substr(0, folder.rfind(L'\\'));
        m_path = folder + L"\\" + name;
        Write(text);
    }
    ~IniFile() { DeleteFileW(m_path.c_str()); }
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    void Write(const std::string& text) const {
        HANDLE file =
            CreateFileW(m_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return;
        DWORD written = 0;
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(file);
    }
    const wchar_t* Name() const { return m_name.c_str(); }
    const wchar_t* Path() const { return m_path.c_str(); }

private:
    std::wstring m_name;
    std::wstring m_path;
};
