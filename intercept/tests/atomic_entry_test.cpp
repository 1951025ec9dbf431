// How the entry jump is written: when its five bytes lie within one aligned
// 8-byte word they go in, and the original bytes come back, with one atomic
// store of that word, which leaves the word's other bytes as they were; the
// int3 filler over the rest of the stolen bytes follows the jump. Entries
// further into their word are written byte by byte.
#include <gtest/gtest.h>

#include <vector>

#include "intercept_test_support.h"

using namespace intercept_test;

namespace {

using FastFn = int(__fastcall*)(int);
FastFn g_real = nullptr;
int __fastcall Seven(int) { return 7; }

// xor eax,eax / add eax,0x11223344 / ret: seven bytes taken over, the last
// two of them filled with int3 behind the jump.
constexpr BYTE kFunction[] = {0x31, 0xC0, 0x05, 0x44, 0x33, 0x22, 0x11, 0xC3};
constexpr BYTE kBefore = 0x5A;  // never executed: marks the bytes around the function
constexpr BYTE kAfter = 0x5B;
constexpr size_t kBase = 64;  // 16-byte aligned in the buffer

struct EntryCase {
    size_t offset;  // of the entry past an aligned 8-byte word
    BOOL atomic;
};

class AtomicEntry : public ::testing::TestWithParam<EntryCase> {};

TEST_P(AtomicEntry, JumpAndOriginalGoInWithoutTouchingTheirNeighbours) {
    const EntryCase c = GetParam();
    CodeBuffer buffer;
    ASSERT_TRUE(buffer.ok());
    for (size_t i = kBase - 16; i < kBase + 32; ++i) *buffer.at(i) = kBefore;
    for (size_t i = 0; i < sizeof(kFunction); ++i) *buffer.at(kBase + c.offset + i) = kFunction[i];
    for (size_t i = kBase + c.offset + sizeof(kFunction); i < kBase + 32; ++i) *buffer.at(i) = kAfter;
    BYTE* entry = buffer.at(kBase + c.offset);
    FlushInstructionCache(GetCurrentProcess(), buffer.at(0), 4096);
    const std::vector<BYTE> before = buffer.Snapshot(kBase - 16, 48);
    const auto f = reinterpret_cast<FastFn>(entry);
    ASSERT_EQ(0x11223344, f(0));

    g_real = f;
    ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
    ASSERT_EQ(NO_ERROR, InterceptUpdateAllThreads());
    ASSERT_EQ(NO_ERROR, InterceptAttach(Slot(&g_real), Fn(Seven)));
    ASSERT_EQ(NO_ERROR, InterceptTransactionCommit());
    INTERCEPT_TRAMPOLINE_INFO info = {};
    ASSERT_TRUE(InterceptDescribeTrampoline(Slot(&g_real), &info));
    EXPECT_EQ(7u, info.cbStolen);
    EXPECT_EQ(c.atomic, info.fAtomicEntry) << "entry at +" << c.offset;

    std::vector<BYTE> expected = before;
    const size_t at = 16 + c.offset;
    expected[at] = 0xE9;
    for (size_t i = 1; i < 5; ++i) expected[at + i] = entry[i];  // the displacement, checked by calling
    expected[at + 5] = 0xCC;
    expected[at + 6] = 0xCC;
    EXPECT_EQ(expected, buffer.Snapshot(kBase - 16, 48));
    EXPECT_EQ(7, f(0));
    EXPECT_EQ(0x11223344, g_real(0));

    ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
    ASSERT_EQ(NO_ERROR, InterceptUpdateAllThreads());
    ASSERT_EQ(NO_ERROR, InterceptDetach(Slot(&g_real), Fn(Seven)));
    ASSERT_EQ(NO_ERROR, InterceptTransactionCommit());
    EXPECT_EQ(before, buffer.Snapshot(kBase - 16, 48));
    EXPECT_EQ(0x11223344, f(0));
}

const EntryCase kEntryCases[] = {
    {0, TRUE}, {1, TRUE}, {2, TRUE}, {3, TRUE}, {4, FALSE}, {5, FALSE}, {6, FALSE}, {7, FALSE},
};

INSTANTIATE_TEST_SUITE_P(Offsets, AtomicEntry, ::testing::ValuesIn(kEntryCases),
                         [](const ::testing::TestParamInfo<EntryCase>& info) {
                             return "plus" + std::to_string(info.param.offset);
                         });

}  // namespace
