// Hand-assembled functions with the prologues that make relocation awkward:
// branches and calls inside the bytes the entry jump replaces, functions that
// end too soon, and code that jumps back into those bytes.
#include <gtest/gtest.h>

#include <cstdio>

#include "intercept_test_support.h"

using namespace intercept_test;

namespace {

using FastFn = int(__fastcall*)(int);

FastFn g_real = nullptr;

int __fastcall PlusHundred(int x) { return 100 + g_real(x); }
int __fastcall Doubled(int x) { return 2 * g_real(x); }
int __fastcall PlusTen(int x) { return 10 + g_real(x); }
int __fastcall MinusOne(int) { return -1; }
int __fastcall AddForty(int x) { return x + 40; }

// Attach must refuse the function at code with the given error and leave
// both the code and the variable untouched.
void ExpectRefused(CodeBuffer& buffer, size_t offset, size_t length, LONG expected) {
  const std::vector<BYTE> before = buffer.Snapshot(offset, length);
  g_real = reinterpret_cast<FastFn>(buffer.at(offset));
  const ULONG trampolines = InterceptTrampolineCount();
  EXPECT_EQ(expected, AttachOne(Slot(&g_real), Fn(MinusOne)));
  EXPECT_EQ(reinterpret_cast<FastFn>(buffer.at(offset)), g_real);
  EXPECT_EQ(before, buffer.Snapshot(offset, length));
  EXPECT_EQ(trampolines, InterceptTrampolineCount());
}

}  // namespace

TEST(Relocation, ConditionalShortBranchInTheStolenBytesIsWidened) {
  CodeBuffer buffer;
  // test ecx,ecx / je +6 / mov eax,1 / ret / mov eax,2 / ret
  buffer.Put(0, {0x85, 0xC9, 0x74, 0x06, 0xB8, 0x01, 0, 0, 0, 0xC3, 0xB8, 0x02, 0, 0, 0, 0xC3});
  const auto f = reinterpret_cast<FastFn>(buffer.at(0));
  const std::vector<BYTE> original = buffer.Snapshot(0, 16);
  ASSERT_EQ(2, f(0));

  g_real = f;
  ASSERT_EQ(NO_ERROR, AttachOne(Slot(&g_real), Fn(PlusHundred)));
  ASSERT_NE(f, g_real);
  // The entry jumps away; the rest of the overwritten instruction is int3.
  EXPECT_EQ(0xE9, buffer.at(0)[0]);
  EXPECT_EQ(std::vector<BYTE>({0xCC, 0xCC, 0xCC, 0xCC}), buffer.Snapshot(5, 4));
  // The trampoline carries the je as a near jcc (0F 84).
  const auto* copy = reinterpret_cast<const BYTE*>(g_real);
  EXPECT_EQ(0x85, copy[0]);
  EXPECT_EQ(0x0F, copy[2]);
  EXPECT_EQ(0x84, copy[3]);
  EXPECT_EQ(102, f(0));
  EXPECT_EQ(101, f(5));
  EXPECT_EQ(2, g_real(0));
  EXPECT_EQ(1, g_real(5));

  ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_real), Fn(PlusHundred)));
  EXPECT_EQ(f, g_real);
  EXPECT_EQ(original, buffer.Snapshot(0, 16));
  EXPECT_EQ(2, f(0));
}

