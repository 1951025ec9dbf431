// Hand-assembled functions with the prologues that make relocation awkward,
// installed and removed: a table of instruction bytes, what the function
// answers with and without the replacement, and where the trampoline's
// relocated branches and memory operands must lead; and a table of prologues
// that must be refused untouched.
#include <gtest/gtest.h>

#include <ostream>

#include <cstdio>

#include "intercept_test_support.h"

using namespace intercept_test;

namespace {

using FastFn = int(__fastcall*)(int);

FastFn g_real = nullptr;

int __fastcall PlusTen(int x) { return 10 + g_real(x); }
int __fastcall MinusOne(int) { return -1; }
int __fastcall AddForty(int x) { return x + 40; }

volatile int g_value = 0x1234;
FastFn g_pointer = AddForty;
volatile short g_word = 0;

// What a 32-bit field names: the function AddForty, a variable, or the
// code buffer at an offset.
enum class Names { AddForty, Value, Pointer, Word, Buffer };
// Rel32: relative to the instruction's end; Memory: relative on x64,
// absolute on x86.
enum class Form { Rel32, Memory };

struct Field {
    size_t at, end;  // the field and the end of its instruction
    Form form;
    Names names;
    size_t offset;  // in the buffer, for Names::Buffer
};

const void* Address(const Field& f, const CodeBuffer& buffer) {
    switch (f.names) {
    case Names::AddForty: return Fn(AddForty);
    case Names::Value: return const_cast<int*>(&g_value);
    case Names::Pointer: return &g_pointer;
    case Names::Word: return const_cast<short*>(&g_word);
    case Names::Buffer: return buffer.at(f.offset);
    }
    return nullptr;
}

void PutField(CodeBuffer& buffer, size_t base, const Field& f) {
    if (f.form == Form::Rel32) buffer.PutRel32(base + f.at, base + f.end, Address(f, buffer));
    else buffer.PutMemoryOperand(base + f.at, base + f.end, Address(f, buffer));
}

// Where the field at code + at names.
uintptr_t Named(const BYTE* code, const Field& f) {
    int32_t value = 0;
    std::memcpy(&value, code + f.at, sizeof(value));
#if !defined(_WIN64)
    if (f.form == Form::Memory) return static_cast<uint32_t>(value);
#endif
    return reinterpret_cast<uintptr_t>(code + f.end) + static_cast<intptr_t>(value);
}

struct Relocated {
    const char* name;
    std::vector<BYTE> bytes;  // at offset 0
    std::vector<Field> fixups;
    int argument, real;  // the replacement answers real + 10
    std::vector<std::pair<size_t, BYTE>> trampolineBytes;
    std::vector<Field> trampolineFields;  // in the trampoline, naming what the original did
    std::vector<BYTE> restBytes;          // at 5 after the attach: what is left of the overwritten instruction
};

void PrintTo(const Relocated& c, std::ostream* out) { *out << c.name; }

const Relocated kRelocated[] = {
    // test ecx,ecx / je +6 / mov eax,1 / ret / mov eax,2 / ret: the je becomes 0F 84 rel32.
    {"ShortConditionalBranchWidened",
     {0x85, 0xC9, 0x74, 0x06, 0xB8, 0x01, 0, 0, 0, 0xC3, 0xB8, 0x02, 0, 0, 0, 0xC3},
     {},
     0,
     2,
     {{0, 0x85}, {1, 0xC9}, {2, 0x0F}, {3, 0x84}},
     {{4, 8, Form::Rel32, Names::Buffer, 10}},
     {0xCC, 0xCC, 0xCC, 0xCC}},
    {"ShortConditionalBranchNotTaken",
     {0x85, 0xC9, 0x74, 0x06, 0xB8, 0x01, 0, 0, 0, 0xC3, 0xB8, 0x02, 0, 0, 0, 0xC3},
     {},
     5,
     1,
     {},
     {},
     {}},
    // call AddForty / add eax,2 / ret
    {"CallKeepsItsDestination",
     {0xE8, 0, 0, 0, 0, 0x83, 0xC0, 0x02, 0xC3},
     {{1, 5, Form::Rel32, Names::AddForty, 0}},
     1,
     43,
     {{0, 0xE8}},
     {{1, 5, Form::Rel32, Names::AddForty, 0}},
     {}},
    // xor eax,eax / jmp +4 / int3 x4 / inc eax / ret: jmp rel8 becomes jmp rel32.
    {"ShortJumpWidened",
     {0x31, 0xC0, 0xEB, 0x04, 0xCC, 0xCC, 0xCC, 0xCC, 0xFF, 0xC0, 0xC3},
     {},
     0,
     1,
     {{2, 0xE9}},
     {{3, 7, Form::Rel32, Names::Buffer, 8}},
     {}},
    // xor eax,eax / ret / int3 padding: the jump may spill over the padding.
    {"TooShortButPadded", {0x31, 0xC0, 0xC3, 0xCC, 0xCC, 0xCC}, {}, 0, 0, {}, {}, {}},
    // mov eax,[value] / ret
    {"MemoryOperand",
     {0x8B, 0x05, 0, 0, 0, 0, 0xC3},
     {{2, 6, Form::Memory, Names::Value, 0}},
     0,
     0x1234,
     {{0, 0x8B}, {1, 0x05}},
     {{2, 6, Form::Memory, Names::Value, 0}},
     {}},
    // xor edx,edx / jmp [pointer]
    {"IndirectJump",
     {0x31, 0xD2, 0xFF, 0x25, 0, 0, 0, 0},
     {{4, 8, Form::Memory, Names::Pointer, 0}},
     1,
     41,
     {{2, 0xFF}, {3, 0x25}},
     {{4, 8, Form::Memory, Names::Pointer, 0}},
     {}},
    // call [pointer] / add eax,2 / ret
    {"IndirectCall",
     {0xFF, 0x15, 0, 0, 0, 0, 0x83, 0xC0, 0x02, 0xC3},
     {{2, 6, Form::Memory, Names::Pointer, 0}},
     1,
     43,
     {{0, 0xFF}, {1, 0x15}},
     {{2, 6, Form::Memory, Names::Pointer, 0}},
     {}},
    // mov word [word],0x1234 / xor eax,eax / ret: the displacement sits before an immediate.
    {"MemoryOperandBeforeAnImmediate",
     {0x66, 0xC7, 0x05, 0, 0, 0, 0, 0x34, 0x12, 0x31, 0xC0, 0xC3},
     {{3, 9, Form::Memory, Names::Word, 0}},
     0,
     0,
     {{7, 0x34}, {8, 0x12}},
     {{3, 9, Form::Memory, Names::Word, 0}},
     {}},
    // xor eax,eax / ret, then what compilers and linkers pad with.
    {"PaddingNopDword", {0x31, 0xC0, 0xC3, 0x0F, 0x1F, 0x00}, {}, 0, 0, {}, {}, {}},
    {"PaddingNopWord", {0x31, 0xC0, 0xC3, 0x66, 0x0F, 0x1F, 0x44, 0x00, 0x00}, {}, 0, 0, {}, {}, {}},
    {"PaddingLongNop", {0x31, 0xC0, 0xC3, 0x66, 0x66, 0x2E, 0x0F, 0x1F, 0x84, 0, 0, 0, 0, 0}, {}, 0, 0, {}, {}, {}},
    {"PaddingLeaEsi7", {0x31, 0xC0, 0xC3, 0x8D, 0xB4, 0x26, 0, 0, 0, 0}, {}, 0, 0, {}, {}, {}},
    {"PaddingLeaEsi3", {0x31, 0xC0, 0xC3, 0x8D, 0x76, 0x00}, {}, 0, 0, {}, {}, {}},
    {"PaddingLeaEsi4", {0x31, 0xC0, 0xC3, 0x8D, 0x74, 0x26, 0x00}, {}, 0, 0, {}, {}, {}},
    {"PaddingXchgAx", {0x31, 0xC0, 0xC3, 0x66, 0x90}, {}, 0, 0, {}, {}, {}},
    {"PaddingNopInt3", {0x31, 0xC0, 0xC3, 0x90, 0xCC}, {}, 0, 0, {}, {}, {}},
};

class Relocation : public ::testing::TestWithParam<Relocated> {};

}  // namespace

