// Every file dialog of the process opens in the resizable Explorer style:
// the structure is given the current size and the Explorer and resizable
// flags before the real function runs.
//
// A caller with the older, smaller structure (76 bytes in 32-bit programs)
// must not have the dialog read or write past it: the dialog then works on a
// full-size copy, and what it writes back lands in the caller's part. The
// caller's size field is put back afterwards, so that a structure used again
// is not taken for a larger one.
#include <cstring>

#include "base/real_functions.h"

namespace {

constexpr DWORD kExplorer = 0x00080000;   // OFN_EXPLORER
constexpr DWORD kResizable = 0x00800000;  // OFN_ENABLESIZING

BOOL ShowResizable(decltype(&GetOpenFileNameW) real, LPOPENFILENAMEW ofn) {
    if (!ofn || ofn->lStructSize < OPENFILENAME_SIZE_VERSION_400W) return real(ofn);
    const DWORD given = ofn->lStructSize;
    ofn->Flags |= kExplorer | kResizable;
    if (given >= sizeof(OPENFILENAMEW)) {
        ofn->lStructSize = sizeof(OPENFILENAMEW);  // 88 in the 32-bit library
        return real(ofn);
    }
    OPENFILENAMEW full = {};
    std::memcpy(&full, ofn, given);
    full.lStructSize = sizeof(OPENFILENAMEW);
    const BOOL result = real(&full);
    std::memcpy(ofn, &full, given);
    ofn->lStructSize = given;
    return result;
}

}  // namespace

BOOL WINAPI HookGetOpenFileNameW(LPOPENFILENAMEW ofn) { return ShowResizable(Real_GetOpenFileNameW, ofn); }

BOOL WINAPI HookGetSaveFileNameW(LPOPENFILENAMEW ofn) { return ShowResizable(Real_GetSaveFileNameW, ofn); }
