// Hand-assembled prologues that make relocation awkward: installed and removed
// (the answers with and without the replacement, the trampoline's first bytes,
// the bytes given back), or refused untouched, with the reason.
#include <gtest/gtest.h>

#include "intercept_test_support.h"

using namespace intercept_test;

namespace {

FastFn g_real = nullptr;
int __fastcall PlusTen(int x) { return 10 + g_real(x); }
int __fastcall AddForty(int x) { return x + 40; }
int g_value = 0x1234;
FastFn g_pointer = AddForty;

// On x64 a remote row's code lies in an empty part of the address space 2 GB
// below its callee, so that the trampoline, placed below the code, is out of
// rel32 reach of the callee.
uintptr_t Placed(bool remote, uint64_t address) {
    return remote && sizeof(void*) == 8 ? static_cast<uintptr_t>(address) : kNearImage;
}

struct Prologue {
    const char *name, *code;
    const char* expect;           // the trampoline's first bytes; refused: part of the refusal's "rule | instruction"
    LONG error;                   // the attach's
    int argument = 0, real = 0;   // the replacement answers real + 10
    size_t at = 0, end = 0;       // the 32-bit field of the instruction ending at end, when at is not 0,
    const void* names = nullptr;  // naming this (a memory operand) or else the callee (rel32)
    const char* callee = nullptr;
    bool remote = false;
};

// Branches out of the trampoline's reach take absolute forms on x64: call
// [rip+2] / jmp +8 / literal; the inverted jcc over jmp [rip+0] / literal.
const bool kX64 = sizeof(void*) == 8;

// Callees: lea eax,[ecx+40] / ret; mov eax,2 / ret; lea eax,[ecx+5] / ret.
const Prologue kPrologues[] = {
    // test ecx,ecx / je +6 / mov eax,1 / ret / mov eax,2 / ret
    {"ShortConditionalBranchTaken", "85C9 7406 B801000000 C3 B802000000 C3", "85C9 0F84", NO_ERROR, 0, 2},
    {"ShortConditionalBranchNotTaken", "85C9 7406 B801000000 C3 B802000000 C3", "85C9 0F84", NO_ERROR, 5, 1},
    // xor eax,eax / jmp +4 / int3 x4 / inc eax / ret
    {"ShortJump", "31C0 EB04 CCCCCCCC FFC0 C3", "31C0 E9", NO_ERROR, 0, 1},
    // call callee / add eax,2 / ret
    {"Call", "E800000000 83C002 C3", "E8", NO_ERROR, 1, 43, 1, 5, nullptr, "8D4128 C3"},
    {"FarCall", "E800000000 83C002 C3", kX64 ? "FF1502000000 EB08" : "E8", NO_ERROR, 1, 43, 1, 5, nullptr, "8D4128 C3",
     true},
    // test ecx,ecx / jne callee / mov eax,1 / ret
    {"FarConditionalBranchTaken", "85C9 0F8500000000 B801000000 C3", kX64 ? "85C9 740E FF2500000000" : "85C9 0F85",
     NO_ERROR, 7, 2, 4, 8, nullptr, "B802000000 C3", true},
    {"FarConditionalBranchNotTaken", "85C9 0F8500000000 B801000000 C3", kX64 ? "85C9 740E FF2500000000" : "85C9 0F85",
     NO_ERROR, 0, 1, 4, 8, nullptr, "B802000000 C3", true},
    // xor eax,eax / jmp callee
    {"FarJump", "31C0 E900000000", kX64 ? "31C0 FF2500000000" : "31C0 E9", NO_ERROR, 3, 8, 3, 7, nullptr, "8D4105 C3",
     true},
    // mov eax,[value] / ret
    {"MemoryOperand", "8B0500000000 C3", "8B05", NO_ERROR, 0, 0x1234, 2, 6, &g_value},
    // imul eax,[value],2 / ret: the displacement sits before an immediate.
    {"MemoryOperandBeforeAnImmediate", "6B0500000000 02 C3", "6B05", NO_ERROR, 0, 0x2468, 2, 7, &g_value},
    // Jumps at the entry are code of their own, not ways to other functions: jmp callee; jmp [pointer], where
    // pointer is no import address slot.
    {"JumpAtTheEntry", "E900000000", "E9", NO_ERROR, 3, 8, 1, 5, nullptr, "8D4105 C3"},
    {"IndirectJumpAtTheEntry", "FF2500000000", "FF25", NO_ERROR, 1, 41, 2, 6, &g_pointer},
    // xor edx,edx / jmp [pointer]
    {"IndirectJump", "31D2 FF2500000000", "31D2 FF25", NO_ERROR, 1, 41, 4, 8, &g_pointer},
    // call [pointer] / add eax,2 / ret
    {"IndirectCall", "FF1500000000 83C002 C3", "FF15", NO_ERROR, 1, 43, 2, 6, &g_pointer},
    // xor eax,eax / ret, then int3 or what compilers and linkers pad with.
    {"TooShortButPadded", "31C0 C3 CCCCCC", "31C0 C3", NO_ERROR},
    {"PaddingNopDword", "31C0 C3 0F1F00", "31C0 C3", NO_ERROR},
    {"PaddingLongNop", "31C0 C3 66662E0F1F840000000000", "31C0 C3", NO_ERROR},
    {"PaddingLeaEsi7", "31C0 C3 8DB42600000000", "31C0 C3", NO_ERROR},
    {"PaddingLeaEsi3", "31C0 C3 8D7600", "31C0 C3", NO_ERROR},
    {"PaddingXchgAx", "31C0 C3 6690", "31C0 C3", NO_ERROR},
    {"PaddingNopInt3", "31C0 C3 90CC", "31C0 C3", NO_ERROR},
    // xor eax,eax / ret, and the next function's code right behind.
    {"TooShort", "31C0 C3 5589E55DC3", "no padding follows | push", ERROR_INVALID_BLOCK},
    {"JumpWithCodeBehind", "31C0 EB02 0F0B FFC0 C3", "no padding follows | ud2", ERROR_INVALID_BLOCK},
    // lea esi,[edi+0] after the ret changes a register: code, not padding.
    {"LeaThatIsNoPadding", "31C0 C3 8D7700", "no padding follows | lea", ERROR_INVALID_BLOCK},
    // mov ecx,[esp+4] / L: cmp byte [ecx],0 / je L / ret 4: the loop head is in the stolen bytes.
    {"LoopIntoTheStolenBytes", "8B4C2404 803900 74FB C20400", "jump takes | je", ERROR_INVALID_DATA},
    {"BranchBackBehindAReturn", "85C9 750A 31C0 FFC0 C3 CCCCCCCCCC FFC9 75F2 C3", "jump takes | jne",
     ERROR_INVALID_DATA},
    {"Jecxz", "E304 31C0 FFC0 31C0 C3", "cannot be relocated", ERROR_NOT_SUPPORTED},
    {"Loop", "E204 31C0 FFC0 31C0 C3", "xbegin) | loop", ERROR_NOT_SUPPORTED},
    // call $+5 / pop eax / ret
    {"CallToTheNextInstruction", "E800000000 58 C3", "own address | call", ERROR_NOT_SUPPORTED},
    // call callee / add eax,5 / ret; callee: mov eax,[esp] / ret
    {"CallToAReturnAddressReader", "E800000000 83C005 C3", "return address | call", ERROR_NOT_SUPPORTED, 0, 0, 1, 5,
     nullptr, "8B0424 C3"},
};

class Relocation : public ::testing::TestWithParam<Prologue> {};

}  // namespace

