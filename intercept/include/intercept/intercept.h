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
LONG InterceptAttach(PVOID* ppPointer, PVOID pDetour);
LONG InterceptDetach(PVOID* ppPointer, PVOID pDetour);

// Why one attach or detach was refused.
typedef struct INTERCEPT_REFUSAL {
  PVOID* ppPointer;         // the variable the call was given
  PVOID pDetour;            // the replacement the call was given
  PVOID pCode;              // the instruction that decided, else the code concerned; may be null
  LONG lError;              // what the call returned
  BOOL fAttach;             // TRUE for an attach, FALSE for a detach
  CHAR szInstruction[64];   // that instruction disassembled, empty when no instruction decided
  CHAR szRule[96];          // the rule that refused
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
} INTERCEPT_TRAMPOLINE_INFO;

// FALSE when ppPointer has no such attach or pInfo is null.
BOOL InterceptDescribeTrampoline(PVOID* ppPointer, INTERCEPT_TRAMPOLINE_INFO* pInfo);

#ifdef __cplusplus
}
#endif
