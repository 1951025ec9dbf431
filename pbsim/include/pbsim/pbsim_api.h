// Control API of the stand-in PowerBuilder runtime, for hosts (the demo) and
// tests. The functions are exported, undecorated and stdcall, by the
// DataWindow engine module pbdwe<N>.DLL; a host loads the runtime's modules
// with LoadLibrary and looks the functions up with GetProcAddress, using the
// typedefs and names below. None of them is a function of the runtime itself:
// they only do what a PowerBuilder application does through its scripts
// (open a DataWindow control, modify it, print it) and give tests a view of
// what was done to it.
//
// Modules of one generation N (the formats below; N = 105 by default, also
// 125, and 170 whose files are named in lower case, pbvm170.dll ...):
//   PBVM<N>.DLL   virtual machine: FNX_DataWindow* functions, FN_ConvertUnits,
//                 PBC_SetBorder, the script-level modify and print calls, and
//                 the window procedures of runtime windows and list boxes
//   pbdwe<N>.DLL  DataWindow engine: the control window class "pbdw<N>", dw*
//                 functions, DW_Modify, DW_Print, and this control API
//   pbsys<N>.DLL  system module
// Generation 115 is a reduced set: its modules lack FN_ConvertUnits,
// PBC_SetBorder, dwInfoGetDWWidth and dwGetRowColUnderPoint.
// Generation 220 stands for an unversioned runtime (PowerBuilder 2019 R3 and
// later): its modules are pbvm.dll, pbdwe.dll and pbsysfunc.dll, whose file
// version 22.0.0.1878 names the generation (major × 10 + minor); its window
// classes carry the generation and the letter u ("pbdw220u", "PBEdit220u",
// "FNWND220u", "FNLISTBOX220u"). pbsim::ModuleFileName below gives the file
// name of a module of any generation.
//
// All functions must be called on the thread that owns the DataWindow window.
// Window handles that are not DataWindow controls of the engine give -1 (or
// null) and change nothing.
#pragma once

#include <windows.h>

#define PBSIM_DEFAULT_GENERATION 105
#define PBSIM_REDUCED_GENERATION 115
#define PBSIM_LOWER_CASE_GENERATION 170
#define PBSIM_UNVERSIONED_GENERATION 220

#define PBSIM_UNVERSIONED_VM_MODULE L"pbvm.dll"
#define PBSIM_UNVERSIONED_ENGINE_MODULE L"pbdwe.dll"
#define PBSIM_UNVERSIONED_SYSTEM_MODULE L"pbsysfunc.dll"

#define PBSIM_VM_MODULE_FORMAT L"PBVM%d.DLL"
#define PBSIM_ENGINE_MODULE_FORMAT L"pbdwe%d.DLL"
#define PBSIM_SYSTEM_MODULE_FORMAT L"pbsys%d.DLL"
#define PBSIM_VM_MODULE_FORMAT_LOWER L"pbvm%d.dll"
#define PBSIM_ENGINE_MODULE_FORMAT_LOWER L"pbdwe%d.dll"
#define PBSIM_SYSTEM_MODULE_FORMAT_LOWER L"pbsys%d.dll"
// Window classes: the DataWindow control, its edit control, runtime windows
// (procedure FN_WindowWnd) and runtime list boxes (procedure FN_ListBoxWnd).
#define PBSIM_DATAWINDOW_CLASS_FORMAT L"pbdw%d"
#define PBSIM_EDIT_CLASS_FORMAT L"PBEdit%d"
#define PBSIM_WINDOW_CLASS_FORMAT L"FNWND%d"
#define PBSIM_LISTBOX_CLASS_FORMAT L"FNLISTBOX%d"

// Creates a DataWindow control as a child of `parent` at the given client
// position and size: window class "pbdw<N>", extended style WS_EX_CLIENTEDGE,
// style WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_TABSTOP plus
// `extraStyle` (for example WS_CAPTION or WS_BORDER); scroll bars appear as
// the content needs them. `definition` is DataWindow syntax (with or without
// a data(...) section); `data`, when not null or empty, replaces the rows:
// one row per line, cells separated by tabs, in column order. Null when the
// definition cannot be read or the window cannot be created; the reason is
// then available from pbsim_GetLastError.
typedef HWND(WINAPI* PFN_pbsim_CreateDataWindow)(HWND parent, LPCWSTR definition, LPCWSTR data, LONG x, LONG y,
                                                 LONG width, LONG height, DWORD extraStyle);
