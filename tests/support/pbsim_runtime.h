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
    // The modules, first: the bindings below are made from them.
    int m_n;
    HMODULE m_vm, m_engine, m_sys, m_api;
    // An export of a module, as the type of the member it initialises.
    struct Export {
        HMODULE module;
        const char* name;
        template <typename F>
        operator F() const {
            return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
        }
    };
    std::wstring Name(pbsim::ModuleKind kind) const {
        wchar_t buf[64];
        pbsim::ModuleFileName(kind, m_n, buf);
        return buf;
    }

public:
    // Loads the virtual machine and, unless vmOnly, the engine and system
    // modules of generation n (file names in lower case for 170, the
    // unversioned runtime's names for 220).
    explicit PbsimRuntime(int n = PBSIM_DEFAULT_GENERATION, bool vmOnly = false)
        : m_n(n),
          m_vm(LoadLibraryW(Name(pbsim::ModuleKind::VirtualMachine).c_str())),
          m_engine(vmOnly ? nullptr : LoadLibraryW(Name(pbsim::ModuleKind::Engine).c_str())),
          m_sys(vmOnly ? nullptr : LoadLibraryW(Name(pbsim::ModuleKind::System).c_str())),
          m_api(m_engine ? m_engine : GetModuleHandleW(Name(pbsim::ModuleKind::Engine).c_str())) {}
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

    // Every modify text the DataWindow received, oldest first, and when asked
    // each one's result ("" for success).
    std::vector<std::wstring> ModifyLog(HWND dw, std::vector<std::wstring>* results = nullptr) const {
        std::vector<std::wstring> texts;
        for (LONG i = 0, n = GetModifyLogCount ? GetModifyLogCount(dw) : 0; i < n && GetModifyLogEntry; ++i) {
            std::vector<wchar_t> text(65536, L'\0'), result(4096, L'\0');
            GetModifyLogEntry(dw, i, text.data(), static_cast<LONG>(text.size()), result.data(),
                              static_cast<LONG>(result.size()));
            texts.emplace_back(text.data());
            if (results) results->emplace_back(result.data());
        }
        return texts;
    }

    PFN_pbsim_CreateDataWindow CreateDataWindow = Export{m_api, PBSIM_CREATE_DATAWINDOW};
    PFN_pbsim_CreateDataWindowFromFile CreateDataWindowFromFile = Export{m_api, PBSIM_CREATE_DATAWINDOW_FROM_FILE};
    PFN_pbsim_GetModifyLogCount GetModifyLogCount = Export{m_api, PBSIM_GET_MODIFY_LOG_COUNT};
    PFN_pbsim_GetModifyLogEntry GetModifyLogEntry = Export{m_api, PBSIM_GET_MODIFY_LOG_ENTRY};
    PFN_pbsim_ClearModifyLog ClearModifyLog = Export{m_api, PBSIM_CLEAR_MODIFY_LOG};
    PFN_pbsim_ScriptModify ScriptModify = Export{m_api, PBSIM_SCRIPT_MODIFY};
    PFN_pbsim_GetLastError GetLastError = Export{m_api, PBSIM_GET_LAST_ERROR};
    PFN_pbsim_SetPrintPreview SetPrintPreview = Export{m_api, PBSIM_SET_PRINT_PREVIEW};
    PFN_pbsim_SetSelectedMouse SetSelectedMouse = Export{m_api, PBSIM_SET_SELECTED_MOUSE};
    PFN_pbsim_PrintToDC PrintToDC = Export{m_api, PBSIM_PRINT_TO_DC};
    PFN_pbsim_GetEditControl GetEditControl = Export{m_api, PBSIM_GET_EDIT_CONTROL};
    PFN_pbsim_CreateRuntimeWindow CreateRuntimeWindow = Export{m_api, PBSIM_CREATE_RUNTIME_WINDOW};
    PFN_pbsim_CreateRuntimeListBox CreateRuntimeListBox = Export{m_api, PBSIM_CREATE_RUNTIME_LISTBOX};

    LONG(WINAPI* DescribeEntry)(HWND, LPCWSTR, LPWSTR, LONG) = Export{m_vm, "FNX_DataWindowDescribe"};
    LONG(WINAPI* GetCurrentColumn)(HWND) = Export{m_vm, "FNX_DataWindowGetCurrentColumn"};
    LONG(WINAPI* GetCurrentRow)(HWND) = Export{m_vm, "FNX_DataWindowGetCurrentRow"};
    LONG(WINAPI* GetRowCount)(HWND) = Export{m_vm, "FNX_DataWindowGetRowCount"};
    LONG(WINAPI* SelectRow)(HWND, LONG, LONG) = Export{m_vm, "FNX_DataWindowSelectRow"};
    LONG(WINAPI* ConvertUnits)(LONG, LONG) = Export{m_vm, "FN_ConvertUnits"};
    LONG(WINAPI* SetBorder)(HWND, LONG) = Export{m_vm, "PBC_SetBorder"};
    LPCWSTR(WINAPI* Modify)(HWND, LPCWSTR) = Export{m_api, "dwModify"};
    LONG(WINAPI* GetObjectUnderMouse)(HWND, LPWSTR) = Export{m_api, "dwGetObjectUnderMouse"};
    LONG(WINAPI* GetBandUnderMouse)(HWND, LPWSTR, LONG) = Export{m_api, "dwGetBandUnderMouse"};
    LONG(WINAPI* GetRowColUnderPoint)(HWND, LONG, LONG, LONG*, LONG*) = Export{m_api, "dwGetRowColUnderPoint"};
    LONG(WINAPI* InfoGetDWWidth)(HWND) = Export{m_api, "dwInfoGetDWWidth"};
    LONG(WINAPI* PaintDC)(HWND, HDC) = Export{m_api, "dwPaintDC"};

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
    HWND m_host = nullptr;
};
