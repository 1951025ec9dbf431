// Loads the stand-in PowerBuilder runtime of one generation into the test
// process (as a PowerBuilder application has it loaded), binds the control
// API that creates and inspects DataWindow controls and the runtime entries
// the library calls.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cwchar>
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
        Bind(api, CreateDataWindow, PBSIM_CREATE_DATAWINDOW);
        Bind(api, GetModifyLogCount, PBSIM_GET_MODIFY_LOG_COUNT);
        Bind(api, GetModifyLogEntry, PBSIM_GET_MODIFY_LOG_ENTRY);
        Bind(api, ClearModifyLog, PBSIM_CLEAR_MODIFY_LOG);
        Bind(api, ScriptModify, PBSIM_SCRIPT_MODIFY);
        Bind(api, GetLastError, PBSIM_GET_LAST_ERROR);
        Bind(api, SetPrintPreview, PBSIM_SET_PRINT_PREVIEW);
        Bind(api, SetSelectedMouse, PBSIM_SET_SELECTED_MOUSE);
        Bind(api, SetExportedSyntax, PBSIM_SET_EXPORTED_SYNTAX);
        Bind(api, GetDescribeCount, PBSIM_GET_DESCRIBE_COUNT);
        Bind(api, PrintToDC, PBSIM_PRINT_TO_DC);
        Bind(api, GetEditControl, PBSIM_GET_EDIT_CONTROL);
        Bind(api, CreateRuntimeWindow, PBSIM_CREATE_RUNTIME_WINDOW);
        Bind(api, CreateRuntimeListBox, PBSIM_CREATE_RUNTIME_LISTBOX);
        Bind(api, CreateDataWindowFromFile, PBSIM_CREATE_DATAWINDOW_FROM_FILE);
        // The runtime's own entries, as the library binds them.
        Bind(m_vm, DescribeEntry, "FNX_DataWindowDescribe");
        Bind(m_vm, GetCurrentColumn, "FNX_DataWindowGetCurrentColumn");
        Bind(m_vm, GetCurrentRow, "FNX_DataWindowGetCurrentRow");
        Bind(m_vm, GetRowCount, "FNX_DataWindowGetRowCount");
        Bind(m_vm, SelectRow, "FNX_DataWindowSelectRow");
        Bind(m_vm, ConvertUnits, "FN_ConvertUnits");
        Bind(m_vm, SetBorder, "PBC_SetBorder");
        Bind(api, Modify, "dwModify");
        Bind(api, GetObjectUnderMouse, "dwGetObjectUnderMouse");
        Bind(api, GetBandUnderMouse, "dwGetBandUnderMouse");
        Bind(api, GetRowColUnderPoint, "dwGetRowColUnderPoint");
        Bind(api, InfoGetDWWidth, "dwInfoGetDWWidth");
        Bind(api, PaintDC, "dwPaintDC");
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
    HMODULE system() const { return m_sys; }
    HWND host() const { return m_host; }

    // An export of a module, as the given function type (null when missing).
    template <typename F>
    static F Proc(HMODULE module, const char* name) {
        return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
    }

    // The runtime's answer to Describe(property).
    std::wstring Describe(HWND dw, const wchar_t* property) const {
        if (!DescribeEntry) return std::wstring();
        std::vector<wchar_t> buffer(1 << 20, L'\0');
        DescribeEntry(dw, property, buffer.data(), static_cast<LONG>(buffer.size()));
        return buffer.data();
    }
    long DescribeNumber(HWND dw, const wchar_t* property) const {
        return std::wcstol(Describe(dw, property).c_str(), nullptr, 10);
    }

    // Every modify text the DataWindow received, oldest first.
    std::vector<std::wstring> ModifyLog(HWND dw) const {
        std::vector<std::wstring> log, results;
        ModifyLogWithResults(dw, &log, &results);
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
    PFN_pbsim_SetSelectedMouse SetSelectedMouse = nullptr;
    PFN_pbsim_SetExportedSyntax SetExportedSyntax = nullptr;
    PFN_pbsim_GetDescribeCount GetDescribeCount = nullptr;
    PFN_pbsim_PrintToDC PrintToDC = nullptr;
    PFN_pbsim_GetEditControl GetEditControl = nullptr;
    PFN_pbsim_CreateRuntimeWindow CreateRuntimeWindow = nullptr;
    PFN_pbsim_CreateRuntimeListBox CreateRuntimeListBox = nullptr;

    LONG(WINAPI* DescribeEntry)(HWND, LPCWSTR, LPWSTR, LONG) = nullptr;
    LONG(WINAPI* GetCurrentColumn)(HWND) = nullptr;
    LONG(WINAPI* GetCurrentRow)(HWND) = nullptr;
    LONG(WINAPI* GetRowCount)(HWND) = nullptr;
    LONG(WINAPI* SelectRow)(HWND, LONG, LONG) = nullptr;
    LONG(WINAPI* ConvertUnits)(LONG, LONG) = nullptr;
    LONG(WINAPI* SetBorder)(HWND, LONG) = nullptr;
    LPCWSTR(WINAPI* Modify)(HWND, LPCWSTR) = nullptr;
    LONG(WINAPI* GetObjectUnderMouse)(HWND, LPWSTR) = nullptr;
    LONG(WINAPI* GetBandUnderMouse)(HWND, LPWSTR, LONG) = nullptr;
    LONG(WINAPI* GetRowColUnderPoint)(HWND, LONG, LONG, LONG*, LONG*) = nullptr;
    LONG(WINAPI* InfoGetDWWidth)(HWND) = nullptr;
    LONG(WINAPI* PaintDC)(HWND, HDC) = nullptr;

    // A DataWindow control on a host window of its own (a DataWindow control
    // always lives on a window), from a definition text.
    HWND Create(const wchar_t* syntax, DWORD extraStyle = 0, int width = 400, int height = 300) {
        return CreateWithRows(syntax, nullptr, width, height, extraStyle);
    }
    // The same with rows that replace the definition's (tab-separated cells,
    // one row a line).
    HWND CreateWithRows(const wchar_t* syntax, const wchar_t* rows, int width, int height, DWORD extraStyle = 0) {
        return CreateDataWindow ? CreateDataWindow(Host(), syntax, rows, 0, 0, width, height, extraStyle) : nullptr;
    }

    // A DataWindow control from an exported source file, with sample rows
    // when the source has no data.
    HWND CreateFromFile(const wchar_t* path, LONG sampleRows, int width = 400, int height = 300, DWORD extraStyle = 0) {
        return CreateDataWindowFromFile
                   ? CreateDataWindowFromFile(Host(), path, sampleRows, 0, 0, width, height, extraStyle)
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
    HWND Host() {
        if (!m_host)
            m_host = CreateWindowExW(0, L"STATIC", L"host", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr,
                                     nullptr, nullptr);
        return m_host;
    }
    std::wstring Name(pbsim::ModuleKind kind) const {
        wchar_t buf[64];
        pbsim::ModuleFileName(kind, m_n, buf);
        return buf;
    }
    template <typename F>
    static void Bind(HMODULE h, F& fn, const char* name) {
        fn = Proc<F>(h, name);
    }
    int m_n;
    HMODULE m_vm = nullptr;
    HMODULE m_engine = nullptr;
    HMODULE m_sys = nullptr;
    HWND m_host = nullptr;
};