#define PBSIM_CREATE_DATAWINDOW "pbsim_CreateDataWindow"

// Creates a DataWindow control from an exported source file (.srd) in any encoding PowerBuilder
// writes: UTF-8 with or without byte-order mark, UTF-16LE with byte-order mark, or ANSI in the
// system code page (the old "HA" exports). When the source has no data(...) section and
// sampleRows > 0, the DataWindow gets sampleRows generated rows typed after its table columns.
// Otherwise as pbsim_CreateDataWindow (null on failure, reason in pbsim_GetLastError; a file that
// cannot be read gives "Cannot read file <path>").
typedef HWND(WINAPI* PFN_pbsim_CreateDataWindowFromFile)(HWND parent, LPCWSTR path, LONG sampleRows, LONG x, LONG y,
                                                         LONG width, LONG height, DWORD extraStyle);
#define PBSIM_CREATE_DATAWINDOW_FROM_FILE "pbsim_CreateDataWindowFromFile"

// Copies the text of the last failed pbsim_CreateDataWindow or
// pbsim_CreateDataWindowFromFile (empty after a
// success) into the buffer, cut to capacity - 1 characters; returns the full
// length of the text.
typedef LONG(WINAPI* PFN_pbsim_GetLastError)(LPWSTR buffer, LONG capacity);
#define PBSIM_GET_LAST_ERROR "pbsim_GetLastError"

// Script-level modify, as dw.Modify(text) in a script: goes through the
// virtual machine's fndwModify and the engine's DW_Modify. Returns 1 on
// success; -1 on failure, with the error text copied into `error` when it is
// not null (cut to capacity - 1 characters).
typedef LONG(WINAPI* PFN_pbsim_ScriptModify)(HWND dw, LPCWSTR text, LPWSTR error, LONG capacity);
#define PBSIM_SCRIPT_MODIFY "pbsim_ScriptModify"

// Sets "DataWindow.Selected.Mouse" to yes (on != 0) or no, as a script-level
// modify. 1 on success, -1 otherwise.
typedef LONG(WINAPI* PFN_pbsim_SetSelectedMouse)(HWND dw, LONG on);
#define PBSIM_SET_SELECTED_MOUSE "pbsim_SetSelectedMouse"

// Sets "DataWindow.Print.Preview" to yes (on != 0) or no, as a script-level
// modify; the control then paints a page view. 1 on success, -1 otherwise.
typedef LONG(WINAPI* PFN_pbsim_SetPrintPreview)(HWND dw, LONG on);
#define PBSIM_SET_PRINT_PREVIEW "pbsim_SetPrintPreview"

// How "DataWindow.Syntax" writes object lines: with on != 0 in the order of
// an exported DataWindow source (band= first, name= in the middle of the
// line), else name= first (the default). 1, or -1 for other windows.
typedef LONG(WINAPI* PFN_pbsim_SetExportedSyntax)(HWND dw, LONG on);
#define PBSIM_SET_EXPORTED_SYNTAX "pbsim_SetExportedSyntax"

// How many describe calls (FNX_DataWindowDescribe of the virtual machine)
// the DataWindow has answered; -1 for other windows.
typedef LONG(WINAPI* PFN_pbsim_GetDescribeCount)(HWND dw);
#define PBSIM_GET_DESCRIBE_COUNT "pbsim_GetDescribeCount"

// The modify log: every modify the DataWindow received (through dwModify,
// DW_Modify or fndwModify), oldest first, up to the newest 10000.
// GetModifyLogCount: number of records. GetModifyLogEntry: copies the
// modify text and its result ("" on success, else the error text) of record
// `index` (0-based) into the buffers (either may be null), each cut to its
// capacity - 1 characters; returns the full length of the modify text, or -1
// when there is no such record. ClearModifyLog empties the log (1).
typedef LONG(WINAPI* PFN_pbsim_GetModifyLogCount)(HWND dw);
#define PBSIM_GET_MODIFY_LOG_COUNT "pbsim_GetModifyLogCount"
typedef LONG(WINAPI* PFN_pbsim_GetModifyLogEntry)(HWND dw, LONG index, LPWSTR text, LONG textCapacity, LPWSTR result,
                                                  LONG resultCapacity);
