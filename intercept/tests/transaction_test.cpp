// Transactions as callers see them: misuse, refusals among accepted operations,
// abort, layers, detach and attach of one function together, retired
// trampolines and the trampoline memory.
#include <gtest/gtest.h>

#include <algorithm>

#include "intercept_test_support.h"

using namespace intercept_test;

namespace {

// test ecx,ecx / je +6 / mov eax,1 / ret / mov eax,2 / ret: f(0) = 2, else 1.
const char kBranchy[] = "85C9 7406 B801000000 C3 B802000000 C3";

FastFn g_first = nullptr, g_second = nullptr;
int __fastcall FirstDetour(int x) { return 100 + g_first(x); }
int __fastcall SecondDetour(int x) { return 200 + g_second(x); }
int __fastcall Negative(int) { return -1; }
DWORD WINAPI BeginFromOtherThread(LPVOID result) { return *static_cast<LONG*>(result) = InterceptTransactionBegin(); }

}  // namespace

TEST(Transaction, MisuseIsRefusedAndRecordedAndAbortUndoes) {
    CodeBuffer buffer;
    const std::vector<BYTE> original = Hex(kBranchy);
    g_first = g_second = reinterpret_cast<FastFn>(buffer.Put(0, original));
    // An abort leaves code and variable as they were and ends the transaction.
    ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
    ASSERT_EQ(NO_ERROR, InterceptAttach(Slot(&g_first), Fn(FirstDetour)));
    ASSERT_EQ(NO_ERROR, InterceptTransactionAbort());
    EXPECT_EQ(buffer.fn(0), g_first);
    EXPECT_EQ(original, buffer.Snapshot(0, original.size()));
    EXPECT_EQ(0u, InterceptTrampolineCount());
    for (LONG outside : {InterceptAttach(Slot(&g_first), Fn(FirstDetour)),
                         InterceptDetach(Slot(&g_first), Fn(FirstDetour)), InterceptUpdateThread(GetCurrentThread()),
                         InterceptUpdateAllThreads(), InterceptTransactionCommit(), InterceptTransactionAbort()})
        EXPECT_EQ(ERROR_INVALID_OPERATION, outside);

    ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
    EXPECT_EQ(ERROR_INVALID_OPERATION, InterceptTransactionBegin());
    LONG otherResult = NO_ERROR;
    HANDLE other = CreateThread(nullptr, 0, BeginFromOtherThread, &otherResult, 0, nullptr);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(other, 10000));
    EXPECT_EQ(ERROR_INVALID_OPERATION, otherResult);  // one transaction at a time
    CloseHandle(other);
    EXPECT_EQ(ERROR_INVALID_HANDLE, InterceptUpdateThread(other));
    static int data = 0;
    PVOID notCode = &data;
    EXPECT_EQ(ERROR_INVALID_PARAMETER, InterceptAttach(nullptr, Fn(FirstDetour)));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, InterceptAttach(Slot(&g_first), nullptr));
    EXPECT_EQ(ERROR_INVALID_ADDRESS, InterceptAttach(&notCode, Fn(FirstDetour)));
    EXPECT_EQ(ERROR_INVALID_ADDRESS, InterceptAttach(Slot(&g_first), &data));
    EXPECT_EQ(ERROR_INVALID_BLOCK, InterceptDetach(Slot(&g_first), Fn(FirstDetour)));
    EXPECT_EQ(NO_ERROR, InterceptAttach(Slot(&g_first), Fn(FirstDetour)));
    EXPECT_EQ(ERROR_INVALID_OPERATION, InterceptAttach(Slot(&g_first), Fn(FirstDetour)));
    EXPECT_EQ(ERROR_INVALID_OPERATION, InterceptAttach(Slot(&g_second), Fn(SecondDetour)));  // the same code
    const std::vector<INTERCEPT_REFUSAL> r = Refusals();
    ASSERT_EQ(7u, r.size());
    EXPECT_TRUE(r[3].ppPointer == Slot(&g_first) && r[3].pDetour == &data && r[3].fAttach && !r[4].fAttach);
    EXPECT_STREQ("the replacement is not executable code", r[3].szRule);
    EXPECT_EQ(NO_ERROR, InterceptTransactionCommit());  // the refused ones spoil nothing
    EXPECT_EQ(101, buffer.fn(0)(7));
    ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_first), Fn(FirstDetour)));
}

