// Transactions: attach and detach only queue work (an attach already builds
// its trampoline); commit applies all of it at once with the enlisted threads
// suspended, abort drops it. One transaction is open at a time in the
// process, and only the thread that began it may add to it.
//
// A refused attach or detach returns its error and leaves the transaction as
// it was: the operations queued before and after it are still committed.
//
// Results:
//   ERROR_INVALID_OPERATION  no transaction of the calling thread is open (or
//                            one is open already, for begin), the variable
//                            or target is already queued in this transaction,
//                            or the variable points into a trampoline;
//   ERROR_INVALID_PARAMETER  null or unwritable variable, null replacement,
//                            or a detach whose replacement does not match;
//   ERROR_INVALID_BLOCK      a detach of a variable that is not intercepted;
//   ERROR_INVALID_ADDRESS    the variable does not point at executable code;
//   ERROR_NOT_ENOUGH_MEMORY  no executable memory for the trampoline;
//   the errors of BuildTrampoline (trampoline.h) for code that cannot be
//   intercepted, and VirtualProtect's error when a commit cannot make the
//   code writable (nothing of that commit is then applied).
#include <windows.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "exec_pool.h"
#include "intercept/intercept.h"
#include "memory_access.h"
#include "thread_suspension.h"
#include "trampoline.h"

namespace intercept {
namespace {

// One interception: committed, or queued by an attach of the open transaction.
struct Hook {
  PVOID* pointer = nullptr;   // the real-entry variable given at attach
  PVOID original = nullptr;   // its value before the attach
  PVOID detour = nullptr;
  Trampoline trampoline;
};

struct Operation {
  bool attach = false;
  PVOID* pointer = nullptr;   // the variable the commit updates
  Hook* hook = nullptr;       // attach: in Engine::queued; detach: in Engine::active
};

struct Engine {
  volatile LONG owner = 0;  // id of the thread whose transaction is open
  std::vector<std::unique_ptr<Hook>> active;
  std::vector<std::unique_ptr<Hook>> queued;
  std::vector<Operation> operations;
  std::vector<ThreadHandle> threads;
};

Engine g_engine;

bool OwnedByCaller() {
  return static_cast<DWORD>(g_engine.owner) == GetCurrentThreadId();
}

bool Overlaps(const BYTE* a, size_t aSize, const BYTE* b, size_t bSize) {
  return a < b + bSize && b < a + aSize;
}

// True when the bytes [code, code + size) are already being rewritten by a
// queued operation or lie inside the stolen bytes of a committed interception
// without being its (jumped-over) entry.
bool Conflicts(const BYTE* code, size_t size) {
  for (const Operation& op : g_engine.operations) {
    const Trampoline& t = op.hook->trampoline;
    if (Overlaps(code, size, t.target, t.stolenSize)) return true;
  }
  for (const auto& hook : g_engine.active) {
    const Trampoline& t = hook->trampoline;
    if (Overlaps(code, size, t.target, t.stolenSize)) return true;
  }
  return false;
}

bool Queued(PVOID* pointer) {
  return std::any_of(g_engine.operations.begin(), g_engine.operations.end(),
                     [pointer](const Operation& op) { return op.pointer == pointer; });
}

// Moves threads out of the bytes a commit rewrites: into the new trampolines
// for attaches, back into the restored code for detaches.
class CommitIpMap final : public InstructionPointerMap {
 public:
  explicit CommitIpMap(const std::vector<Operation>& operations) : operations_(operations) {}
  bool Move(uintptr_t ip, uintptr_t* moved) const override {
    for (const Operation& op : operations_) {
      const Trampoline& t = op.hook->trampoline;
      if (op.attach ? TrampolineAddressFor(t, ip, moved) : TargetAddressFor(t, ip, moved)) return true;
    }
    return false;
  }

 private:
  const std::vector<Operation>& operations_;
};

struct Unprotected {
  BYTE* address;
  size_t size;
  DWORD old;
};

void Reprotect(const std::vector<Unprotected>& changed) {
  for (size_t i = changed.size(); i-- > 0;) {
    DWORD ignored = 0;
    VirtualProtect(changed[i].address, changed[i].size, changed[i].old, &ignored);
    FlushInstructionCache(GetCurrentProcess(), changed[i].address, changed[i].size);
  }
}

// Ends the open transaction: queued trampolines that were not committed go
// back to the pool, the enlisted threads are let go.
void Close() {
  for (const auto& hook : g_engine.queued) TrampolinePool().Release(hook->trampoline.code);
  g_engine.queued.clear();
  g_engine.operations.clear();
  g_engine.threads.clear();
  TrampolinePool().Seal();
  InterlockedExchange(&g_engine.owner, 0);
}

LONG Apply() {
  std::vector<Unprotected> changed;
  changed.reserve(g_engine.operations.size());
  ThreadSuspension suspension(g_engine.threads);
  for (const Operation& op : g_engine.operations) {
    const Trampoline& t = op.hook->trampoline;
    DWORD old = 0;
    if (!VirtualProtect(t.target, t.stolenSize, PAGE_EXECUTE_READWRITE, &old)) {
      const DWORD error = GetLastError();
      Reprotect(changed);
      return error != NO_ERROR ? static_cast<LONG>(error) : ERROR_INVALID_ADDRESS;
    }
    changed.push_back({t.target, t.stolenSize, old});
  }
  for (const Operation& op : g_engine.operations) {
    Hook& hook = *op.hook;
    if (op.attach) {
      // The variable first: a replacement that passes calls on through it
      // must find the trampoline as soon as the entry jump is in place.
      *op.pointer = hook.trampoline.code;
      WriteEntryJump(hook.trampoline, hook.detour);
    } else {
      RestoreEntry(hook.trampoline);
      *op.pointer = hook.original;
    }
  }
  suspension.MoveInstructionPointers(CommitIpMap(g_engine.operations));
  Reprotect(changed);
  return NO_ERROR;
}

// After a successful apply: attached hooks become active, detached ones leave.
void Settle() {
  for (const Operation& op : g_engine.operations) {
    if (op.attach) continue;
    TrampolinePool().Release(op.hook->trampoline.code);
    g_engine.active.erase(std::find_if(g_engine.active.begin(), g_engine.active.end(),
                                       [&op](const std::unique_ptr<Hook>& h) { return h.get() == op.hook; }));
  }
  for (auto& hook : g_engine.queued) g_engine.active.push_back(std::move(hook));
  g_engine.queued.clear();
}

}  // namespace
}  // namespace intercept

