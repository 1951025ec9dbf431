// Hand-assembled functions with the prologues that make relocation awkward:
// branches and calls inside the bytes the entry jump replaces, memory
// operands relative to the instruction pointer in any instruction, functions
// that end too soon (with or without padding behind them), code that jumps
// back into those bytes, calls that read their own address, and branches
// whose destinations the trampoline cannot reach with rel32.
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

TEST(Relocation, EveryMemoryOperandRelativeToTheInstructionPointerIsFixedUp) {
  static volatile short word = 0;
  static FastFn pointer = AddForty;
  CodeBuffer buffer;
  // xor edx,edx / jmp [pointer]: an indirect jump among the stolen bytes.
  buffer.Put(0, {0x31, 0xD2, 0xFF, 0x25, 0, 0, 0, 0});
  buffer.PutMemoryOperand(4, 8, &pointer);
  // call [pointer] / add eax,2 / ret.
  buffer.Put(64, {0xFF, 0x15, 0, 0, 0, 0, 0x83, 0xC0, 0x02, 0xC3});
  buffer.PutMemoryOperand(66, 70, &pointer);
  // mov word [word],0x1234 (66 prefix, displacement before an immediate) /
  // xor eax,eax / ret.
  buffer.Put(128, {0x66, 0xC7, 0x05, 0, 0, 0, 0, 0x34, 0x12, 0x31, 0xC0, 0xC3});
  buffer.PutMemoryOperand(131, 137, const_cast<short*>(&word));

  const auto jumps = reinterpret_cast<FastFn>(buffer.at(0));
  const auto calls = reinterpret_cast<FastFn>(buffer.at(64));
  const auto stores = reinterpret_cast<FastFn>(buffer.at(128));
  ASSERT_EQ(41, jumps(1));
  ASSERT_EQ(43, calls(1));

  g_real = jumps;
  ASSERT_EQ(NO_ERROR, AttachOne(Slot(&g_real), Fn(PlusTen)));
  EXPECT_EQ(51, jumps(1));
  EXPECT_EQ(41, g_real(1));
  ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_real), Fn(PlusTen)));

  g_real = calls;
  ASSERT_EQ(NO_ERROR, AttachOne(Slot(&g_real), Fn(PlusTen)));
  EXPECT_EQ(53, calls(1));
  EXPECT_EQ(43, g_real(1));
  ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_real), Fn(PlusTen)));

  g_real = stores;
  ASSERT_EQ(NO_ERROR, AttachOne(Slot(&g_real), Fn(PlusTen))) << OnlyRefusal();
  word = 0;
  EXPECT_EQ(10, stores(0));
  EXPECT_EQ(0x1234, word);
  ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_real), Fn(PlusTen)));
}

TEST(Relocation, PaddingFormsAfterAnEarlyReturn) {
  // xor eax,eax / ret, then what compilers and linkers pad with.
  const std::vector<std::vector<BYTE>> paddings = {
      {0x0F, 0x1F, 0x00},                                            // nop dword [eax]
      {0x66, 0x0F, 0x1F, 0x44, 0x00, 0x00},                          // nop word [eax+eax+0]
      {0x66, 0x66, 0x2E, 0x0F, 0x1F, 0x84, 0x00, 0x00, 0x00, 0x00, 0x00},
      {0x8D, 0xB4, 0x26, 0x00, 0x00, 0x00, 0x00},                    // lea esi,[esi+0]
      {0x8D, 0x76, 0x00},                                            // lea esi,[esi+0]
      {0x8D, 0x74, 0x26, 0x00},                                      // lea esi,[esi+0]
      {0x66, 0x90},                                                  // xchg ax,ax
      {0x90, 0xCC},
  };
  CodeBuffer buffer;
  size_t offset = 0;
  for (const std::vector<BYTE>& padding : paddings) {
    buffer.Put(offset, {0x31, 0xC0, 0xC3});
    for (size_t i = 0; i < padding.size(); ++i) buffer.Put(offset + 3 + i, {padding[i]});
    const auto f = reinterpret_cast<FastFn>(buffer.at(offset));
    const std::vector<BYTE> before = buffer.Snapshot(offset, 3 + padding.size());
    g_real = f;
    ASSERT_EQ(NO_ERROR, AttachOne(Slot(&g_real), Fn(PlusTen))) << "padding at " << offset << ": " << OnlyRefusal();
    EXPECT_EQ(10, f(0));
    EXPECT_EQ(0, g_real(0));
    ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_real), Fn(PlusTen)));
    EXPECT_EQ(before, buffer.Snapshot(offset, 3 + padding.size()));
    offset += 32;
  }
  // lea esi,[edi+0] changes a register: code, not padding.
  buffer.Put(offset, {0x31, 0xC0, 0xC3, 0x8D, 0x77, 0x00});
  ExpectRefused(buffer, offset, 6, ERROR_INVALID_BLOCK);
  EXPECT_NE(std::string::npos, OnlyRefusal().find("lea")) << OnlyRefusal();
}