// A wrong relocation shows as a trampoline byte or target off, a wrong
// answer, or bytes not given back at the removal.
TEST_P(Relocation, InstalledAndRemoved) {
    const Relocated& c = GetParam();
    CodeBuffer buffer;
    ASSERT_TRUE(buffer.ok());
    for (size_t i = 0; i < c.bytes.size(); ++i) buffer.Put(i, {c.bytes[i]});
    for (const Field& f : c.fixups) PutField(buffer, 0, f);
    const auto f = reinterpret_cast<FastFn>(buffer.at(0));
    const std::vector<BYTE> original = buffer.Snapshot(0, c.bytes.size());
    ASSERT_EQ(c.real, f(c.argument));

    g_real = f;
    ASSERT_EQ(NO_ERROR, AttachOne(Slot(&g_real), Fn(PlusTen))) << OnlyRefusal();
    ASSERT_NE(f, g_real);
    EXPECT_EQ(0xE9, buffer.at(0)[0]);
    if (!c.restBytes.empty()) {
        EXPECT_EQ(c.restBytes, buffer.Snapshot(5, c.restBytes.size()));
    }
    const auto* trampoline = reinterpret_cast<const BYTE*>(g_real);
    for (const auto& b : c.trampolineBytes) EXPECT_EQ(b.second, trampoline[b.first]) << "trampoline byte " << b.first;
    for (const Field& t : c.trampolineFields)
        EXPECT_EQ(reinterpret_cast<uintptr_t>(Address(t, buffer)), Named(trampoline, t)) << "field at " << t.at;
    g_word = 0;
    EXPECT_EQ(c.real + 10, f(c.argument));
    EXPECT_EQ(c.real, g_real(c.argument));
    if (c.name == std::string("MemoryOperandBeforeAnImmediate")) {
        EXPECT_EQ(0x1234, g_word);
    }

    ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_real), Fn(PlusTen)));
    EXPECT_EQ(f, g_real);
    EXPECT_EQ(original, buffer.Snapshot(0, c.bytes.size()));
    EXPECT_EQ(c.real, f(c.argument));
}