TEST(Relocation, CallAndShortJumpInTheStolenBytesKeepTheirDestinations) {
  CodeBuffer buffer;
  // call AddForty / add eax,2 / ret
  buffer.Put(0, {0xE8, 0, 0, 0, 0, 0x83, 0xC0, 0x02, 0xC3});
  buffer.PutRel32(1, 5, Fn(AddForty));
  const auto withCall = reinterpret_cast<FastFn>(buffer.at(0));
  ASSERT_EQ(43, withCall(1));

  g_real = withCall;
  ASSERT_EQ(NO_ERROR, AttachOne(Slot(&g_real), Fn(Doubled)));
  EXPECT_EQ(86, withCall(1));
  EXPECT_EQ(43, g_real(1));
  ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_real), Fn(Doubled)));
  EXPECT_EQ(43, withCall(1));

  // xor eax,eax / jmp +4 / int3 padding / inc eax / ret: the function's first
  // bytes end in a short jump, padding fills the rest of the entry jump.
  buffer.Put(64, {0x31, 0xC0, 0xEB, 0x04, 0xCC, 0xCC, 0xCC, 0xCC, 0xFF, 0xC0, 0xC3});
  const auto withJump = reinterpret_cast<FastFn>(buffer.at(64));
  ASSERT_EQ(1, withJump(0));
  g_real = withJump;
  ASSERT_EQ(NO_ERROR, AttachOne(Slot(&g_real), Fn(PlusTen)));
  EXPECT_EQ(0xE9, reinterpret_cast<const BYTE*>(g_real)[2]);  // jmp rel8 became jmp rel32
  EXPECT_EQ(11, withJump(0));
  EXPECT_EQ(1, g_real(0));
  ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_real), Fn(PlusTen)));
  EXPECT_EQ(1, withJump(0));
}

TEST(Relocation, FunctionsTooShortForTheEntryJump) {
  CodeBuffer buffer;
  // xor eax,eax / ret, followed straight by the next function's code.
  buffer.Put(0, {0x31, 0xC0, 0xC3, 0x55, 0x89, 0xE5, 0x5D, 0xC3});
  ExpectRefused(buffer, 0, 8, ERROR_INVALID_BLOCK);

  // The same three bytes followed by int3 padding: the jump may spill over it.
  buffer.Put(64, {0x31, 0xC0, 0xC3, 0xCC, 0xCC, 0xCC});
  const auto padded = reinterpret_cast<FastFn>(buffer.at(64));
  g_real = padded;
  ASSERT_EQ(NO_ERROR, AttachOne(Slot(&g_real), Fn(PlusTen)));
  EXPECT_EQ(10, padded(0));
  EXPECT_EQ(0, g_real(0));
  ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_real), Fn(PlusTen)));
  EXPECT_EQ(std::vector<BYTE>({0x31, 0xC0, 0xC3, 0xCC, 0xCC, 0xCC}), buffer.Snapshot(64, 6));

  // An unconditional jump in the first bytes with code right behind it.
  buffer.Put(128, {0x31, 0xC0, 0xEB, 0x02, 0x0F, 0x0B, 0xFF, 0xC0, 0xC3});
  ExpectRefused(buffer, 128, 9, ERROR_INVALID_BLOCK);
}

TEST(Relocation, BranchesIntoTheStolenBytesAreRefused) {
  CodeBuffer buffer;
  // mov ecx,[esp+4] / L: cmp byte [ecx],0 / je L / ret 4 — the loop head
  // lies inside the five bytes the entry jump would take.
  buffer.Put(0, {0x8B, 0x4C, 0x24, 0x04, 0x80, 0x39, 0x00, 0x74, 0xFB, 0xC2, 0x04, 0x00});
  ExpectRefused(buffer, 0, 12, ERROR_INVALID_DATA);

  // test ecx,ecx / jne L / xor eax,eax / inc eax / ret / padding /
  // L: dec ecx / jne back to the xor / ret: the branch back sits behind an
  // early ret, reached by a forward branch.
  buffer.Put(64, {0x85, 0xC9, 0x75, 0x0A, 0x31, 0xC0, 0xFF, 0xC0, 0xC3, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xFF,
                  0xC9, 0x75, 0xF2, 0xC3});
  ExpectRefused(buffer, 64, 19, ERROR_INVALID_DATA);

  // jecxz (jrcxz on x64) at the entry cannot be widened.
  buffer.Put(128, {0xE3, 0x04, 0x31, 0xC0, 0xFF, 0xC0, 0x31, 0xC0, 0xC3});
  ExpectRefused(buffer, 128, 9, ERROR_NOT_SUPPORTED);
}

