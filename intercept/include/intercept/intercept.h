// Interception engine: in-process patching of function entry points, grouped in
// transactions (begin, enlist threads, attach/detach, commit or abort).
//
// After a committed attach, *ppPointer points to a trampoline through which the
// original function runs without interception; after a committed detach it
// points to the original function again. Every call returns NO_ERROR or a
// Win32 error code.
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

#ifdef __cplusplus
}
#endif
