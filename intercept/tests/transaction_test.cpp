// Transactions as callers see them: misuse, abort, refusals among accepted
// operations, layers, detach and attach of one function together, retired
// trampolines and the trampoline memory.
#include <gtest/gtest.h>

#include "intercept_test_support.h"

using namespace intercept_test;

namespace {

// test ecx,ecx / je +6 / mov eax,1 / ret / mov eax,2 / ret: f(0) = 2, else 1.
const char kBranchy[] = "85C9 7406 B801000000 C3 B802000000 C3";

FastFn g_first = nullptr;
FastFn g_second = nullptr;
int g_trace = 0;
int __fastcall FirstDetour(int x) { return 100 + g_first(x); }
int __fastcall SecondDetour(int x) { return 200 + g_second(x); }
int __fastcall InnerLayer(int x) { return g_trace = g_trace * 10 + 1, g_first(x) + 1000; }
int __fastcall OuterLayer(int x) { return g_trace = g_trace * 10 + 2, g_second(x) + 20000; }
int __fastcall Negative(int) { return -1; }

DWORD WINAPI BeginFromOtherThread(LPVOID result) {
    *static_cast<LONG*>(result) = InterceptTransactionBegin();
    return 0;
}

// Two empty commits: slots retired earlier leave their quarantine.
void Settle() {
    for (int i = 0; i < 2; ++i) {
        InterceptTransactionBegin();
        InterceptTransactionCommit();
    }
}

}  // namespace

TEST(Transaction, MisuseIsRefusedAndAbortUndoes) {
    CodeBuffer buffer;
    buffer.Put(0, Hex(kBranchy));
    g_first = buffer.fn(0);
    EXPECT_EQ(ERROR_INVALID_OPERATION, InterceptAttach(Slot(&g_first), Fn(FirstDetour)));
    EXPECT_EQ(ERROR_INVALID_OPERATION, InterceptDetach(Slot(&g_first), Fn(FirstDetour)));
    EXPECT_EQ(ERROR_INVALID_OPERATION, InterceptUpdateThread(GetCurrentThread()));
    EXPECT_EQ(ERROR_INVALID_OPERATION, InterceptTransactionCommit());
    EXPECT_EQ(ERROR_INVALID_OPERATION, InterceptTransactionAbort());

    ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
    EXPECT_EQ(ERROR_INVALID_OPERATION, InterceptTransactionBegin());
    LONG otherResult = NO_ERROR;
    HANDLE other = CreateThread(nullptr, 0, BeginFromOtherThread, &otherResult, 0, nullptr);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(other, 10000));
    EXPECT_EQ(ERROR_INVALID_OPERATION, otherResult);    // one transaction at a time
    EXPECT_NE(NO_ERROR, InterceptUpdateThread(other));  // it has exited
    CloseHandle(other);
    EXPECT_EQ(ERROR_INVALID_HANDLE, InterceptUpdateThread(other));
    EXPECT_EQ(ERROR_INVALID_HANDLE, InterceptUpdateThread(nullptr));

    EXPECT_EQ(ERROR_INVALID_PARAMETER, InterceptAttach(nullptr, Fn(FirstDetour)));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, InterceptAttach(Slot(&g_first), nullptr));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, InterceptAttach(reinterpret_cast<PVOID*>(16), Fn(FirstDetour)));
    FastFn nothing = nullptr;
    EXPECT_EQ(ERROR_INVALID_PARAMETER, InterceptAttach(Slot(&nothing), Fn(FirstDetour)));
    static int data = 0;
    PVOID notCode = &data;
    EXPECT_EQ(ERROR_INVALID_ADDRESS, InterceptAttach(&notCode, Fn(FirstDetour)));
    EXPECT_EQ(ERROR_INVALID_ADDRESS, InterceptAttach(Slot(&g_first), &data));
    EXPECT_EQ(ERROR_INVALID_BLOCK, InterceptDetach(Slot(&g_first), Fn(FirstDetour)));
    buffer.Put(64, Hex("31C0 C3 5589E55DC3"));  // too short
    FastFn tooShort = buffer.fn(64);
    EXPECT_EQ(ERROR_INVALID_BLOCK, InterceptAttach(Slot(&tooShort), Fn(SecondDetour)));
    const std::vector<INTERCEPT_REFUSAL> refusals = Refusals();
    ASSERT_EQ(8u, refusals.size());
    const INTERCEPT_REFUSAL& r = refusals[5];
    EXPECT_TRUE(r.ppPointer == Slot(&g_first) && r.pDetour == &data && r.lError == ERROR_INVALID_ADDRESS && r.fAttach);
    EXPECT_STREQ("the replacement is not executable code", r.szRule);
    EXPECT_TRUE(!refusals[6].fAttach && refusals[6].lError == ERROR_INVALID_BLOCK);

    EXPECT_EQ(NO_ERROR, InterceptAttach(Slot(&g_first), Fn(FirstDetour)));
    EXPECT_EQ(ERROR_INVALID_OPERATION, InterceptAttach(Slot(&g_first), Fn(FirstDetour)));
    g_second = buffer.fn(0);
    EXPECT_EQ(ERROR_INVALID_OPERATION, InterceptAttach(Slot(&g_second), Fn(SecondDetour)));  // same code
    EXPECT_EQ(NO_ERROR, InterceptTransactionCommit());  // the refused ones spoil nothing
    EXPECT_EQ(101, buffer.fn(0)(7));
    EXPECT_EQ(buffer.fn(64), tooShort);
    EXPECT_EQ(0x31, buffer.at(64)[0]);

    ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
    EXPECT_EQ(ERROR_INVALID_OPERATION, InterceptAttach(Slot(&g_first), Fn(SecondDetour)));  // names the trampoline
    EXPECT_EQ(ERROR_INVALID_PARAMETER, InterceptDetach(Slot(&g_first), Fn(SecondDetour)));
    EXPECT_EQ(NO_ERROR, InterceptDetach(Slot(&g_first), Fn(FirstDetour)));
    EXPECT_EQ(NO_ERROR, InterceptTransactionCommit());
    EXPECT_EQ(0u, InterceptTrampolineCount());

    // An abort leaves code and variable as they were and ends the transaction.
    const std::vector<BYTE> original = buffer.Snapshot(0, 16);
    ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
    ASSERT_EQ(NO_ERROR, InterceptAttach(Slot(&g_first), Fn(FirstDetour)));
    EXPECT_EQ(1u, InterceptTrampolineCount());
    ASSERT_EQ(NO_ERROR, InterceptTransactionAbort());
    EXPECT_EQ(buffer.fn(0), g_first);
    EXPECT_EQ(original, buffer.Snapshot(0, 16));
    EXPECT_EQ(0u, InterceptTrampolineCount());
    EXPECT_EQ(ERROR_INVALID_OPERATION, InterceptTransactionCommit());
}

