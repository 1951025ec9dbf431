// Transactions: attach and detach only queue work (an attach already builds
// its trampoline); commit applies all of it at once while the enlisted
// threads stand suspended, abort drops it. One transaction is open at a time
// in the process, and only the thread that began it may add to it.
//
// A refused attach or detach returns its error, records the reason and
// leaves the transaction as it was: the operations queued before and after
// it are still committed.
//
// Operations on one function apply in the order they were queued: an attach
// queued after the detach of the same function builds its trampoline from
// the code the detach puts back.
//
// Results:
//   ERROR_INVALID_OPERATION  no transaction of the calling thread is open (or
//                            one is open already, for begin), the variable
//                            or code is already queued in this transaction,
//                            the variable points into a trampoline, the code
//                            overlaps bytes another interception took over,
//                            or a detach of a layer another one still sits on;
//   ERROR_INVALID_PARAMETER  null or unwritable variable, null replacement,
//                            or a detach whose replacement does not match;
//   ERROR_INVALID_BLOCK      a detach of a variable that is not intercepted;
//   ERROR_INVALID_ADDRESS    the variable or the replacement does not point at
//                            executable code;
//   ERROR_NOT_ENOUGH_MEMORY  no memory for the operation or its trampoline;
//   the errors of BuildTrampoline (trampoline.h) for code that cannot be
//   intercepted, of EnlistThread (thread_suspension.h), and at a commit
//   those of EnlistOtherThreads (when every thread was asked for) and
//   VirtualProtect's when the code cannot be made writable (nothing of that
//   commit is then applied).
//
// A commit allocates what it needs from the heap before it suspends the
// threads asked for with InterceptUpdateAllThreads, and frees heap memory
// only once every enlisted thread runs again.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "entry_resolution.h"
#include "exec_pool.h"
#include "intercept/intercept.h"
#include "memory_access.h"
#include "refusals.h"
#include "thread_suspension.h"
#include "trampoline.h"