TEST(Relocation, ImportThunkIsFollowedToTheCode) {
  CodeBuffer buffer;
  buffer.Put(0, {0x85, 0xC9, 0x74, 0x06, 0xB8, 0x01, 0, 0, 0, 0xC3, 0xB8, 0x02, 0, 0, 0, 0xC3});
  // An import table slot and a thunk jumping through it: jmp [slot].
  buffer.PutPointer(200, buffer.at(0));
  buffer.Put(256, {0xFF, 0x25, 0, 0, 0, 0});
  buffer.PutMemoryOperand(258, 262, buffer.at(200));
  const auto thunk = reinterpret_cast<FastFn>(buffer.at(256));
  const std::vector<BYTE> thunkBytes = buffer.Snapshot(256, 6);
  ASSERT_EQ(2, thunk(0));

  g_real = thunk;
  ASSERT_EQ(NO_ERROR, AttachOne(Slot(&g_real), Fn(PlusHundred)));
  EXPECT_EQ(thunkBytes, buffer.Snapshot(256, 6));  // the thunk itself is untouched
  EXPECT_EQ(0xE9, buffer.at(0)[0]);                // its destination is patched
  EXPECT_EQ(102, thunk(0));
  EXPECT_EQ(102, reinterpret_cast<FastFn>(buffer.at(0))(0));
  EXPECT_EQ(2, g_real(0));
  ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_real), Fn(PlusHundred)));
  EXPECT_EQ(thunk, g_real);  // the variable gets back exactly what it held
  EXPECT_EQ(2, thunk(0));
}

TEST(Relocation, MemoryOperandKeepsNamingTheSameVariable) {
  static volatile int value = 0x1234;
  CodeBuffer buffer;
  // mov eax,[value] / ret — on x64 the operand is relative to the instruction
  // pointer and must be rewritten in the trampoline.
  buffer.Put(0, {0x8B, 0x05, 0, 0, 0, 0, 0xC3});
  buffer.PutMemoryOperand(2, 6, const_cast<int*>(&value));
  const auto f = reinterpret_cast<FastFn>(buffer.at(0));
  ASSERT_EQ(0x1234, f(0));

  g_real = f;
  ASSERT_EQ(NO_ERROR, AttachOne(Slot(&g_real), Fn(PlusTen)));
  EXPECT_EQ(0x1234 + 10, f(0));
  value = 77;
  EXPECT_EQ(77, g_real(0));
  ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_real), Fn(PlusTen)));
  EXPECT_EQ(77, f(0));
  value = 0x1234;
}

TEST(Relocation, FunctionFarFromItsReplacement) {
  CodeBuffer buffer(4096, Placement::Anywhere);
  ASSERT_TRUE(buffer.ok());
  buffer.Put(0, {0xB8, 0x07, 0, 0, 0, 0xC3});  // mov eax,7 / ret
  const auto f = reinterpret_cast<FastFn>(buffer.at(0));
  // Differences as signed pointer-sized values: on x86 a rel32 wraps around
  // the 4 GB address space, so any distance is within reach there.
  const auto distance = static_cast<long long>(static_cast<intptr_t>(
      reinterpret_cast<uintptr_t>(Fn(PlusTen)) - reinterpret_cast<uintptr_t>(buffer.at(0))));
  std::printf("function to replacement: %lld bytes\n", distance);

  g_real = f;
  ASSERT_EQ(NO_ERROR, AttachOne(Slot(&g_real), Fn(PlusTen)));
  // The trampoline sits within rel32 reach of the function it copies.
  const auto gap = static_cast<long long>(
      static_cast<intptr_t>(reinterpret_cast<uintptr_t>(g_real) - reinterpret_cast<uintptr_t>(f)));
  EXPECT_LT(gap < 0 ? -gap : gap, 0x7FFF0000LL);
  EXPECT_EQ(17, f(0));
  EXPECT_EQ(7, g_real(0));
  ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_real), Fn(PlusTen)));
  EXPECT_EQ(7, f(0));
}