TEST(Relocation, CallsThatReadTheirOwnAddressAreRefused) {
  CodeBuffer buffer;
  // call $+5 / pop eax / ret.
  buffer.Put(0, {0xE8, 0, 0, 0, 0, 0x58, 0xC3});
  ExpectRefused(buffer, 0, 7, ERROR_NOT_SUPPORTED);
  EXPECT_NE(std::string::npos, OnlyRefusal().find("next instruction")) << OnlyRefusal();
  // call thunk / add eax,5 / ret, with thunk: mov eax,[esp] / ret.
  buffer.Put(64, {0x8B, 0x04, 0x24, 0xC3});
  buffer.Put(128, {0xE8, 0, 0, 0, 0, 0x83, 0xC0, 0x05, 0xC3});
  buffer.PutRel32(129, 133, buffer.at(64));
  ExpectRefused(buffer, 128, 9, ERROR_NOT_SUPPORTED);
  EXPECT_NE(std::string::npos, OnlyRefusal().find("return address")) << OnlyRefusal();
}

namespace {

// Two allocations for the far-branch test: code, and 2 GB - 64 KB above it
// the destinations of its branches, with the 64 KB below the code left free
// for the trampolines. On x64 the trampolines then lie out of rel32 reach of
// the destinations; on x86 everything is within reach.
struct FarPair {
  BYTE* code = nullptr;
  BYTE* dest = nullptr;
  ~FarPair() {
    if (code != nullptr) VirtualFree(code, 0, MEM_RELEASE);
    if (dest != nullptr) VirtualFree(dest, 0, MEM_RELEASE);
  }
};

#if defined(_WIN64)
bool Free(uintptr_t address, size_t size) {
  MEMORY_BASIC_INFORMATION info;
  return VirtualQuery(reinterpret_cast<void*>(address), &info, sizeof(info)) == sizeof(info) &&
         info.State == MEM_FREE &&
         reinterpret_cast<uintptr_t>(info.BaseAddress) + info.RegionSize >= address + size;
}
#endif

void AllocateFarPair(FarPair* pair) {
  const DWORD kinds = MEM_RESERVE | MEM_COMMIT;
#if defined(_WIN64)
  constexpr uintptr_t kGap = 0x7FFF0000;
  for (uintptr_t base = 0x300000000000; base < 0x380000000000; base += 0x1000000000) {
    if (!Free(base - 0x10000, 0x20000) || !Free(base + kGap, 0x10000)) continue;
    pair->code = static_cast<BYTE*>(VirtualAlloc(reinterpret_cast<void*>(base), 4096, kinds, PAGE_EXECUTE_READWRITE));
    pair->dest = static_cast<BYTE*>(
        VirtualAlloc(reinterpret_cast<void*>(base + kGap), 0x10000, kinds, PAGE_EXECUTE_READWRITE));
    if (pair->code != nullptr && pair->dest != nullptr) return;
  }
#else
  pair->code = static_cast<BYTE*>(VirtualAlloc(nullptr, 4096, kinds, PAGE_EXECUTE_READWRITE));
  pair->dest = static_cast<BYTE*>(VirtualAlloc(nullptr, 0x10000, kinds, PAGE_EXECUTE_READWRITE));
#endif
}

void PutRel32At(BYTE* field, const BYTE* end, const BYTE* dest) {
  const auto rel = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(dest) - reinterpret_cast<uintptr_t>(end));
  std::memcpy(field, &rel, sizeof(rel));
}

long long Distance(const void* a, const void* b) {
  return static_cast<long long>(static_cast<intptr_t>(reinterpret_cast<uintptr_t>(b) - reinterpret_cast<uintptr_t>(a)));
}

}  // namespace