namespace intercept {
namespace {

// Bytes read at an attach: the stolen bytes and the rest of the function
// searched for branches back into them.
constexpr size_t kCodeWindow = 512;

// One interception: committed, or queued by an attach of the open transaction.
struct Hook {
    PVOID* pointer = nullptr;  // the real-entry variable given at attach
    PVOID original = nullptr;  // its value before the attach
    PVOID detour = nullptr;
    unsigned long long layer = 0;  // attach order: later layers sit on earlier ones
    Trampoline trampoline;
};

struct Operation {
    bool attach = false;
    PVOID* pointer = nullptr;  // the variable the commit updates
    Hook* hook = nullptr;      // attach: in Engine::queued; detach: in Engine::active
};

struct Engine {
    volatile LONG owner = 0;  // id of the thread whose transaction is open
    std::vector<std::unique_ptr<Hook>> active;
    std::vector<std::unique_ptr<Hook>> queued;
    std::vector<Operation> operations;
    std::vector<SuspendedThread> threads;
    // Hooks a commit detached: deleted once the threads run again.
    std::vector<std::unique_ptr<Hook>> leaving;
    bool everyThread = false;          // enlist every other thread at commit
    bool everyThreadEnlisted = false;  // and they are
    uint32_t commits = 0;              // transactions committed so far
    unsigned long long layers = 0;     // attaches queued so far
};

Engine g_engine;

bool OwnedByCaller() { return static_cast<DWORD>(g_engine.owner) == GetCurrentThreadId(); }

bool Overlaps(const BYTE* a, size_t aSize, const BYTE* b, size_t bSize) { return a < b + bSize && b < a + aSize; }

bool QueuedForDetach(const Hook* hook) {
    return std::any_of(g_engine.operations.begin(), g_engine.operations.end(),
                       [hook](const Operation& op) { return !op.attach && op.hook == hook; });
}

bool Queued(PVOID* pointer) {
    return std::any_of(g_engine.operations.begin(), g_engine.operations.end(),
                       [pointer](const Operation& op) { return op.pointer == pointer; });
}

// The code at target as the operations queued so far will leave it: live
// bytes, with what queued detaches put back laid over them.
size_t ReadCodeView(const BYTE* target, BYTE* bytes, size_t limit) {
    const size_t available = ReadableLength(target, limit);
    std::memcpy(bytes, target, available);
    for (const Operation& op : g_engine.operations) {
        if (op.attach) continue;
        const Trampoline& t = op.hook->trampoline;
        for (size_t i = 0; i < t.stolenSize; ++i) {
            const BYTE* at = t.target + i;
            if (at >= target && at < target + available) bytes[at - target] = t.original[i];
        }
    }
    return available;
}

// True (with the reason) when the bytes [code, code + size) cannot be
// patched beside the work already queued and committed. Patching exactly the
// entry of a committed interception layers on it.
bool Conflicts(const BYTE* code, size_t size, Reason* reason) {
    for (const Operation& op : g_engine.operations) {
        const Trampoline& t = op.hook->trampoline;
        if (op.attach && Overlaps(code, size, t.target, t.stolenSize)) {
            Refuse(reason, ERROR_INVALID_OPERATION, "the code is already being patched in this transaction", t.target);
            return true;
        }
    }
    for (const auto& hook : g_engine.active) {
        const Trampoline& t = hook->trampoline;
        if (t.target != code && Overlaps(code, size, t.target, t.stolenSize) && !QueuedForDetach(hook.get())) {
            Refuse(reason, ERROR_INVALID_OPERATION, "the code overlaps bytes another interception took over", t.target);
            return true;
        }
    }
    return false;
}

// True (with the reason) when another layer sits on hook and will still be
// there when this detach applies.
bool CoveredByLayer(const Hook* hook, Reason* reason) {
    const BYTE* target = hook->trampoline.target;
    bool covered = std::any_of(g_engine.operations.begin(), g_engine.operations.end(), [target](const Operation& op) {
        return op.attach && op.hook->trampoline.target == target;
    });
    for (const auto& other : g_engine.active) {
        if (other.get() != hook && other->trampoline.target == target && other->layer > hook->layer &&
            !QueuedForDetach(other.get())) {
            covered = true;
        }
    }
    if (covered) {
        Refuse(reason, ERROR_INVALID_OPERATION, "a later interception is layered on this one: detach that first",
               target);
    }
    return covered;
}

// Moves threads out of the bytes a commit rewrites, operation by operation:
// into the new trampolines for attaches, back into the restored code (or on
// to where the trampoline was about to go) for detaches.
class CommitIpMap final : public InstructionPointerMap {
public:
    explicit CommitIpMap(const std::vector<Operation>& operations) : operations_(operations) {}
    bool Move(uintptr_t ip, uintptr_t* moved) const override {
        bool any = false;
        for (const Operation& op : operations_) {
            const Trampoline& t = op.hook->trampoline;
            uintptr_t next = 0;
            if (op.attach ? TrampolineAddressFor(t, ip, &next) : TargetAddressFor(t, op.hook->detour, ip, &next)) {
                ip = next;
                any = true;
            }
        }
        *moved = ip;
        return any;
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

class EnlistedThreadsUse final : public ExecPool::SlotUse {
public:
    bool Held(const BYTE* slot, size_t size) const override { return AnyThreadHolds(g_engine.threads, slot, size); }
};

// When every thread was asked for but they were not looked at (an abort),
// no quarantined slot can be known to be free.
class UnknownUse final : public ExecPool::SlotUse {
public:
    bool Held(const BYTE*, size_t) const override { return true; }
};

// Ends the open transaction: queued trampolines that were not committed go
// back to the pool, quarantined ones that nothing holds any more are freed,
// the enlisted threads are resumed, and only then is heap memory given back
// (a suspended thread may have held the heap's lock).
void Close() {
    for (const auto& hook : g_engine.queued) TrampolinePool().Release(hook->trampoline.code);
    if (g_engine.everyThread && !g_engine.everyThreadEnlisted) {
        TrampolinePool().Seal(g_engine.commits, UnknownUse());
    } else {
        TrampolinePool().Seal(g_engine.commits, EnlistedThreadsUse());
    }
    std::vector<SuspendedThread>().swap(g_engine.threads);  // resumes them, then frees the list
    g_engine.queued.clear();
    g_engine.operations.clear();
    g_engine.leaving.clear();
    g_engine.everyThread = false;
    g_engine.everyThreadEnlisted = false;
    InterlockedExchange(&g_engine.owner, 0);
}

// Everything a commit needs from the heap, taken before any thread it
// enlists is suspended.
LONG ReserveForCommit(std::vector<Unprotected>* changed) {
    try {
        changed->reserve(g_engine.operations.size());
        g_engine.active.reserve(g_engine.active.size() + g_engine.queued.size());
        g_engine.leaving.reserve(g_engine.operations.size());
    } catch (...) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    return NO_ERROR;
}

LONG Apply(std::vector<Unprotected>& changed) {
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
    MoveInstructionPointers(g_engine.threads, CommitIpMap(g_engine.operations));
    Reprotect(changed);
    return NO_ERROR;
}

// After a successful apply: attached hooks become active, detached ones
// leave (to be deleted once the threads run again) and their slots go into
// quarantine. Room for both was reserved.
void Settle() {
    for (const Operation& op : g_engine.operations) {
        if (op.attach) continue;
        TrampolinePool().Retire(op.hook->trampoline.code, g_engine.commits);
        const auto at = std::find_if(g_engine.active.begin(), g_engine.active.end(),
                                     [&op](const std::unique_ptr<Hook>& h) { return h.get() == op.hook; });
        g_engine.leaving.push_back(std::move(*at));
        g_engine.active.erase(at);
    }
    for (auto& hook : g_engine.queued) g_engine.active.push_back(std::move(hook));
    g_engine.queued.clear();
}

LONG QueueAttach(PVOID* pointer, PVOID detour, Reason* reason) {
    if (!IsWritableRange(pointer, sizeof(*pointer)) || *pointer == nullptr || detour == nullptr) {
        return Refuse(reason, ERROR_INVALID_PARAMETER, "null or unwritable variable, or null replacement");
    }
    if (Queued(pointer)) return Refuse(reason, ERROR_INVALID_OPERATION, "the variable is already queued");
    if (!IsExecutableCode(detour)) {
        return Refuse(reason, ERROR_INVALID_ADDRESS, "the replacement is not executable code",
                      static_cast<BYTE*>(detour));
    }
    BYTE* target = ResolveTarget(static_cast<BYTE*>(*pointer));
    if (!IsExecutableCode(target))
        return Refuse(reason, ERROR_INVALID_ADDRESS, "the target is not executable code", target);
    // A trampoline is not patched: the variable already holds an interception's
    // way to the real function (attached twice), and the slot goes when it does.
    if (TrampolinePool().Contains(target)) {
        return Refuse(reason, ERROR_INVALID_OPERATION, "the variable points into a trampoline", target);
    }

    // Room first, so that nothing below fails once a slot is taken.
    g_engine.operations.reserve(g_engine.operations.size() + 1);
    g_engine.queued.reserve(g_engine.queued.size() + 1);
    auto hook = std::make_unique<Hook>();
    hook->pointer = pointer;
    hook->original = *pointer;
    hook->detour = detour;
    BYTE bytes[kCodeWindow];
    const size_t available = ReadCodeView(target, bytes, sizeof(bytes));
    BYTE* slot = TrampolinePool().Allocate(target);
    if (slot == nullptr) return Refuse(reason, ERROR_NOT_ENOUGH_MEMORY, "no executable memory for the trampoline");
    LONG error = BuildTrampoline(target, bytes, available, slot, &hook->trampoline, reason);
    if (error == NO_ERROR && Conflicts(target, hook->trampoline.stolenSize, reason)) error = ERROR_INVALID_OPERATION;
    if (error != NO_ERROR) {
        TrampolinePool().Release(slot);
        return error;
    }
    hook->layer = ++g_engine.layers;
    g_engine.operations.push_back({true, pointer, hook.get()});
    g_engine.queued.push_back(std::move(hook));
    return NO_ERROR;
}

LONG QueueDetach(PVOID* pointer, PVOID detour, Reason* reason) {
    if (!IsWritableRange(pointer, sizeof(*pointer)) || *pointer == nullptr || detour == nullptr) {
        return Refuse(reason, ERROR_INVALID_PARAMETER, "null or unwritable variable, or null replacement");
    }
    if (Queued(pointer)) return Refuse(reason, ERROR_INVALID_OPERATION, "the variable is already queued");
    Hook* hook = nullptr;
    for (const auto& candidate : g_engine.active) {
        if (candidate->trampoline.code == *pointer) hook = candidate.get();
    }
    if (hook == nullptr) return Refuse(reason, ERROR_INVALID_BLOCK, "the variable holds no committed trampoline");
    if (hook->detour != detour) {
        return Refuse(reason, ERROR_INVALID_PARAMETER, "the replacement is not the one attached",
                      hook->trampoline.target);
    }
    if (QueuedForDetach(hook)) {
        return Refuse(reason, ERROR_INVALID_OPERATION, "already detached through another variable",
                      hook->trampoline.target);
    }
    if (CoveredByLayer(hook, reason)) return ERROR_INVALID_OPERATION;
    g_engine.operations.reserve(g_engine.operations.size() + 1);
    g_engine.operations.push_back({false, pointer, hook});
    return NO_ERROR;
}

// Runs one queueing call; every refusal is recorded, and no exception leaves.
template <typename Queue>
LONG Record(bool attach, PVOID* pointer, PVOID detour, Queue queue) {
    Reason reason;
    LONG error = NO_ERROR;
    try {
        error = queue(pointer, detour, &reason);
    } catch (...) {
        error = Refuse(&reason, ERROR_NOT_ENOUGH_MEMORY, "out of memory");
    }
    if (error != NO_ERROR) RecordRefusal(attach, pointer, detour, error, reason);
    return error;
}

const Hook* DescribedHook(PVOID* pointer) {
    for (const auto& hook : g_engine.queued) {
        if (hook->pointer == pointer) return hook.get();
    }
    for (const auto& hook : g_engine.active) {
        if (hook->pointer == pointer && *pointer == hook->trampoline.code) return hook.get();
    }
    return nullptr;
}

}  // namespace
}  // namespace intercept

using namespace intercept;

LONG InterceptTransactionBegin(void) {
    const auto me = static_cast<LONG>(GetCurrentThreadId());
    if (InterlockedCompareExchange(&g_engine.owner, me, 0) != 0) return ERROR_INVALID_OPERATION;
    ClearRefusals();
    return NO_ERROR;
}

LONG InterceptTransactionAbort(void) {
    if (!OwnedByCaller()) return ERROR_INVALID_OPERATION;
    Close();
    return NO_ERROR;
}

LONG InterceptTransactionCommit(void) {
    if (!OwnedByCaller()) return ERROR_INVALID_OPERATION;
    std::vector<Unprotected> changed;  // freed on return, after Close() has resumed the threads
    LONG result = ReserveForCommit(&changed);
    if (result == NO_ERROR && g_engine.everyThread) {
        result = EnlistOtherThreads(&g_engine.threads);
        g_engine.everyThreadEnlisted = result == NO_ERROR;
    }
    if (result == NO_ERROR && !g_engine.operations.empty()) {
        result = Apply(changed);
        if (result == NO_ERROR) Settle();
    }
    if (result == NO_ERROR) ++g_engine.commits;
    Close();
    return result;
}

LONG InterceptUpdateThread(HANDLE hThread) {
    if (!OwnedByCaller()) return ERROR_INVALID_OPERATION;
    return EnlistThread(hThread, &g_engine.threads);
}

LONG InterceptUpdateAllThreads(void) {
    if (!OwnedByCaller()) return ERROR_INVALID_OPERATION;
    g_engine.everyThread = true;
    return NO_ERROR;
}

LONG InterceptAttach(PVOID* ppPointer, PVOID pDetour) {
    if (!OwnedByCaller()) return ERROR_INVALID_OPERATION;
    return Record(true, ppPointer, pDetour, QueueAttach);
}

LONG InterceptDetach(PVOID* ppPointer, PVOID pDetour) {
    if (!OwnedByCaller()) return ERROR_INVALID_OPERATION;
    return Record(false, ppPointer, pDetour, QueueDetach);
}

ULONG InterceptGetRefusals(INTERCEPT_REFUSAL* pRefusals, ULONG cMax) { return CopyRefusals(pRefusals, cMax); }

SIZE_T InterceptTrampolineBytesCommitted(void) { return TrampolinePool().CommittedBytes(); }

ULONG InterceptTrampolineCount(void) { return static_cast<ULONG>(TrampolinePool().SlotsInUse()); }

BOOL InterceptDescribeTrampoline(PVOID* ppPointer, INTERCEPT_TRAMPOLINE_INFO* pInfo) {
    if (pInfo == nullptr) return FALSE;
    const Hook* hook = DescribedHook(ppPointer);
    if (hook == nullptr) return FALSE;
    const Trampoline& t = hook->trampoline;
    pInfo->pTarget = t.target;
    pInfo->pTrampoline = t.code;
    pInfo->cbStolen = static_cast<ULONG>(t.stolenSize);
    pInfo->cbCopied = static_cast<ULONG>(t.copiedSize);
    pInfo->cbCode = static_cast<ULONG>(t.codeSize);
    pInfo->fAtomicEntry = EntryStoredAtomically(t) ? TRUE : FALSE;
    return TRUE;
}
