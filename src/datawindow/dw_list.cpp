#include "datawindow/dw_list.h"

#include <cwchar>
#include <memory>
#include <vector>

#include "datawindow/attach_analysis.h"
#include "datawindow/dw_object.h"
#include "header/info_tip.h"
#include "header/print_preview.h"

DWList::DWList() {
    m_strIconFont = L"iconfont.ttf";
    m_hUxTheme = LoadLibraryW(L"uxtheme.dll");
    if (m_hUxTheme) m_bFreeUxTheme = 1;
}

DWList::~DWList() {
    if (m_bFreePBDWE && m_hPBDWE) FreeLibrary(m_hPBDWE);
    if (m_bFreeUxTheme && m_hUxTheme) FreeLibrary(m_hUxTheme);
    if (m_bFreePBSYS && m_hPBSYS) FreeLibrary(m_hPBSYS);
    m_mapDC.clear();
    m_mapDW.clear();
    m_strIconFont.clear();
    // No record is left to describe with.
    DWObject::FreeDescribeBuffer();
}

DWObject* DWList::RecordOf(HWND hWnd) const {
    auto it = m_mapDW.find(hWnd);
    if (it == m_mapDW.end() || !it->second || it->second->m_bWindowGone) return nullptr;
    return it->second;
}

void DWList::ForgetDCsOf(const DWObject* record) {
    for (auto dc = m_mapDC.begin(); dc != m_mapDC.end();) {
        if (dc->second == record) dc = m_mapDC.erase(dc);
        else ++dc;
    }
}

void DWList::WindowDestroyed(HWND hWnd) {
    DWObject* record = RecordOf(hWnd);
    if (!record) return;
    record->m_bWindowGone = 1;
    ForgetDCsOf(record);
    // The tooltip is a popup owned by the DataWindow's top-level window,
    // which outlives the DataWindow: it goes now, while its handle still
    // names it (later the value may name another window).
    DestroyOwnTooltip(record->m_hToolTip);
    record->m_hToolTip = nullptr;
}

bool DWList::IsDataWindowClass(HWND hWnd) const {
    wchar_t cls[101] = {};
    if (GetClassNameW(hWnd, cls, 100) == 0) return false;
    if (m_bUnversioned) {
        // The class name is the engine's own choice: a DataWindow is a "pbdw"
        // class that the bound engine registered.
        const auto module = reinterpret_cast<HMODULE>(GetClassLongPtrW(hWnd, GCLP_HMODULE));
        return m_hPBDWE && module == m_hPBDWE && _wcsnicmp(cls, m_szDWClass, 4) == 0;
    }
    // Six characters, not the whole name: the classes of generations 100 and
    // 105 both begin with "pbdw10".
    return _wcsnicmp(cls, m_szDWClass, 6) == 0;
}

DWObject* DWList::FindDW(HWND hWnd) const { return RecordOf(hWnd); }

DWObject* DWList::CreateDW(HWND hWnd) {
    if (DWObject* existing = RecordOf(hWnd)) return existing;
    // The record of a destroyed window whose handle value names a new window.
    RemoveDW(hWnd);
    if (!IsDataWindowClass(hWnd)) return nullptr;
    // Nothing is kept of a record whose making fails half-way.
    std::unique_ptr<DWObject> record(new DWObject());
    record->ResolveRuntimeFunctions(m_hPBVM, m_hPBDWE);
    AnalyseAttach(*record, hWnd);
    m_mapDW[hWnd] = record.get();
    return record.release();
}

void DWList::RemoveDW(HWND hWnd) {
    auto it = m_mapDW.find(hWnd);
    if (it == m_mapDW.end() || !it->second) return;
    DWObject* record = it->second;
    // A paint device context and the memory contexts made from it may all
    // refer to the same record.
    ForgetDCsOf(record);
    delete record;
    m_mapDW.erase(hWnd);
}

void DWList::ReleaseAll() {
    m_mapDC.clear();
    for (auto& entry : m_mapDW) {
        DWObject* record = entry.second;
        if (!record) continue;
        entry.second = nullptr;
        delete record;
    }
    m_mapDW.clear();
}

DWObject* DWList::FindDWForDC(HDC hdc) const {
    if (m_hPrintDW) return RecordOf(m_hPrintDW);
    auto it = m_mapDC.find(hdc);
    return it == m_mapDC.end() ? nullptr : it->second;
}

DWObject* DWList::GetPrintingDW() const {
    if (!m_bPrintJob) return nullptr;
    return RecordOf(m_hPrintDW);
}

HWND DWList::SetPrintTarget(HWND hWnd) {
    if (hWnd) {
        m_hPrintDW = hWnd;
        if (DWObject* record = RecordOf(hWnd)) record->m_bPrinting = 1;
    }
    return m_hPrintDW;
}

void DWList::RefreshAll() {
    for (auto& entry : m_mapDW) {
        if (entry.second && !entry.second->m_bWindowGone && IsWindow(entry.first)) CheckPrintPreview(*entry.second);
    }
}