TEST(Transaction, LayersComposeAndComeOffInReverseOrder) {
    CodeBuffer buffer;
    const std::vector<BYTE> original = Hex(kBranchy);
    const FastFn f = buffer.fn(0);
    buffer.Put(0, original);
    g_first = g_second = f;
    ASSERT_EQ(NO_ERROR, AttachOne(Slot(&g_first), Fn(InnerLayer)));
    ASSERT_EQ(NO_ERROR, AttachOne(Slot(&g_second), Fn(OuterLayer)));
    g_trace = 0;
    EXPECT_EQ(21002, f(0));
    EXPECT_EQ(21, g_trace);        // outer, inner, then the function
    EXPECT_EQ(1002, g_second(0));  // the outer layer's real function is the inner layer

    ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
    EXPECT_EQ(ERROR_INVALID_OPERATION, InterceptDetach(Slot(&g_first), Fn(InnerLayer)));
    EXPECT_EQ(NO_ERROR, InterceptTransactionCommit());
    EXPECT_NE(std::string::npos, OnlyRefusal().find("layered")) << OnlyRefusal();
    EXPECT_EQ(21002, f(0));

    ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_second), Fn(OuterLayer)));
    EXPECT_EQ(f, g_second);
    g_trace = 0;
    EXPECT_EQ(1002, f(0));
    EXPECT_EQ(1, g_trace);
    ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_first), Fn(InnerLayer)));
    EXPECT_EQ(original, buffer.Snapshot(0, original.size()));
    EXPECT_EQ(2, f(0));

    // A detach and an attach in one transaction: the attach replaces the detached layer.
    ASSERT_EQ(NO_ERROR, AttachOne(Slot(&g_first), Fn(FirstDetour)));
    g_second = f;
    ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
    ASSERT_EQ(NO_ERROR, InterceptDetach(Slot(&g_first), Fn(FirstDetour)));
    ASSERT_EQ(NO_ERROR, InterceptAttach(Slot(&g_second), Fn(SecondDetour)));
    ASSERT_EQ(NO_ERROR, InterceptTransactionCommit());
    EXPECT_EQ(f, g_first);
    EXPECT_EQ(202, f(0));
    EXPECT_EQ(2, g_second(0));
    // The other way round the detach would pull the layer from under the new one: refused.
    ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
    ASSERT_EQ(NO_ERROR, InterceptAttach(Slot(&g_first), Fn(FirstDetour)));
    EXPECT_EQ(ERROR_INVALID_OPERATION, InterceptDetach(Slot(&g_second), Fn(SecondDetour)));
    ASSERT_EQ(NO_ERROR, InterceptTransactionCommit());
    EXPECT_EQ(302, f(0));
    ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_first), Fn(FirstDetour)));
    ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_second), Fn(SecondDetour)));
    EXPECT_EQ(original, buffer.Snapshot(0, original.size()));
}