using namespace intercept;

LONG InterceptTransactionBegin(void) {
  const auto me = static_cast<LONG>(GetCurrentThreadId());
  if (InterlockedCompareExchange(&g_engine.owner, me, 0) != 0) return ERROR_INVALID_OPERATION;
  return NO_ERROR;
}

LONG InterceptTransactionAbort(void) {
  if (!OwnedByCaller()) return ERROR_INVALID_OPERATION;
  Close();
  return NO_ERROR;
}

LONG InterceptTransactionCommit(void) {
  if (!OwnedByCaller()) return ERROR_INVALID_OPERATION;
  LONG result = NO_ERROR;
  if (!g_engine.operations.empty()) {
    result = Apply();
    if (result == NO_ERROR) Settle();
  }
  Close();
  return result;
}

LONG InterceptUpdateThread(HANDLE hThread) {
  if (!OwnedByCaller()) return ERROR_INVALID_OPERATION;
  return EnlistThread(hThread, &g_engine.threads);
}

LONG InterceptAttach(PVOID* ppPointer, PVOID pDetour) {
  if (!OwnedByCaller()) return ERROR_INVALID_OPERATION;
  if (!IsWritableRange(ppPointer, sizeof(*ppPointer)) || *ppPointer == nullptr || pDetour == nullptr) {
    return ERROR_INVALID_PARAMETER;
  }
  if (Queued(ppPointer)) return ERROR_INVALID_OPERATION;
  BYTE* target = FollowEntryJumps(static_cast<BYTE*>(*ppPointer));
  if (!IsExecutableCode(target)) return ERROR_INVALID_ADDRESS;
  // A trampoline is not patched: the variable already holds an interception's
  // way to the real function (attached twice), and the slot goes when it does.
  if (TrampolinePool().Contains(target) || Conflicts(target, kEntryJumpSize)) return ERROR_INVALID_OPERATION;

  auto hook = std::make_unique<Hook>();
  hook->pointer = ppPointer;
  hook->original = *ppPointer;
  hook->detour = pDetour;
  BYTE* slot = TrampolinePool().Allocate(target);
  if (slot == nullptr) return ERROR_NOT_ENOUGH_MEMORY;
  LONG error = BuildTrampoline(target, slot, &hook->trampoline);
  if (error == NO_ERROR && Conflicts(target, hook->trampoline.stolenSize)) error = ERROR_INVALID_OPERATION;
  if (error != NO_ERROR) {
    TrampolinePool().Release(slot);
    return error;
  }
  g_engine.operations.push_back({true, ppPointer, hook.get()});
  g_engine.queued.push_back(std::move(hook));
  return NO_ERROR;
}

LONG InterceptDetach(PVOID* ppPointer, PVOID pDetour) {
  if (!OwnedByCaller()) return ERROR_INVALID_OPERATION;
  if (!IsWritableRange(ppPointer, sizeof(*ppPointer)) || *ppPointer == nullptr || pDetour == nullptr) {
    return ERROR_INVALID_PARAMETER;
  }
  if (Queued(ppPointer)) return ERROR_INVALID_OPERATION;
  Hook* hook = nullptr;
  for (const auto& candidate : g_engine.active) {
    if (candidate->trampoline.code == *ppPointer) hook = candidate.get();
  }
  if (hook == nullptr) return ERROR_INVALID_BLOCK;
  if (hook->detour != pDetour) return ERROR_INVALID_PARAMETER;
  for (const Operation& op : g_engine.operations) {
    if (op.hook == hook) return ERROR_INVALID_OPERATION;  // detached through another variable
  }
  g_engine.operations.push_back({false, ppPointer, hook});
  return NO_ERROR;
}

SIZE_T InterceptTrampolineBytesCommitted(void) { return TrampolinePool().CommittedBytes(); }

ULONG InterceptTrampolineCount(void) { return static_cast<ULONG>(TrampolinePool().SlotsInUse()); }
