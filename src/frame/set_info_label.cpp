// SetInfoLabel: the caption of one information text for the whole process,
// in force for every DataWindow whose settings file does not set that label
// itself. It needs no started library (a host may set its labels once, before
// StartTessel) and stays until it is set again.
#include "datawindow/info_labels.h"
#include "base/call_barrier.h"
#include "base/debug_log.h"
#include "frame/exports.h"

TESSEL_API SetInfoLabel(LPCWSTR pszKey, LPCWSTR pszLabel) {
    return RunExport("SetInfoLabel", 0, [&]() -> int {
        const int label = FindInfoLabel(pszKey);
        if (label < 0) {
            DebugLog("SetInfoLabel: no label has this key\n");
            return 0;
        }
        // Once started, the labels are read on the thread that started the
        // library, and written there only.
        if (call_barrier::g_owner.load() != 0 && !call_barrier::OnOwnerThread()) {
            DebugLog("SetInfoLabel: thread %lu is not the one that started the library: call refused\n",
                     static_cast<unsigned long>(GetCurrentThreadId()));
            return 0;
        }
        ProcessInfoLabels().Set(label, pszLabel);
        return 1;
    });
}
