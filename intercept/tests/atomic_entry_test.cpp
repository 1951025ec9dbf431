// The entry jump goes in, and the original bytes come back, without touching
// the bytes around them; atomically when its five bytes lie within one aligned
// 8-byte word, byte by byte further into the word.
#include <gtest/gtest.h>

#include "intercept_test_support.h"

using namespace intercept_test;

namespace {

FastFn g_real = nullptr;
int __fastcall Seven(int) { return 7; }

class AtomicEntry : public ::testing::TestWithParam<size_t> {};

}  // namespace

TEST_P(AtomicEntry, JumpAndOriginalGoInWithoutTouchingTheirNeighbours) {
    const size_t offset = GetParam();  // of the entry past an aligned 8-byte word
    CodeBuffer buffer;
    // 5A never runs: it marks the bytes around the function.
    buffer.Put(48, std::vector<BYTE>(48, 0x5A));
    // xor eax,eax / add eax,0x11223344 / ret: seven bytes taken over.
    buffer.Put(64 + offset, Hex("31C0 0544332211 C3"));
    const FastFn f = g_real = buffer.fn(64 + offset);
    const std::vector<BYTE> before = buffer.Snapshot(48, 48);

    ASSERT_EQ(NO_ERROR, Transact(true, Slot(&g_real), Fn(Seven), nullptr));
    INTERCEPT_TRAMPOLINE_INFO info = {};
    ASSERT_TRUE(InterceptDescribeTrampoline(Slot(&g_real), &info));
    EXPECT_EQ(offset < 4 ? TRUE : FALSE, info.fAtomicEntry);
    std::vector<BYTE> expected = before;
    expected[16 + offset] = 0xE9;
    std::memcpy(&expected[17 + offset], buffer.at(65 + offset), 4);  // the displacement, checked by calling
    expected[21 + offset] = expected[22 + offset] = 0xCC;
    EXPECT_EQ(expected, buffer.Snapshot(48, 48));
    EXPECT_EQ(7, f(0));

    ASSERT_EQ(NO_ERROR, Transact(false, Slot(&g_real), Fn(Seven), nullptr));
    EXPECT_EQ(before, buffer.Snapshot(48, 48));
}

INSTANTIATE_TEST_SUITE_P(Offsets, AtomicEntry, ::testing::Range<size_t>(0, 8));
