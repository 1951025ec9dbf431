#include "thread_suspension.h"

namespace intercept {
namespace {

#if defined(_WIN64)
uintptr_t InstructionPointer(const CONTEXT& context) { return context.Rip; }
void SetInstructionPointer(CONTEXT& context, uintptr_t ip) { context.Rip = ip; }
#else
uintptr_t InstructionPointer(const CONTEXT& context) { return context.Eip; }
void SetInstructionPointer(CONTEXT& context, uintptr_t ip) { context.Eip = static_cast<DWORD>(ip); }
#endif

}  // namespace

LONG EnlistThread(HANDLE hThread, std::vector<ThreadHandle>* threads) {
  if (hThread == nullptr || hThread == INVALID_HANDLE_VALUE) return ERROR_INVALID_HANDLE;
  const DWORD id = GetThreadId(hThread);
  if (id == 0) return ERROR_INVALID_HANDLE;
  if (id == GetCurrentThreadId()) return NO_ERROR;  // the caller keeps running
  for (const ThreadHandle& thread : *threads) {
    if (thread.id() == id) return NO_ERROR;
  }
  HANDLE own = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), hThread, GetCurrentProcess(), &own, 0, FALSE,
                       DUPLICATE_SAME_ACCESS)) {
    return ERROR_INVALID_HANDLE;
  }
  threads->emplace_back(own, id);
  return NO_ERROR;
}

ThreadSuspension::ThreadSuspension(const std::vector<ThreadHandle>& threads) {
  suspended_.reserve(threads.size());
  for (const ThreadHandle& thread : threads) {
    if (SuspendThread(thread.get()) != static_cast<DWORD>(-1)) suspended_.push_back(thread.get());
  }
}

ThreadSuspension::~ThreadSuspension() {
  for (HANDLE thread : suspended_) ResumeThread(thread);
}

void ThreadSuspension::MoveInstructionPointers(const InstructionPointerMap& map) const {
  for (HANDLE thread : suspended_) {
    CONTEXT context = {};
    context.ContextFlags = CONTEXT_CONTROL;
    if (!GetThreadContext(thread, &context)) continue;
    uintptr_t moved = 0;
    if (map.Move(InstructionPointer(context), &moved)) {
      SetInstructionPointer(context, moved);
      SetThreadContext(thread, &context);
    }
  }
}

}  // namespace intercept
