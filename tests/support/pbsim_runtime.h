// Loads the stand-in PowerBuilder runtime of one generation into the test
// process (as a PowerBuilder application has it loaded) and binds the control
// API that creates and inspects DataWindow controls.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "env_number.h"
#include "pbsim/pbsim_api.h"

// The generation a test runs on: TESSEL2U_TEST_RUNTIME when set (CTest runs
// some suites a second time on the unversioned runtime that way), else 105.
inline int TestRuntimeGeneration() {
    const unsigned generation = EnvNumber("TESSEL2U_TEST_RUNTIME", 0);
    return generation > 0 && generation < 100000 ? static_cast<int>(generation) : PBSIM_DEFAULT_GENERATION;
}

class PbsimRuntime {
public:
    // Loads the virtual machine and, unless vmOnly, the engine and system
    // modules of generation n (file names in lower case for 170, the
    // unversioned runtime's names for 220).
    explicit PbsimRuntime(int n = PBSIM_DEFAULT_GENERATION, bool vmOnly = false) : m_n(n) {
        m_vm = LoadLibraryW(Name(pbsim::ModuleKind::VirtualMachine).c_str());
        if (!vmOnly) {
            m_engine = LoadLibraryW(Name(pbsim::ModuleKind::Engine).c_str());
            m_sys = LoadLibraryW(Name(pbsim::ModuleKind::System).c_str());
        }
        HMODULE api = m_engine ? m_engine : GetModuleHandleW(Name(pbsim::ModuleKind::Engine).c_str());
        if (api) {
            Bind(api, CreateDataWindow, PBSIM_CREATE_DATAWINDOW);
            Bind(api, GetModifyLogCount, PBSIM_GET_MODIFY_LOG_COUNT);
            Bind(api, GetModifyLogEntry, PBSIM_GET_MODIFY_LOG_ENTRY);
            Bind(api, ClearModifyLog, PBSIM_CLEAR_MODIFY_LOG);
            Bind(api, ScriptModify, PBSIM_SCRIPT_MODIFY);
            Bind(api, GetLastError, PBSIM_GET_LAST_ERROR);
            Bind(api, SetPrintPreview, PBSIM_SET_PRINT_PREVIEW);
            Bind(api, SetExportedSyntax, PBSIM_SET_EXPORTED_SYNTAX);
            Bind(api, GetDescribeCount, PBSIM_GET_DESCRIBE_COUNT);
            Bind(api, PrintToDC, PBSIM_PRINT_TO_DC);
            Bind(api, GetEditControl, PBSIM_GET_EDIT_CONTROL);
            Bind(api, CreateRuntimeWindow, PBSIM_CREATE_RUNTIME_WINDOW);
            Bind(api, CreateRuntimeListBox, PBSIM_CREATE_RUNTIME_LISTBOX);
            Bind(api, CreateDataWindowFromFile, PBSIM_CREATE_DATAWINDOW_FROM_FILE);
        }
    }
    ~PbsimRuntime() {
        if (m_host) DestroyWindow(m_host);
        if (m_sys) FreeLibrary(m_sys);
        if (m_engine) FreeLibrary(m_engine);
        if (m_vm) FreeLibrary(m_vm);
    }
    PbsimRuntime(const PbsimRuntime&) = delete;
    PbsimRuntime& operator=(const PbsimRuntime&) = delete;

    bool ok() const { return m_vm && m_engine && m_sys && CreateDataWindow; }
    HMODULE vm() const { return m_vm; }
    HMODULE engine() const { return m_engine; }
    HWND host() const { return m_host; }

    // The runtime's answer to Describe(property).
    std::wstring Describe(HWND dw, const wchar_t* property) const {
        typedef LONG(WINAPI * PFN_Describe)(HWND, LPCWSTR, LPWSTR, LONG);
        auto describe = reinterpret_cast<PFN_Describe>(
            reinterpret_cast<void*>(GetProcAddress(m_vm, "FNX_DataWindowDescribe")));
        if (!describe) return std::wstring();
        std::vector<wchar_t> buffer(1 << 20, L'\0');
        describe(dw, property, buffer.data(), static_cast<LONG>(buffer.size()));
        return buffer.data();
    }

