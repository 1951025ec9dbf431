#include "datawindow/dw_object.h"

#include <cwchar>

#include "base/debug_log.h"

namespace {

template <typename F>
void Resolve(HMODULE h, F& slot, const char* name) {
    slot = h ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(h, name))) : nullptr;
}

}  // namespace

DWObject::DWObject() : m_clrGridLine(GetSysColor(COLOR_3DLIGHT)) { InitializeCriticalSection(&m_cs); }

DWObject::~DWObject() {
    for (HeaderObject* p : m_vHeaderObjects) delete p;
    m_vHeaderObjects.clear();
    if (m_hToolTip) DestroyWindow(m_hToolTip);
    DeleteCriticalSection(&m_cs);
    m_ScrollSkin.CloseTheme();
}

void DWObject::ResolveRuntimeFunctions(HMODULE hPBVM, HMODULE hPBDWE) {
    // Each record resolves its own copy; nothing is cached across records.
    Resolve(hPBVM, m_pfnDescribe, "FNX_DataWindowDescribe");
    Resolve(hPBVM, m_pfnGetCurrentColumn, "FNX_DataWindowGetCurrentColumn");
    Resolve(hPBVM, m_pfnGetCurrentRow, "FNX_DataWindowGetCurrentRow");
    Resolve(hPBVM, m_pfnGetRowCount, "FNX_DataWindowGetRowCount");
    Resolve(hPBVM, m_pfnSaveAs, "FNX_DataWindowSaveAs");
    Resolve(hPBVM, m_pfnSelectRow, "FNX_DataWindowSelectRow");
    Resolve(hPBVM, m_pfnSetAllEvents, "FNX_DataWindowSetAllEvents");
    Resolve(hPBVM, m_pfnObjectClassName, "FNX_ObjectClassName");
    Resolve(hPBVM, m_pfnConvertUnits, "FN_ConvertUnits");
    Resolve(hPBVM, m_pfnSetBorder, "PBC_SetBorder");
    Resolve(hPBDWE, m_pfnModify, "dwModify");
    Resolve(hPBDWE, m_pfnGetBandUnderMouse, "dwGetBandUnderMouse");
    Resolve(hPBDWE, m_pfnGetObjectUnderMouse, "dwGetObjectUnderMouse");
    Resolve(hPBDWE, m_pfnGetRowColUnderPoint, "dwGetRowColUnderPoint");
    Resolve(hPBDWE, m_pfnGetProgram, "dwGetProgram");
    Resolve(hPBDWE, m_pfnInfoGetDWWidth, "dwInfoGetDWWidth");
    Resolve(hPBDWE, m_pfnGetCurrentText, "dwGetCurrentText");
    Resolve(hPBDWE, m_pfnGetCurrentTextLength, "dwGetCurrentTextLength");
}

HeaderObject* DWObject::AddHeaderObject(const std::wstring& name, int kind) {
    if (name.size() >= kHeaderNameCapacity) {
        DebugLogW(L"object name longer than %d characters, not recorded: %ls\n",
                  static_cast<int>(kHeaderNameCapacity - 1), name.c_str());
        return nullptr;
    }
    HeaderObject* obj = new HeaderObject();
    wcsncpy(obj->name, name.c_str(), kHeaderNameCapacity - 1);
    obj->name[kHeaderNameCapacity - 1] = L'\0';
    obj->kind = kind;
    m_vHeaderObjects.push_back(obj);
    return obj;
}