// The outer layer is called first and reaches the inner one through its
// variable; a detach and an attach in one transaction swap layers.
TEST(Transaction, LayersComposeAndComeOffInReverseOrder) {
    CodeBuffer buffer;
    const std::vector<BYTE> original = Hex(kBranchy);
    const FastFn f = g_first = g_second = reinterpret_cast<FastFn>(buffer.Put(0, original));
    ASSERT_EQ(NO_ERROR, AttachOne(Slot(&g_first), Fn(FirstDetour)));
    ASSERT_EQ(NO_ERROR, AttachOne(Slot(&g_second), Fn(SecondDetour)));
    EXPECT_EQ(302, f(0));
    EXPECT_EQ(102, g_second(0));
    ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
    EXPECT_EQ(ERROR_INVALID_OPERATION, InterceptAttach(Slot(&g_first), Fn(SecondDetour)));  // holds a trampoline
    EXPECT_EQ(ERROR_INVALID_PARAMETER, InterceptDetach(Slot(&g_second), Fn(FirstDetour)));  // not its replacement
    EXPECT_EQ(ERROR_INVALID_OPERATION, InterceptDetach(Slot(&g_first), Fn(FirstDetour)));
    EXPECT_NE(std::string::npos, LastRefusal().find("layered")) << LastRefusal();
    ASSERT_EQ(NO_ERROR, InterceptTransactionAbort());

    ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_second), Fn(SecondDetour)));
    EXPECT_EQ(102, f(0));

    ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
    ASSERT_EQ(NO_ERROR, InterceptDetach(Slot(&g_first), Fn(FirstDetour)));
    ASSERT_EQ(NO_ERROR, InterceptAttach(Slot(&g_second), Fn(SecondDetour)));
    ASSERT_EQ(NO_ERROR, InterceptTransactionCommit());
    EXPECT_EQ(f, g_first);
    EXPECT_EQ(202, f(0));
    EXPECT_EQ(2, g_second(0));
    // The other way round the detach would pull the layer from under the new one.
    ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
    ASSERT_EQ(NO_ERROR, InterceptAttach(Slot(&g_first), Fn(FirstDetour)));
    EXPECT_EQ(ERROR_INVALID_OPERATION, InterceptDetach(Slot(&g_second), Fn(SecondDetour)));
    ASSERT_EQ(NO_ERROR, InterceptTransactionCommit());
    EXPECT_EQ(302, f(0));
    ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_first), Fn(FirstDetour)));
    ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_second), Fn(SecondDetour)));
    EXPECT_EQ(original, buffer.Snapshot(0, original.size()));
}

// A detached trampoline stays callable, and its slot is not handed out before
// a later commit; then slots are reused: rounds of more hooks than a region
// holds grow the pool once.
TEST(Transaction, TrampolinesAreRetiredThenReused) {
    CodeBuffer buffer;
    for (int i = 0; i < 2; ++i) InterceptTransactionBegin(), InterceptTransactionCommit();  // no quarantine left
    const SIZE_T before = InterceptTrampolineBytesCommitted();
    SIZE_T peak = 0;
    FastFn real[100] = {}, retired[100] = {};
    for (int i = 0; i < 100; ++i) real[i] = reinterpret_cast<FastFn>(buffer.Put(8 * i, {0xB8, BYTE(i), 0, 0, 0, 0xC3}));
    for (int round = 0; round < 3; ++round) {
        for (bool attach : {true, false}) {
            std::copy(real, real + 100, retired);
            ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
            for (FastFn& variable : real)
                ASSERT_EQ(NO_ERROR, (attach ? InterceptAttach : InterceptDetach)(Slot(&variable), Fn(Negative)));
            ASSERT_EQ(NO_ERROR, InterceptTransactionCommit());
            EXPECT_EQ(attach ? -1 : 99, buffer.fn(8 * 99)(0));
            EXPECT_EQ(attach ? 100u : 0u, InterceptTrampolineCount());
        }
        EXPECT_EQ(99, retired[99](0)) << "through the detached trampoline";
        g_first = reinterpret_cast<FastFn>(buffer.Put(1024, Hex(kBranchy)));
        ASSERT_EQ(NO_ERROR, AttachOne(Slot(&g_first), Fn(FirstDetour)));
        EXPECT_EQ(retired + 100, std::find(retired, retired + 100, g_first)) << "a retired slot handed out at once";
        ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_first), Fn(FirstDetour)));
        for (int i = 0; i < 2; ++i) InterceptTransactionBegin(), InterceptTransactionCommit();
        if (round == 0) peak = InterceptTrampolineBytesCommitted();
        EXPECT_EQ(peak, InterceptTrampolineBytesCommitted()) << "round " << round;
    }
    EXPECT_GT(peak, before);
}
