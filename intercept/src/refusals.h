// The refusals of the current (or last) transaction: each refused attach or
// detach with its error and the reason, for InterceptGetRefusals.
#pragma once

#include <windows.h>

#include "intercept/intercept.h"

namespace intercept {

// Why code cannot be intercepted: the instruction that decided (null when
// none did) and the rule.
struct Reason {
    const BYTE* at = nullptr;
    char instruction[64] = {};
    const char* rule = "";
};

// Fills reason and returns error, for one-line refusals.
LONG Refuse(Reason* reason, LONG error, const char* rule, const BYTE* at = nullptr, const char* instruction = nullptr);

// Forgets the refusals of the previous transaction.
void ClearRefusals();

// Records one refusal and returns its error. Never fails: a refusal that
// cannot be stored for want of memory is dropped.
LONG RecordRefusal(bool attach, PVOID* pointer, PVOID detour, LONG error, const Reason& reason);

ULONG CopyRefusals(INTERCEPT_REFUSAL* refusals, ULONG max);

}  // namespace intercept