    // Every modify text the DataWindow received, oldest first.
    std::vector<std::wstring> ModifyLog(HWND dw) const {
        std::vector<std::wstring> log;
        if (!GetModifyLogCount || !GetModifyLogEntry) return log;
        const LONG n = GetModifyLogCount(dw);
        for (LONG i = 0; i < n; ++i) {
            std::vector<wchar_t> text(65536, L'\0');
            GetModifyLogEntry(dw, i, text.data(), static_cast<LONG>(text.size()), nullptr, 0);
            log.emplace_back(text.data());
        }
        return log;
    }

    // The modify log with each modify's result ("" for success).
    void ModifyLogWithResults(HWND dw, std::vector<std::wstring>* texts, std::vector<std::wstring>* results) const {
        if (!GetModifyLogCount || !GetModifyLogEntry) return;
        const LONG n = GetModifyLogCount(dw);
        for (LONG i = 0; i < n; ++i) {
            std::vector<wchar_t> text(65536, L'\0'), result(4096, L'\0');
            GetModifyLogEntry(dw, i, text.data(), static_cast<LONG>(text.size()), result.data(),
                              static_cast<LONG>(result.size()));
            texts->emplace_back(text.data());
            results->emplace_back(result.data());
        }
    }

    PFN_pbsim_CreateDataWindow CreateDataWindow = nullptr;
    PFN_pbsim_CreateDataWindowFromFile CreateDataWindowFromFile = nullptr;
    PFN_pbsim_GetModifyLogCount GetModifyLogCount = nullptr;
    PFN_pbsim_GetModifyLogEntry GetModifyLogEntry = nullptr;
    PFN_pbsim_ClearModifyLog ClearModifyLog = nullptr;
    PFN_pbsim_ScriptModify ScriptModify = nullptr;
    PFN_pbsim_GetLastError GetLastError = nullptr;
    PFN_pbsim_SetPrintPreview SetPrintPreview = nullptr;
    PFN_pbsim_SetExportedSyntax SetExportedSyntax = nullptr;
    PFN_pbsim_GetDescribeCount GetDescribeCount = nullptr;
    PFN_pbsim_PrintToDC PrintToDC = nullptr;
    PFN_pbsim_GetEditControl GetEditControl = nullptr;
    PFN_pbsim_CreateRuntimeWindow CreateRuntimeWindow = nullptr;
    PFN_pbsim_CreateRuntimeListBox CreateRuntimeListBox = nullptr;

    // A DataWindow control on a host window of its own (a DataWindow control
    // always lives on a window), from a definition text.
    HWND Create(const wchar_t* syntax, DWORD extraStyle = 0, int width = 400, int height = 300) {
        if (!m_host)
            m_host = CreateWindowExW(0, L"STATIC", L"host", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr,
                                     nullptr, nullptr);
        return CreateDataWindow ? CreateDataWindow(m_host, syntax, nullptr, 0, 0, width, height, extraStyle)
                                : nullptr;
    }

    // A DataWindow control from an exported source file, with sample rows
    // when the source has no data.
    HWND CreateFromFile(const wchar_t* path, LONG sampleRows, int width = 400, int height = 300, DWORD extraStyle = 0) {
        if (!m_host)
            m_host = CreateWindowExW(0, L"STATIC", L"host", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr,
                                     nullptr, nullptr);
        return CreateDataWindowFromFile
                   ? CreateDataWindowFromFile(m_host, path, sampleRows, 0, 0, width, height, extraStyle)
                   : nullptr;
    }
    bool HasCreateFromFile() const { return CreateDataWindowFromFile != nullptr; }

    // Why the last CreateDataWindow failed.
    std::wstring LastError() const {
        wchar_t buf[1024] = {};
        if (GetLastError) GetLastError(buf, 1024);
        return buf;
    }

private:
    std::wstring Name(pbsim::ModuleKind kind) const {
        wchar_t buf[64];
        pbsim::ModuleFileName(kind, m_n, buf);
        return buf;
    }
    template <typename F>
    static void Bind(HMODULE h, F& fn, const char* name) {
        fn = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(h, name)));
    }
    int m_n;
    HMODULE m_vm = nullptr;
    HMODULE m_engine = nullptr;
    HMODULE m_sys = nullptr;
    HWND m_host = nullptr;
};