TEST_P(Relocation, InstalledAndRemovedOrRefusedUntouched) {
    const Prologue& c = GetParam();
    CodeBuffer code(Placed(c.remote, 0x300000000000)), callee(Placed(c.remote, 0x300080000000));
    ASSERT_TRUE(code.ok() && callee.ok());
    if (c.callee != nullptr) callee.Put(0, Hex(c.callee));
    const FastFn f = g_real = code.fn(0);
    code.Put(0, Hex(c.code));
    if (c.at != 0 && c.names != nullptr) code.PutMemoryOperand(c.at, c.end, c.names);
    if (c.at != 0 && c.names == nullptr) code.PutRel32(c.at, c.end, callee.at(0));
    const std::vector<BYTE> original = code.Snapshot(0, 32);
    if (c.error == NO_ERROR) {
        ASSERT_EQ(c.real, f(c.argument));
        ASSERT_EQ(NO_ERROR, AttachOne(Slot(&g_real), Fn(PlusTen))) << LastRefusal();
        const auto* trampoline = reinterpret_cast<const BYTE*>(g_real);
        const std::vector<BYTE> expect = Hex(c.expect);
        EXPECT_EQ(expect, std::vector<BYTE>(trampoline, trampoline + expect.size()));
        EXPECT_EQ(c.real + 10, f(c.argument));
        EXPECT_EQ(c.real, g_real(c.argument));
        ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_real), Fn(PlusTen)));
    } else {
        EXPECT_EQ(c.error, AttachOne(Slot(&g_real), Fn(PlusTen)));
        EXPECT_EQ(0u, InterceptTrampolineCount());
        EXPECT_NE(std::string::npos, LastRefusal().find(c.expect)) << LastRefusal();
    }
    EXPECT_EQ(f, g_real);
    EXPECT_EQ(original, code.Snapshot(0, 32));
}

INSTANTIATE_TEST_SUITE_P(Prologues, Relocation, ::testing::ValuesIn(kPrologues),
                         [](const ::testing::TestParamInfo<Prologue>& info) { return std::string(info.param.name); });