#define PBSIM_GET_MODIFY_LOG_ENTRY "pbsim_GetModifyLogEntry"
typedef LONG(WINAPI* PFN_pbsim_ClearModifyLog)(HWND dw);
#define PBSIM_CLEAR_MODIFY_LOG "pbsim_ClearModifyLog"

// Prints the DataWindow into a device context, as dw.Print() does: through
// the virtual machine's fndwPrint and the engine's DW_Print, which asks
// FN_DWGetHandle for the window while it prints. A printer context gets a
// document with one page per page of rows; any other context (a memory
// context, a window's context) gets the first page drawn at its origin.
// Returns the number of pages printed, or -1.
typedef LONG(WINAPI* PFN_pbsim_PrintToDC)(HWND dw, HDC hdc);
#define PBSIM_PRINT_TO_DC "pbsim_PrintToDC"

// The edit control that the DataWindow shows over its current cell (a child
// window of class "PBEdit<N>", procedure dwWinProcEdit), or null when it has
// not been created yet.
typedef HWND(WINAPI* PFN_pbsim_GetEditControl)(HWND dw);
#define PBSIM_GET_EDIT_CONTROL "pbsim_GetEditControl"

// A runtime window (class "FNWND<N>", procedure FN_WindowWnd of the virtual
// machine): a child of `parent`, or a top-level overlapped window when parent
// is null. Null when the virtual machine is not loaded.
typedef HWND(WINAPI* PFN_pbsim_CreateRuntimeWindow)(HWND parent, LPCWSTR title, LONG x, LONG y, LONG width,
                                                    LONG height);
#define PBSIM_CREATE_RUNTIME_WINDOW "pbsim_CreateRuntimeWindow"

// A runtime list box (class "FNLISTBOX<N>", procedure FN_ListBoxWnd of the
// virtual machine, a superclass of the system LISTBOX): a child of `parent`.
typedef HWND(WINAPI* PFN_pbsim_CreateRuntimeListBox)(HWND parent, LONG x, LONG y, LONG width, LONG height);
#define PBSIM_CREATE_RUNTIME_LISTBOX "pbsim_CreateRuntimeListBox"

#ifdef __cplusplus
#include <cwchar>

namespace pbsim {

enum class ModuleKind { VirtualMachine, Engine, System };

// The file name of a module of the given generation: "PBVM105.DLL",
// "pbdwe105.DLL", "pbsys105.DLL"; in lower case for generation 170; fixed
// names for the unversioned generation.
inline void ModuleFileName(ModuleKind kind, int generation, wchar_t (&name)[64]) {
    if (generation == PBSIM_UNVERSIONED_GENERATION) {
        const wchar_t* fixed = kind == ModuleKind::VirtualMachine ? PBSIM_UNVERSIONED_VM_MODULE
                               : kind == ModuleKind::Engine       ? PBSIM_UNVERSIONED_ENGINE_MODULE
                                                                  : PBSIM_UNVERSIONED_SYSTEM_MODULE;
        swprintf(name, 64, L"%ls", fixed);
        return;
    }
    const bool lower = generation == PBSIM_LOWER_CASE_GENERATION;
    const wchar_t* format =
        kind == ModuleKind::VirtualMachine ? (lower ? PBSIM_VM_MODULE_FORMAT_LOWER : PBSIM_VM_MODULE_FORMAT)
        : kind == ModuleKind::Engine       ? (lower ? PBSIM_ENGINE_MODULE_FORMAT_LOWER : PBSIM_ENGINE_MODULE_FORMAT)
                                           : (lower ? PBSIM_SYSTEM_MODULE_FORMAT_LOWER : PBSIM_SYSTEM_MODULE_FORMAT);
    swprintf(name, 64, format, generation);
}

// Loads the three modules of one generation and resolves the control API.
// Every member is null when its module or export is missing.
struct RuntimeModules {
    HMODULE vm = nullptr;
    HMODULE engine = nullptr;
    HMODULE system = nullptr;
    PFN_pbsim_CreateDataWindow CreateDataWindow = nullptr;
    PFN_pbsim_GetLastError GetLastError = nullptr;
    PFN_pbsim_ScriptModify ScriptModify = nullptr;
    PFN_pbsim_SetSelectedMouse SetSelectedMouse = nullptr;
    PFN_pbsim_SetPrintPreview SetPrintPreview = nullptr;
    PFN_pbsim_GetModifyLogCount GetModifyLogCount = nullptr;
    PFN_pbsim_GetModifyLogEntry GetModifyLogEntry = nullptr;
    PFN_pbsim_ClearModifyLog ClearModifyLog = nullptr;
    PFN_pbsim_PrintToDC PrintToDC = nullptr;
    PFN_pbsim_GetEditControl GetEditControl = nullptr;
    PFN_pbsim_CreateRuntimeWindow CreateRuntimeWindow = nullptr;
    PFN_pbsim_CreateRuntimeListBox CreateRuntimeListBox = nullptr;
    // May be null: engines built before it existed lack it (Load does not
    // require it).
    PFN_pbsim_CreateDataWindowFromFile CreateDataWindowFromFile = nullptr;

