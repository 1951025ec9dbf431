// Installation and removal of the process-wide interception set (the table in
// base/interception_table.h), in one transaction each that enlists every other
// thread of the process (a thread stopped inside code being rewritten goes on
// in the equivalent code). Each replacement is
// installed behind its barrier (call_barrier.h). Functions found by name are
// found again at every installation.
#include "frame/interception_set.h"

#include <cstdio>
#include <vector>

#include "base/call_barrier.h"
#include "base/debug_log.h"
#include "datawindow/dw_list.h"
#include "base/globals.h"
#include "base/real_functions.h"
#include "intercept/intercept.h"

namespace {

enum class Where { imported, lpk, vm, engine };

struct Interception {
    int row;
    int removal;  // place in the order of removal
    const char* name;
    Where where;
    PVOID* real;  // the real-entry variable
    PVOID replacement;
};

template <typename F>
PVOID* Variable(F* variable) {
    return reinterpret_cast<PVOID*>(variable);
}

template <typename F>
PVOID Code(F* function) {
    return reinterpret_cast<PVOID>(function);
}

constexpr bool SameName(const char* a, const char* b) {
    while (*a && *a == *b) ++a, ++b;
    return *a == *b;
}

// The one replacement that also serves other threads than the owner.
constexpr bool RunsOnEveryThread(const char* name) { return SameName(name, "GetSysColor"); }

#define TESSEL_NAME(row, removal, name, ...) constexpr char kName##name[] = #name;
TESSEL_INTERCEPTIONS(TESSEL_NAME, TESSEL_NAME)
#undef TESSEL_NAME

#define TESSEL_GUARDED(name, function_type) \
    Code(&Barrier<function_type>::Call<&Hook##name, &Real_##name, kName##name, RunsOnEveryThread(#name)>)
#define TESSEL_ROW_IMPORTED(row, removal, name, module) \
    {row, removal, #name, Where::imported, Variable(&Real_##name), TESSEL_GUARDED(name, decltype(::name))},
#define TESSEL_ROW_FOUND(row, removal, name, where, type) \
    {row, removal, #name, Where::where, Variable(&Real_##name), TESSEL_GUARDED(name, std::remove_pointer_t<type>)},
const Interception kInterceptions[] = {TESSEL_INTERCEPTIONS(TESSEL_ROW_IMPORTED, TESSEL_ROW_FOUND)};
#undef TESSEL_ROW_IMPORTED
#undef TESSEL_ROW_FOUND
#undef TESSEL_GUARDED

constexpr int kRows = static_cast<int>(sizeof(kInterceptions) / sizeof(kInterceptions[0]));

#define TESSEL_REMOVAL(row, removal, ...) removal,
constexpr int kRemovalPlaces[] = {TESSEL_INTERCEPTIONS(TESSEL_REMOVAL, TESSEL_REMOVAL)};
#undef TESSEL_REMOVAL

// Every place of the removal order is taken by exactly one row.
constexpr bool RemovalOrderIsComplete() {
    for (int place = 1; place <= kRows; ++place) {
        int rows = 0;
        for (int taken : kRemovalPlaces) rows += taken == place ? 1 : 0;
        if (rows != 1) return false;
    }
    return true;
}
static_assert(RemovalOrderIsComplete(), "each row of the interception table needs its own place in the removal order");

// The row that comes off in the given place of the removal order.
const Interception* RemovedAt(int place) {
    for (const Interception& entry : kInterceptions) {
        if (entry.removal == place) return &entry;
    }
    return nullptr;
}

const char* NameOfVariable(PVOID* variable) {
    for (const Interception& entry : kInterceptions) {
        if (entry.real == variable) return entry.name;
    }
    return "?";
}

// The module a found function is looked up in, as a single-byte name: the
// bound generation's numbered modules, or the unversioned runtime's.
void ModuleName(Where where, int generation, bool unversioned, char* out, size_t size) {
    switch (where) {
    case Where::lpk: std::snprintf(out, size, "lpk.dll"); break;
    case Where::vm:
        if (unversioned) std::snprintf(out, size, "pbvm.dll");
        else std::snprintf(out, size, "PBVM%d.DLL", generation);
        break;
    case Where::engine:
        if (unversioned) std::snprintf(out, size, "pbdwe.dll");
        else std::snprintf(out, size, "pbdwe%d.DLL", generation);
        break;
    case Where::imported: out[0] = '\0'; break;
    }
}

// One debug line for each attach or detach the engine refused in the
// transaction that just ended.
void LogRefusals(const char* what) {
    const ULONG count = InterceptGetRefusals(nullptr, 0);
    if (count == 0) return;
    std::vector<INTERCEPT_REFUSAL> refusals(count);
    InterceptGetRefusals(refusals.data(), count);
    for (const INTERCEPT_REFUSAL& refusal : refusals) {
        DebugLog("%s %s refused: %s%s%s (error %ld)\n", what, NameOfVariable(refusal.ppPointer), refusal.szRule,
                 refusal.szInstruction[0] ? ": " : "", refusal.szInstruction, refusal.lError);
    }
}

void Commit(const char* what) {
    const LONG result = InterceptTransactionCommit();
    LogRefusals(what);
    if (result != NO_ERROR) DebugLog("%s: commit failed (error %ld)\n", what, result);
}

}  // namespace

void InstallInterceptions(BOOL* pbInstalled) {
    if (!pbInstalled || *pbInstalled) return;
    const int generation = g_pDWlist ? g_pDWlist->m_nPBVersion : 0;
    const bool unversioned = g_pDWlist && g_pDWlist->m_bUnversioned;
    InterceptTransactionBegin();
    InterceptUpdateAllThreads();
    for (const Interception& entry : kInterceptions) {
        if (entry.where != Where::imported) {
            char module[32];
            ModuleName(entry.where, generation, unversioned, module, sizeof(module));
            *entry.real = InterceptFindFunction(module, entry.name);
            if (!*entry.real) continue;
        }
        InterceptAttach(entry.real, entry.replacement);
    }
    Commit("interception of");
    *pbInstalled = TRUE;
}

void RemoveInterceptions(BOOL* pbInstalled) {
    if (!pbInstalled || !*pbInstalled) return;
    InterceptTransactionBegin();
    InterceptUpdateAllThreads();
    auto detach = [](const Interception* entry) {
        if (entry && *entry->real) InterceptDetach(entry->real, entry->replacement);
    };
    for (int place = 1; place <= kRows; ++place) detach(RemovedAt(place));
    Commit("removal of");
    *pbInstalled = FALSE;
}
