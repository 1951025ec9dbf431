// Script-level modifies (fndwModify, and the engine's DW_Modify behind it)
// may change what an attached DataWindow shows, print preview among it:
// after each, every attached DataWindow is checked again.
#include "datawindow/dw_list.h"
#include "base/globals.h"
#include "base/real_functions.h"

namespace {

LONG_PTR ModifyCall(PFN_RuntimeInternal real, LONG_PTR dw, LONG_PTR text) {
    const LONG_PTR result = real(dw, text);
    if (g_pDWlist) g_pDWlist->RefreshAll();
    return result;
}

}  // namespace

LONG_PTR WINAPI HookfndwModify(LONG_PTR dw, LONG_PTR text) { return ModifyCall(Real_fndwModify, dw, text); }

LONG_PTR WINAPI HookDW_Modify(LONG_PTR dw, LONG_PTR text) { return ModifyCall(Real_DW_Modify, dw, text); }
