#include "base/call_barrier.h"

#include "base/debug_log.h"

namespace call_barrier {

std::atomic<DWORD> g_owner{0};
std::atomic<long> g_foreignCalls{0};

void SetOwner(DWORD threadId) { g_owner.store(threadId, std::memory_order_seq_cst); }

bool WaitForForeignCalls(DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (g_foreignCalls.load(std::memory_order_seq_cst) != 0) {
        if (GetTickCount() - start >= timeoutMs) return false;
        // A call of another thread may be waiting for this thread to take a
        // message it sent (a child window created on a worker, for one).
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_SENDMESSAGE);
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    return true;
}

void ReportEscape(const char* what) noexcept {
    const DWORD error = GetLastError();
    try {
        DebugLog("%s: stopped an exception\n", what);
    } catch (...) {}
    SetLastError(error);
}

}  // namespace call_barrier
