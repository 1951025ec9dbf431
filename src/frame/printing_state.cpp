// The printing state of the DWList: a print job runs from the first open
// printer to the last close, or for the duration of a runtime print call;
// while it runs, the DataWindow the runtime names through FN_DWGetHandle is
// the one being printed, and every device context paints as that DataWindow.
#include "datawindow/dw_object.h"
#include "datawindow/dw_list.h"
#include "base/globals.h"
#include "base/real_functions.h"

namespace {

// The print target's record stops printing and the target is forgotten.
void EndPrintTarget(DWList& list) {
    if (DWObject* record = list.FindDW(list.m_hPrintDW)) record->m_bPrinting = 0;
    list.m_hPrintDW = nullptr;
}

LONG_PTR PrintCall(PFN_RuntimeInternal real, LONG_PTR dw, LONG_PTR dc) {
    if (g_pDWlist) g_pDWlist->m_bPrintJob = 1;
    const LONG_PTR result = real(dw, dc);
    if (g_pDWlist) {
        g_pDWlist->m_bPrintJob = 0;
        EndPrintTarget(*g_pDWlist);
    }
    return result;
}

}  // namespace

BOOL WINAPI HookOpenPrinterW(LPWSTR pPrinterName, LPHANDLE phPrinter, LPPRINTER_DEFAULTSW pDefault) {
    const BOOL result = Real_OpenPrinterW(pPrinterName, phPrinter, pDefault);
    if (g_pDWlist) {
        if (g_pDWlist->m_nOpenPrinters == 0) g_pDWlist->m_bPrintJob = 1;
        ++g_pDWlist->m_nOpenPrinters;
    }
    return result;
}

BOOL WINAPI HookClosePrinter(HANDLE hPrinter) {
    if (g_pDWlist && --g_pDWlist->m_nOpenPrinters == 0) {
        g_pDWlist->m_bPrintJob = 0;
        EndPrintTarget(*g_pDWlist);
    }
    return Real_ClosePrinter(hPrinter);
}

LONG_PTR WINAPI HookfndwPrint(LONG_PTR dw, LONG_PTR dc) { return PrintCall(Real_fndwPrint, dw, dc); }

LONG_PTR WINAPI HookDW_Print(LONG_PTR dw, LONG_PTR dc) { return PrintCall(Real_DW_Print, dw, dc); }

LONG_PTR WINAPI HookFN_DWGetHandle(LONG_PTR dw, LONG_PTR unused) {
    const LONG_PTR window = Real_FN_DWGetHandle(dw, unused);
    if (g_pDWlist && g_pDWlist->m_bPrintJob) g_pDWlist->SetPrintTarget(reinterpret_cast<HWND>(window));
    return window;
}