INSTANTIATE_TEST_SUITE_P(Prologues, Relocation, ::testing::ValuesIn(kRelocated),
                         [](const ::testing::TestParamInfo<Relocated>& info) { return std::string(info.param.name); });

namespace {

struct Refused {
    const char* name;
    std::vector<BYTE> bytes;
    std::vector<BYTE> helper;  // at offset 64, e.g. a thunk the code calls
    std::vector<Field> fixups;
    LONG error;
    const char* refusal;  // part of the refusal's text, or empty
};

void PrintTo(const Refused& c, std::ostream* out) { *out << c.name; }

const Refused kRefused[] = {
    // xor eax,eax / ret, followed straight by the next function's code.
    {"TooShort", {0x31, 0xC0, 0xC3, 0x55, 0x89, 0xE5, 0x5D, 0xC3}, {}, {}, ERROR_INVALID_BLOCK, ""},
    // An unconditional jump in the first bytes with code right behind it.
    {"JumpWithCodeBehind", {0x31, 0xC0, 0xEB, 0x02, 0x0F, 0x0B, 0xFF, 0xC0, 0xC3}, {}, {}, ERROR_INVALID_BLOCK, ""},
    // lea esi,[edi+0] after the ret changes a register: code, not padding.
    {"LeaThatIsNoPadding", {0x31, 0xC0, 0xC3, 0x8D, 0x77, 0x00}, {}, {}, ERROR_INVALID_BLOCK, "lea"},
    // mov ecx,[esp+4] / L: cmp byte [ecx],0 / je L / ret 4: the loop head
    // lies inside the stolen bytes.
    {"LoopIntoTheStolenBytes",
     {0x8B, 0x4C, 0x24, 0x04, 0x80, 0x39, 0x00, 0x74, 0xFB, 0xC2, 0x04, 0x00},
     {},
     {},
     ERROR_INVALID_DATA,
     ""},
    // A branch back into the stolen bytes behind an early ret.
    {"BranchBackBehindAReturn",
     {0x85, 0xC9, 0x75, 0x0A, 0x31, 0xC0, 0xFF, 0xC0, 0xC3, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xFF, 0xC9, 0x75, 0xF2, 0xC3},
     {},
     {},
     ERROR_INVALID_DATA,
     ""},
    // jecxz (jrcxz) cannot be widened.
    {"Jecxz", {0xE3, 0x04, 0x31, 0xC0, 0xFF, 0xC0, 0x31, 0xC0, 0xC3}, {}, {}, ERROR_NOT_SUPPORTED, ""},
    // call $+5 / pop eax / ret
    {"CallToTheNextInstruction", {0xE8, 0, 0, 0, 0, 0x58, 0xC3}, {}, {}, ERROR_NOT_SUPPORTED, "next instruction"},
    // call thunk / add eax,5 / ret, the thunk: mov eax,[esp] / ret
    {"CallToAReturnAddressReader",
     {0xE8, 0, 0, 0, 0, 0x83, 0xC0, 0x05, 0xC3},
     {0x8B, 0x04, 0x24, 0xC3},
     {{1, 5, Form::Rel32, Names::Buffer, 64}},
     ERROR_NOT_SUPPORTED,
     "return address"},
};

class RefusedPrologue : public ::testing::TestWithParam<Refused> {};

}  // namespace