TEST(Relocation, BranchesOutOfReachOfTheTrampolineTakeAbsoluteForms) {
  FarPair pair;
  AllocateFarPair(&pair);
  ASSERT_NE(nullptr, pair.code);
  ASSERT_NE(nullptr, pair.dest);
  std::memset(pair.code, 0xCC, 4096);
  // Destinations near the end of the far allocation.
  BYTE* addForty = pair.dest + 0xF000;  // lea eax,[ecx+40] / ret
  const BYTE addFortyBytes[] = {0x8D, 0x41, 0x28, 0xC3};
  std::memcpy(addForty, addFortyBytes, sizeof(addFortyBytes));
  BYTE* two = pair.dest + 0xF010;  // mov eax,2 / ret
  const BYTE twoBytes[] = {0xB8, 0x02, 0, 0, 0, 0xC3};
  std::memcpy(two, twoBytes, sizeof(twoBytes));
  BYTE* plusFive = pair.dest + 0xF020;  // lea eax,[ecx+5] / ret
  const BYTE plusFiveBytes[] = {0x8D, 0x41, 0x05, 0xC3};
  std::memcpy(plusFive, plusFiveBytes, sizeof(plusFiveBytes));

  // call addForty / add eax,2 / ret
  const BYTE callBytes[] = {0xE8, 0, 0, 0, 0, 0x83, 0xC0, 0x02, 0xC3};
  std::memcpy(pair.code, callBytes, sizeof(callBytes));
  PutRel32At(pair.code + 1, pair.code + 5, addForty);
  // test ecx,ecx / jne two / mov eax,1 / ret
  const BYTE jccBytes[] = {0x85, 0xC9, 0x0F, 0x85, 0, 0, 0, 0, 0xB8, 0x01, 0, 0, 0, 0xC3};
  std::memcpy(pair.code + 64, jccBytes, sizeof(jccBytes));
  PutRel32At(pair.code + 68, pair.code + 72, two);
  // xor eax,eax / jmp plusFive
  const BYTE jmpBytes[] = {0x31, 0xC0, 0xE9, 0, 0, 0, 0};
  std::memcpy(pair.code + 128, jmpBytes, sizeof(jmpBytes));
  PutRel32At(pair.code + 131, pair.code + 135, plusFive);
  FlushInstructionCache(GetCurrentProcess(), pair.code, 4096);

  const auto call = reinterpret_cast<FastFn>(pair.code);
  const auto jcc = reinterpret_cast<FastFn>(pair.code + 64);
  const auto jmp = reinterpret_cast<FastFn>(pair.code + 128);
  ASSERT_EQ(43, call(1));
  ASSERT_EQ(1, jcc(0));
  ASSERT_EQ(2, jcc(7));
  ASSERT_EQ(8, jmp(3));

  struct Case {
    FastFn f;
    const BYTE* dest;
    int argument;
    int expected;
    BYTE absoluteOpcode;  // the second byte of the absolute form: FF 15 call, FF 25 jmp
  } cases[] = {{call, addForty, 1, 43, 0x15}, {jcc, two, 7, 2, 0x25}, {jcc, two, 0, 1, 0x25}, {jmp, plusFive, 3, 8, 0x25}};
  for (const Case& c : cases) {
    g_real = c.f;
    ASSERT_EQ(NO_ERROR, AttachOne(Slot(&g_real), Fn(PlusTen))) << OnlyRefusal();
    const auto* trampoline = reinterpret_cast<const BYTE*>(g_real);
    const long long reach = Distance(trampoline, c.dest);
    std::printf("trampoline to destination: %lld bytes\n", reach);
#if defined(_WIN64)
    EXPECT_GT(reach > 0 ? reach : -reach, 0x7FFFFFFFLL);  // out of rel32 reach: the test means something
    INTERCEPT_TRAMPOLINE_INFO info = {};
    ASSERT_TRUE(InterceptDescribeTrampoline(Slot(&g_real), &info));
    bool absolute = false;
    for (ULONG i = 0; i + 6 <= info.cbCode; ++i) {
      uint64_t inline_ = 0;
      const ULONG literal = c.absoluteOpcode == 0x15 ? 8 : 6;  // call [rip+2] / jmp +8, or jmp [rip+0]
      if (trampoline[i] == 0xFF && trampoline[i + 1] == c.absoluteOpcode && i + literal + 8 <= info.cbCode) {
        std::memcpy(&inline_, trampoline + i + literal, sizeof(inline_));
        absolute = absolute || inline_ == reinterpret_cast<uintptr_t>(c.dest);
      }
    }
    EXPECT_TRUE(absolute) << "no absolute branch to the destination in the trampoline";
#endif
    EXPECT_EQ(c.expected + 10, c.f(c.argument));
    EXPECT_EQ(c.expected, g_real(c.argument));
    ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_real), Fn(PlusTen)));
    EXPECT_EQ(c.expected, c.f(c.argument));
  }
}