    RuntimeModules() = default;
    RuntimeModules(const RuntimeModules&) = delete;
    RuntimeModules& operator=(const RuntimeModules&) = delete;
    ~RuntimeModules() { Unload(); }

    // True when all three modules loaded and every function was found.
    bool Load(int generation = PBSIM_DEFAULT_GENERATION) {
        Unload();
        wchar_t name[64];
        ModuleFileName(ModuleKind::VirtualMachine, generation, name);
        vm = LoadLibraryW(name);
        ModuleFileName(ModuleKind::Engine, generation, name);
        engine = LoadLibraryW(name);
        ModuleFileName(ModuleKind::System, generation, name);
        system = LoadLibraryW(name);
        Resolve(CreateDataWindow, PBSIM_CREATE_DATAWINDOW);
        Resolve(GetLastError, PBSIM_GET_LAST_ERROR);
        Resolve(ScriptModify, PBSIM_SCRIPT_MODIFY);
        Resolve(SetSelectedMouse, PBSIM_SET_SELECTED_MOUSE);
        Resolve(SetPrintPreview, PBSIM_SET_PRINT_PREVIEW);
        Resolve(GetModifyLogCount, PBSIM_GET_MODIFY_LOG_COUNT);
        Resolve(GetModifyLogEntry, PBSIM_GET_MODIFY_LOG_ENTRY);
        Resolve(ClearModifyLog, PBSIM_CLEAR_MODIFY_LOG);
        Resolve(PrintToDC, PBSIM_PRINT_TO_DC);
        Resolve(GetEditControl, PBSIM_GET_EDIT_CONTROL);
        Resolve(CreateRuntimeWindow, PBSIM_CREATE_RUNTIME_WINDOW);
        Resolve(CreateRuntimeListBox, PBSIM_CREATE_RUNTIME_LISTBOX);
        Resolve(CreateDataWindowFromFile, PBSIM_CREATE_DATAWINDOW_FROM_FILE);
        return vm && engine && system && CreateDataWindow && GetLastError && ScriptModify && SetSelectedMouse &&
               SetPrintPreview && GetModifyLogCount && GetModifyLogEntry && ClearModifyLog && PrintToDC &&
               GetEditControl && CreateRuntimeWindow && CreateRuntimeListBox;
    }

    // Frees the modules; every window of the engine must be destroyed first.
    void Unload() {
        if (system) FreeLibrary(system);
        if (engine) FreeLibrary(engine);
        if (vm) FreeLibrary(vm);
        vm = engine = system = nullptr;
        CreateDataWindow = nullptr;
        GetLastError = nullptr;
        ScriptModify = nullptr;
        SetSelectedMouse = nullptr;
        SetPrintPreview = nullptr;
        GetModifyLogCount = nullptr;
        GetModifyLogEntry = nullptr;
        ClearModifyLog = nullptr;
        PrintToDC = nullptr;
        GetEditControl = nullptr;
        CreateRuntimeWindow = nullptr;
        CreateRuntimeListBox = nullptr;
        CreateDataWindowFromFile = nullptr;
    }

private:
    template <class F>
    void Resolve(F& target, const char* name) {
        target = engine ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(engine, name))) : nullptr;
    }
};

}  // namespace pbsim
#endif