// Refused with its error, code, variable and trampolines untouched.
TEST_P(RefusedPrologue, LeftUntouched) {
    const Refused& c = GetParam();
    CodeBuffer buffer;
    ASSERT_TRUE(buffer.ok());
    for (size_t i = 0; i < c.bytes.size(); ++i) buffer.Put(i, {c.bytes[i]});
    for (size_t i = 0; i < c.helper.size(); ++i) buffer.Put(64 + i, {c.helper[i]});
    for (const Field& f : c.fixups) PutField(buffer, 0, f);
    const std::vector<BYTE> before = buffer.Snapshot(0, c.bytes.size());
    g_real = reinterpret_cast<FastFn>(buffer.at(0));
    const ULONG trampolines = InterceptTrampolineCount();
    EXPECT_EQ(c.error, AttachOne(Slot(&g_real), Fn(MinusOne)));
    EXPECT_EQ(reinterpret_cast<FastFn>(buffer.at(0)), g_real);
    EXPECT_EQ(before, buffer.Snapshot(0, c.bytes.size()));
    EXPECT_EQ(trampolines, InterceptTrampolineCount());
    EXPECT_NE(std::string::npos, OnlyRefusal().find(c.refusal)) << OnlyRefusal();
}

INSTANTIATE_TEST_SUITE_P(Prologues, RefusedPrologue, ::testing::ValuesIn(kRefused),
                         [](const ::testing::TestParamInfo<Refused>& info) { return std::string(info.param.name); });

TEST(Relocation, FunctionFarFromItsReplacement) {
    CodeBuffer buffer(4096, Placement::Anywhere);
    ASSERT_TRUE(buffer.ok());
    buffer.Put(0, {0xB8, 0x07, 0, 0, 0, 0xC3});  // mov eax,7 / ret
    const auto f = reinterpret_cast<FastFn>(buffer.at(0));
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
           info.State == MEM_FREE && reinterpret_cast<uintptr_t>(info.BaseAddress) + info.RegionSize >= address + size;
}
#endif

void AllocateFarPair(FarPair* pair) {
    const DWORD kinds = MEM_RESERVE | MEM_COMMIT;
#if defined(_WIN64)
    constexpr uintptr_t kGap = 0x7FFF0000;
    for (uintptr_t base = 0x300000000000; base < 0x380000000000; base += 0x1000000000) {
        if (!Free(base - 0x10000, 0x20000) || !Free(base + kGap, 0x10000)) continue;
        pair->code =
            static_cast<BYTE*>(VirtualAlloc(reinterpret_cast<void*>(base), 4096, kinds, PAGE_EXECUTE_READWRITE));
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
    return static_cast<long long>(
        static_cast<intptr_t>(reinterpret_cast<uintptr_t>(b) - reinterpret_cast<uintptr_t>(a)));
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
    } cases[] = {
        {call, addForty, 1, 43, 0x15}, {jcc, two, 7, 2, 0x25}, {jcc, two, 0, 1, 0x25}, {jmp, plusFive, 3, 8, 0x25}};
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
