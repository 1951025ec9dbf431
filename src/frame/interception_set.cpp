// Installation and removal of the process-wide interception set, in one
// transaction each, enlisting only the calling thread.
#include "frame/interception_set.h"

#include "intercept/intercept.h"

void InstallInterceptions(BOOL* pbInstalled) {
    if (!pbInstalled || *pbInstalled) return;
    InterceptTransactionBegin();
    InterceptUpdateThread(GetCurrentThread());
    // The replacements join this transaction as their painters are built.
    InterceptTransactionCommit();
    *pbInstalled = TRUE;
}

void RemoveInterceptions(BOOL* pbInstalled) {
    if (!pbInstalled || !*pbInstalled) return;
    InterceptTransactionBegin();
    InterceptUpdateThread(GetCurrentThread());
    InterceptTransactionCommit();
    *pbInstalled = FALSE;
}