// Install and removal cycles reuse the same slots; more hooks than a region
// holds grow the pool once, and the retired trampolines stay callable.
TEST(Transaction, TrampolineMemoryStaysBounded) {
    CodeBuffer buffer;
    buffer.Put(0, Hex(kBranchy));
    Settle();
    SIZE_T committed = 0;
    for (int cycle = 0; cycle < 300; ++cycle) {
        g_first = buffer.fn(0);
        ASSERT_EQ(NO_ERROR, AttachOne(Slot(&g_first), Fn(FirstDetour)));
        ASSERT_EQ(102, buffer.fn(0)(0));
        if (cycle == 0) committed = InterceptTrampolineBytesCommitted();
        ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_first), Fn(FirstDetour)));
        ASSERT_EQ(committed, InterceptTrampolineBytesCommitted()) << "cycle " << cycle;
    }
    EXPECT_GT(committed, 0u);

    constexpr int kMany = 100;
    FastFn real[kMany];
    SIZE_T peak = 0;
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
        for (int i = 0; i < kMany; ++i) {
            real[i] = reinterpret_cast<FastFn>(buffer.Put(4096 + 8 * i, {0xB8, static_cast<BYTE>(i), 0, 0, 0, 0xC3}));
            ASSERT_EQ(NO_ERROR, InterceptAttach(Slot(&real[i]), Fn(Negative)));
        }
        ASSERT_EQ(NO_ERROR, InterceptTransactionCommit());
        EXPECT_EQ(static_cast<ULONG>(kMany), InterceptTrampolineCount());
        if (round == 0) peak = InterceptTrampolineBytesCommitted();
        EXPECT_GT(peak, committed);
        EXPECT_EQ(peak, InterceptTrampolineBytesCommitted()) << "round " << round;
        const std::vector<FastFn> retired(real, real + kMany);
        ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
        for (int i = 0; i < kMany; ++i) ASSERT_EQ(NO_ERROR, InterceptDetach(Slot(&real[i]), Fn(Negative)));
        ASSERT_EQ(NO_ERROR, InterceptTransactionCommit());
        Settle();
        EXPECT_EQ(peak, InterceptTrampolineBytesCommitted()) << "round " << round;
        for (int i = 0; i < kMany; ++i) EXPECT_EQ(i, retired[i](0)) << "through the retired trampoline of " << i;
    }
}

namespace {

HANDLE g_release = nullptr;
HANDLE g_entered = nullptr;
int __fastcall WaitThenForty(int x) {
    SetEvent(g_entered);
    WaitForSingleObject(g_release, INFINITE);
    return x + 40;
}
DWORD WINAPI CallThroughTrampoline(LPVOID result) {
    *static_cast<int*>(result) = g_second(1);
    return 0;
}

}  // namespace

// A thread inside a detached trampoline comes back through it, and a later
// attach does not take the slot it holds.
TEST(Transaction, DetachedTrampolinesStayUsableUntilALaterCommit) {
    CodeBuffer buffer;
#if defined(_WIN64)
    // sub rsp,28h / call WaitThenForty / add rsp,28h / add eax,2 / ret
    buffer.Put(0, Hex("4883EC28 E800000000 4883C428 83C002 C3"));
    buffer.PutRel32(5, 9, Fn(WaitThenForty));
#else
    buffer.Put(0, Hex("E800000000 83C002 C3"));  // call WaitThenForty / add eax,2 / ret
    buffer.PutRel32(1, 5, Fn(WaitThenForty));
#endif
    buffer.Put(64, Hex(kBranchy));
    g_release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    g_entered = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const FastFn f = buffer.fn(0);
    g_second = f;
    ASSERT_EQ(NO_ERROR, AttachOne(Slot(&g_second), Fn(SecondDetour)));
    const FastFn held = g_second;
    int result = 0;
    HANDLE thread = CreateThread(nullptr, 0, CallThroughTrampoline, &result, 0, nullptr);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(g_entered, 10000));

    ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_second), Fn(SecondDetour)));
    g_first = buffer.fn(64);
    ASSERT_EQ(NO_ERROR, AttachOne(Slot(&g_first), Fn(FirstDetour)));
    EXPECT_NE(Fn(held), Fn(g_first));
    SetEvent(g_release);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 10000));
    EXPECT_EQ(43, result);
    EXPECT_EQ(43, held(1));
    EXPECT_EQ(43, f(1));
    EXPECT_EQ(102, buffer.fn(64)(0));
    ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_first), Fn(FirstDetour)));
    CloseHandle(thread);
    CloseHandle(g_release);
    CloseHandle(g_entered);
}
