#include "thread_suspension.h"

#include <new>

namespace intercept {
namespace {

#if defined(_WIN64)
uintptr_t InstructionPointer(const CONTEXT& context) { return context.Rip; }
void SetInstructionPointer(CONTEXT& context, uintptr_t ip) { context.Rip = ip; }
#else
uintptr_t InstructionPointer(const CONTEXT& context) { return context.Eip; }
void SetInstructionPointer(CONTEXT& context, uintptr_t ip) { context.Eip = static_cast<DWORD>(ip); }
#endif

LONG LastError(LONG otherwise) {
    const DWORD error = GetLastError();
    return error != NO_ERROR ? static_cast<LONG>(error) : otherwise;
}

}  // namespace

LONG StopAndConfirm(HANDLE own, bool* stoppedBefore) {
    const DWORD previous = SuspendThread(own);
    if (previous == static_cast<DWORD>(-1)) return LastError(ERROR_ACCESS_DENIED);
    if (stoppedBefore != nullptr) {
        *stoppedBefore = previous != 0;
        if (*stoppedBefore) return NO_ERROR;
    }
    // SuspendThread only asks; reading the context waits until the thread has
    // really stopped.
    CONTEXT context = {};
    context.ContextFlags = CONTEXT_CONTROL;
    if (!GetThreadContext(own, &context)) {
        const LONG error = LastError(ERROR_ACCESS_DENIED);
        ResumeThread(own);
        return error;
    }
    return NO_ERROR;
}

LONG EnlistThread(HANDLE hThread, std::vector<SuspendedThread>* threads) {
    if (hThread == nullptr || hThread == INVALID_HANDLE_VALUE) return ERROR_INVALID_HANDLE;
    const DWORD id = GetThreadId(hThread);
    if (id == 0) return ERROR_INVALID_HANDLE;
    if (id == GetCurrentThreadId()) return NO_ERROR;  // the caller keeps running
    for (const SuspendedThread& thread : *threads) {
        if (thread.id() == id) return NO_ERROR;
    }
    try {
        threads->reserve(threads->size() + 1);
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    HANDLE own = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), hThread, GetCurrentProcess(), &own, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
        return ERROR_INVALID_HANDLE;
    }
    const LONG error = StopAndConfirm(own, nullptr);
    if (error != NO_ERROR) {
        CloseHandle(own);
        return error;
    }
    threads->emplace_back(own, id);
    return NO_ERROR;
}

bool AnyThreadHolds(const std::vector<SuspendedThread>& threads, const BYTE* begin, size_t size) {
    const auto low = reinterpret_cast<uintptr_t>(begin);
    for (const SuspendedThread& thread : threads) {
        if (thread.stoppedBefore()) return true;  // cannot tell: keep it
        CONTEXT context = {};
        context.ContextFlags = CONTEXT_CONTROL | CONTEXT_INTEGER;
        if (!GetThreadContext(thread.get(), &context)) return true;  // cannot tell: keep it
#if defined(_WIN64)
        const uintptr_t values[] = {context.Rip, context.Rax, context.Rbx, context.Rcx, context.Rdx, context.Rsi,
                                    context.Rdi, context.Rbp, context.R8,  context.R9,  context.R10, context.R11,
                                    context.R12, context.R13, context.R14, context.R15};
#else
        const uintptr_t values[] = {context.Eip, context.Eax, context.Ebx, context.Ecx,
                                    context.Edx, context.Esi, context.Edi, context.Ebp};
#endif
        for (uintptr_t value : values) {
            if (value - low < size) return true;
        }
    }
    return false;
}

void MoveInstructionPointers(const std::vector<SuspendedThread>& threads, const InstructionPointerMap& map) {
    for (const SuspendedThread& thread : threads) {
        if (thread.stoppedBefore()) continue;
        CONTEXT context = {};
        context.ContextFlags = CONTEXT_CONTROL;
        if (!GetThreadContext(thread.get(), &context)) continue;
        uintptr_t moved = 0;
        if (map.Move(InstructionPointer(context), &moved)) {
            SetInstructionPointer(context, moved);
            SetThreadContext(thread.get(), &context);
        }
    }
}

}  // namespace intercept
