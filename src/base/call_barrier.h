// The thread contract of the replacements, and the barrier every replacement
// and every export runs behind.
//
// The thread that calls StartTessel owns the library: its records (the
// DataWindow list, the window list, the device-context maps, the icon-font
// environment, the re-entrancy flags in them) are read and written on that
// thread only. On any other thread a replacement passes the call straight to
// the real function, with one exception: GetSysColor, which answers from the
// immutable colour table the owner publishes as a whole (sys_color_table.h).
// A re-entrancy flag set by the owner is therefore never seen by another
// thread.
//
// Calls on other threads are counted while they run, so that the owner can
// wait before it frees or reuses what such a call may still hold: the
// colour tables it retired (StopTessel) and the trampolines of the last
// removal, whose slots the next installation reuses (StartTessel).
//
// No exception leaves a replacement: one that throws writes a debug line and
// the call is made again through the real function with the caller's
// arguments. No exception leaves an export either: it returns its failure
// value (RunExport).
#pragma once

#include <windows.h>

#include <atomic>

namespace call_barrier {

extern std::atomic<DWORD> g_owner;        // the owning thread, 0 when stopped
extern std::atomic<long> g_foreignCalls;  // calls of other threads inside a replacement

// Makes the calling thread the owner; StopTessel gives ownership up with 0.
void SetOwner(DWORD threadId);
inline bool OnOwnerThread() { return GetCurrentThreadId() == g_owner.load(std::memory_order_relaxed); }

// Waits, handling the messages other threads send to this one meanwhile,
// until no other thread is inside a replacement; false when some still are
// after the time allowed.
bool WaitForForeignCalls(DWORD timeoutMs);

// The debug line of a replacement or export that an exception left.
void ReportEscape(const char* what) noexcept;

class ForeignCall {
public:
    ForeignCall() { g_foreignCalls.fetch_add(1, std::memory_order_seq_cst); }
    ~ForeignCall() { g_foreignCalls.fetch_sub(1, std::memory_order_seq_cst); }
    ForeignCall(const ForeignCall&) = delete;
    ForeignCall& operator=(const ForeignCall&) = delete;
};

}  // namespace call_barrier

// Barrier<function type>::Call<replacement, real-entry variable, name,
// runs on every thread> is the code installed for one interception.
template <typename F>
struct Barrier;

template <typename R, typename... A>
struct Barrier<R WINAPI(A...)> {
    template <R(WINAPI* Hook)(A...), R(WINAPI** Real)(A...), const char* Name, bool AnyThread>
    static R WINAPI Call(A... args) noexcept {
        if (!call_barrier::OnOwnerThread()) {
            call_barrier::ForeignCall counted;
            if constexpr (!AnyThread) return (*Real)(args...);
            try {
                return Hook(args...);
            } catch (...) {
                call_barrier::ReportEscape(Name);
            }
            return (*Real)(args...);
        }
        try {
            return Hook(args...);
        } catch (...) {
            call_barrier::ReportEscape(Name);
        }
        return (*Real)(args...);
    }
};

// Runs an export's body; an exception that leaves it is reported and the
// export returns failure.
template <typename Body>
int RunExport(const char* name, int failure, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        call_barrier::ReportEscape(name);
    }
    return failure;
}
