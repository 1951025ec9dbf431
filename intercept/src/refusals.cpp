#include "refusals.h"

#include <cstring>
#include <new>
#include <vector>

namespace intercept {
namespace {

std::vector<INTERCEPT_REFUSAL>& Log() {
    static std::vector<INTERCEPT_REFUSAL> log;
    return log;
}

void CopyText(char* to, size_t size, const char* from) {
    if (from == nullptr) from = "";
    const size_t length = strnlen(from, size - 1);
    std::memcpy(to, from, length);
    to[length] = '\0';
}

}  // namespace

LONG Refuse(Reason* reason, LONG error, const char* rule, const BYTE* at, const char* instruction) {
    if (reason != nullptr) {
        reason->at = at;
        reason->rule = rule;
        CopyText(reason->instruction, sizeof(reason->instruction), instruction);
    }
    return error;
}

void ClearRefusals() { Log().clear(); }

LONG RecordRefusal(bool attach, PVOID* pointer, PVOID detour, LONG error, const Reason& reason) {
    INTERCEPT_REFUSAL refusal = {};
    refusal.ppPointer = pointer;
    refusal.pDetour = detour;
    refusal.pCode = const_cast<BYTE*>(reason.at);
    refusal.lError = error;
    refusal.fAttach = attach ? TRUE : FALSE;
    CopyText(refusal.szInstruction, sizeof(refusal.szInstruction), reason.instruction);
    CopyText(refusal.szRule, sizeof(refusal.szRule), reason.rule);
    try {
        Log().push_back(refusal);
    } catch (const std::bad_alloc&) {}
    return error;
}

ULONG CopyRefusals(INTERCEPT_REFUSAL* refusals, ULONG max) {
    const std::vector<INTERCEPT_REFUSAL>& log = Log();
    if (refusals != nullptr) {
        for (size_t i = 0; i < log.size() && i < max; ++i) refusals[i] = log[i];
    }
    return static_cast<ULONG>(log.size());
}

}  // namespace intercept
