// Interception engine: in-process patching of function entry points, grouped in
// transactions (begin, enlist threads, attach/detach, commit or abort).
//
// After a committed attach, *ppPointer points to a trampoline through which the
// original function runs without interception; after a committed detach it
// points to the original function again. Every call returns NO_ERROR or a
// Win32 error code and never throws.
//
// An enlisted thread is suspended from InterceptUpdateThread until the
// transaction commits or aborts: it must not hold a lock (the process heap's
// among them) that the calling thread needs in between.
//
// InterceptUpdateAllThreads asks instead for every other thread of the
// process, whatever it holds: they are suspended by the commit, after it has
// allocated all it needs (trampolines were built by the attaches), and the
// thread list is read again until no thread is found that is not suspended
// yet, so threads started meanwhile are caught and threads that exit
// meanwhile are left out. They are resumed before the commit returns, and
// heap memory is freed only after that. An abort suspends nothing. A thread
// that something else had suspended already is not moved (under Wine its
// registers cannot be read before it has first run): whoever suspended it
// must keep it out of the code being patched.
//
// At a commit every enlisted thread stopped in the bytes being rewritten is
// moved to the same instruction in the new trampoline (attach) or back into
// the restored code (detach); one stopped in a trampoline being retired goes
// on at the original instruction it stands for.
//
// The five bytes of an entry jump (jmp rel32) are written, and the original
// bytes put back, with one atomic 8-byte store whenever they lie within one
// aligned 8-byte word (cbStolen bytes past those are written after the jump
// at an attach, before the entry at a detach); otherwise byte by byte, with
// the enlisted threads suspended all the same. fAtomicEntry tells which.
//
// A detached trampoline keeps its bytes, executable, until its slot is handed
// to a later attach: a thread that read the trampoline's address from the
// variable just before the detach may still call through it and runs the
// original function. Its slot is handed out again only after a later commit
// has found no enlisted thread holding an address inside it; a caller that
// may hold the address longer has to wait for it before attaching again.
//
// A refused attach or detach returns its error and leaves the transaction as
// it was; the other operations still commit. Each refusal is recorded with
// its reason (InterceptGetRefusals).
//
// Attaching a function that is already intercepted layers the new
// interception on top: the new replacement is called first and reaches the
// earlier one through its variable. Layers come off in reverse order.
#pragma once

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

LONG InterceptTransactionBegin(void);
LONG InterceptTransactionAbort(void);
LONG InterceptTransactionCommit(void);
LONG InterceptUpdateThread(HANDLE hThread);
// Enlists every thread of the process but the calling one at the commit of
// the open transaction (see above). NO_ERROR, or ERROR_INVALID_OPERATION when
// the calling thread has no open transaction. The commit then also returns
// ERROR_NOT_ENOUGH_MEMORY, ERROR_NOT_SUPPORTED (no thread list to be had) or
// ERROR_BUSY (the list never settled) and applies nothing.
LONG InterceptUpdateAllThreads(void);
LONG InterceptAttach(PVOID* ppPointer, PVOID pDetour);
LONG InterceptDetach(PVOID* ppPointer, PVOID pDetour);

// Why one attach or detach was refused.
typedef struct INTERCEPT_REFUSAL {
    PVOID* ppPointer;        // the variable the call was given
    PVOID pDetour;           // the replacement the call was given
    PVOID pCode;             // the instruction that decided, else the code concerned; may be null
    LONG lError;             // what the call returned
    BOOL fAttach;            // TRUE for an attach, FALSE for a detach
    CHAR szInstruction[64];  // that instruction disassembled, empty when no instruction decided
    CHAR szRule[96];         // the rule that refused
} INTERCEPT_REFUSAL;

// The refusals of the open transaction, or of the last one once it has
// committed or aborted: copies at most cMax of them into pRefusals (which
// may be null when cMax is 0) and returns how many there are.
ULONG InterceptGetRefusals(INTERCEPT_REFUSAL* pRefusals, ULONG cMax);

// Loads pszModule (it stays loaded) and returns the export pszFunction, or the
// address of a symbol of that name from the module's debug information; null
// when the module cannot be loaded or neither lookup finds the name.
PVOID InterceptFindFunction(LPCSTR pszModule, LPCSTR pszFunction);

// Loaded modules one after another: null gives the first, the last gives null.
HMODULE InterceptEnumerateModules(HMODULE hModuleLast);

// Diagnostics: bytes of executable memory committed for trampolines, and how
// many trampolines are in use (committed attaches plus those queued in the
// open transaction). Call them from the thread that runs the transactions.
SIZE_T InterceptTrampolineBytesCommitted(void);
ULONG InterceptTrampolineCount(void);

// What an attach of ppPointer built: queued in the open transaction, or
// committed and not yet detached.
typedef struct INTERCEPT_TRAMPOLINE_INFO {
    PVOID pTarget;      // the code patched (import thunks and hot-patch jumps followed)
    PVOID pTrampoline;  // where the copied instructions run
    ULONG cbStolen;     // bytes of the target the entry jump covers
    ULONG cbCopied;     // of those, bytes of whole instructions copied
    ULONG cbCode;       // bytes of trampoline code, the jump back included
    BOOL fAtomicEntry;  // TRUE when the entry jump goes in and out with one atomic store
} INTERCEPT_TRAMPOLINE_INFO;

// FALSE when ppPointer has no such attach or pInfo is null.
BOOL InterceptDescribeTrampoline(PVOID* ppPointer, INTERCEPT_TRAMPOLINE_INFO* pInfo);

#ifdef __cplusplus
}
#endif
