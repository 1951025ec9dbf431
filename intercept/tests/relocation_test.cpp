// Hand-assembled prologues that make relocation awkward: installed and removed
// (the answers with and without the replacement, where the trampoline's
// relocated fields lead, the bytes given back), or refused untouched.
#include <gtest/gtest.h>

#include <cstdlib>

#include "intercept_test_support.h"

using namespace intercept_test;

namespace {

FastFn g_real = nullptr;
int __fastcall PlusTen(int x) { return 10 + g_real(x); }
int __fastcall MinusOne(int) { return -1; }
int __fastcall AddForty(int x) { return x + 40; }
volatile int g_value = 0x1234;
FastFn g_pointer = AddForty;
volatile short g_word = 0;

// A 32-bit field at [at, at + 4) of an instruction ending at end: rel32, or a
// memory operand (rip-relative on x64, absolute on x86), naming a function, a
// variable or the code buffer at an offset.
enum Names { kNone, kAddForty, kValue, kPointer, kWord, kBuffer };
struct Field {
    Names names;
    size_t at, end;
    bool memory;
    size_t offset;
};

constexpr Field Rel(Names names, size_t at, size_t end, size_t offset = 0) { return {names, at, end, false, offset}; }
constexpr Field Mem(Names names, size_t at, size_t end) { return {names, at, end, true, 0}; }

const void* Address(const Field& f, const CodeBuffer& buffer) {
    const void* named[] = {nullptr,
                           Fn(AddForty),
                           const_cast<int*>(&g_value),
                           &g_pointer,
                           const_cast<short*>(&g_word),
                           buffer.at(f.offset)};
    return named[f.names];
}

// Where the field of the instruction copied to code names.
uintptr_t Named(const BYTE* code, const Field& f) {
    int32_t value = 0;
    std::memcpy(&value, code + f.at, sizeof(value));
#if !defined(_WIN64)
    if (f.memory) return static_cast<uint32_t>(value);
#endif
    return reinterpret_cast<uintptr_t>(code + f.end) + static_cast<intptr_t>(value);
}

struct Relocated {
    const char* name;
    const char* code;
    Field field;         // in the code
    int argument, real;  // the replacement answers real + 10
    const char* copy;    // the trampoline's first bytes, but for its field
    Field relocated;     // in the trampoline, naming what the original did
};

const Relocated kRelocated[] = {
    // test ecx,ecx / je +6 / mov eax,1 / ret / mov eax,2 / ret
    {"ShortConditionalBranchWidened",
     "85C9 7406 B801000000 C3 B802000000 C3",
     {},
     0,
     2,
     "85C9 0F84",
     Rel(kBuffer, 4, 8, 10)},
    {"ShortConditionalBranchNotTaken", "85C9 7406 B801000000 C3 B802000000 C3", {}, 5, 1, "", {}},
    // call AddForty / add eax,2 / ret
    {"CallKeepsItsDestination", "E800000000 83C002 C3", Rel(kAddForty, 1, 5), 1, 43, "E8", Rel(kAddForty, 1, 5)},
    // xor eax,eax / jmp +4 / int3 x4 / inc eax / ret
    {"ShortJumpWidened", "31C0 EB04 CCCCCCCC FFC0 C3", {}, 0, 1, "31C0 E9", Rel(kBuffer, 3, 7, 8)},
    {"TooShortButPadded", "31C0 C3 CCCCCC", {}, 0, 0, "", {}},
    // mov eax,[value] / ret
    {"MemoryOperand", "8B0500000000 C3", Mem(kValue, 2, 6), 0, 0x1234, "8B05", Mem(kValue, 2, 6)},
    // xor edx,edx / jmp [pointer]
    {"IndirectJump", "31D2 FF2500000000", Mem(kPointer, 4, 8), 1, 41, "31D2 FF25", Mem(kPointer, 4, 8)},
    // call [pointer] / add eax,2 / ret
    {"IndirectCall", "FF1500000000 83C002 C3", Mem(kPointer, 2, 6), 1, 43, "FF15", Mem(kPointer, 2, 6)},
    // mov word [word],0x1234 / xor eax,eax / ret: the displacement sits before an immediate.
    {"MemoryOperandBeforeAnImmediate", "66C70500000000 3412 31C0 C3", Mem(kWord, 3, 9), 0, 0, "66C70500000000 3412",
     Mem(kWord, 3, 9)},
    // xor eax,eax / ret, then what compilers and linkers pad with.
    {"PaddingNopDword", "31C0 C3 0F1F00", {}, 0, 0, "", {}},
    {"PaddingNopWord", "31C0 C3 660F1F440000", {}, 0, 0, "", {}},
    {"PaddingLongNop", "31C0 C3 66662E0F1F840000000000", {}, 0, 0, "", {}},
    {"PaddingLeaEsi7", "31C0 C3 8DB42600000000", {}, 0, 0, "", {}},
    {"PaddingLeaEsi3", "31C0 C3 8D7600", {}, 0, 0, "", {}},
    {"PaddingLeaEsi4", "31C0 C3 8D742600", {}, 0, 0, "", {}},
    {"PaddingXchgAx", "31C0 C3 6690", {}, 0, 0, "", {}},
    {"PaddingNopInt3", "31C0 C3 90CC", {}, 0, 0, "", {}},
};

class Relocation : public ::testing::TestWithParam<Relocated> {};

}  // namespace

TEST_P(Relocation, InstalledAndRemoved) {
    const Relocated& c = GetParam();
    CodeBuffer buffer;
    ASSERT_TRUE(buffer.ok());
    const std::vector<BYTE> code = Hex(c.code);
    buffer.Put(0, code);
    if (c.field.names != kNone) {
        if (c.field.memory) buffer.PutMemoryOperand(c.field.at, c.field.end, Address(c.field, buffer));
        else buffer.PutRel32(c.field.at, c.field.end, Address(c.field, buffer));
    }
    const FastFn f = buffer.fn(0);
    const std::vector<BYTE> original = buffer.Snapshot(0, code.size());
    ASSERT_EQ(c.real, f(c.argument));

    g_real = f;
    ASSERT_EQ(NO_ERROR, AttachOne(Slot(&g_real), Fn(PlusTen))) << OnlyRefusal();
    EXPECT_EQ(0xE9, buffer.at(0)[0]);
    const auto* trampoline = reinterpret_cast<const BYTE*>(g_real);
    const std::vector<BYTE> copy = Hex(c.copy);
    for (size_t i = 0; i < copy.size(); ++i) {
        const bool field = c.relocated.names != kNone && i - c.relocated.at < 4;
        EXPECT_TRUE(field || copy[i] == trampoline[i]) << "trampoline byte " << i;
    }
    if (c.relocated.names != kNone) {
        EXPECT_EQ(reinterpret_cast<uintptr_t>(Address(c.relocated, buffer)), Named(trampoline, c.relocated));
    }
    g_word = 0;
    EXPECT_EQ(c.real + 10, f(c.argument));
    EXPECT_EQ(c.real, g_real(c.argument));
    EXPECT_EQ(c.field.names == kWord ? 0x1234 : 0, g_word);

    ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_real), Fn(PlusTen)));
    EXPECT_EQ(f, g_real);
    EXPECT_EQ(original, buffer.Snapshot(0, code.size()));
    EXPECT_EQ(c.real, f(c.argument));
}

INSTANTIATE_TEST_SUITE_P(Prologues, Relocation, ::testing::ValuesIn(kRelocated),
                         [](const ::testing::TestParamInfo<Relocated>& info) { return std::string(info.param.name); });

namespace {

struct Refused {
    const char* name;
    const char* code;
    const char* callee;  // at 64, called by the rel32 at 1 when given
    LONG error;
    const char* refusal;  // part of the refusal's text
};

const Refused kRefused[] = {
    // xor eax,eax / ret, and the next function's code right behind.
    {"TooShort", "31C0 C3 5589E55DC3", "", ERROR_INVALID_BLOCK, ""},
    {"JumpWithCodeBehind", "31C0 EB02 0F0B FFC0 C3", "", ERROR_INVALID_BLOCK, ""},
    // lea esi,[edi+0] after the ret changes a register: code, not padding.
    {"LeaThatIsNoPadding", "31C0 C3 8D7700", "", ERROR_INVALID_BLOCK, "lea"},
    // mov ecx,[esp+4] / L: cmp byte [ecx],0 / je L / ret 4: the loop head is in the stolen bytes.
    {"LoopIntoTheStolenBytes", "8B4C2404 803900 74FB C20400", "", ERROR_INVALID_DATA, ""},
    {"BranchBackBehindAReturn", "85C9 750A 31C0 FFC0 C3 CCCCCCCCCC FFC9 75F2 C3", "", ERROR_INVALID_DATA, ""},
    {"Jecxz", "E304 31C0 FFC0 31C0 C3", "", ERROR_NOT_SUPPORTED, ""},
    // call $+5 / pop eax / ret
    {"CallToTheNextInstruction", "E800000000 58 C3", "", ERROR_NOT_SUPPORTED, "next instruction"},
    // call callee / add eax,5 / ret; callee: mov eax,[esp] / ret
    {"CallToAReturnAddressReader", "E800000000 83C005 C3", "8B0424 C3", ERROR_NOT_SUPPORTED, "return address"},
};

class RefusedPrologue : public ::testing::TestWithParam<Refused> {};

}  // namespace

TEST_P(RefusedPrologue, LeftUntouched) {
    const Refused& c = GetParam();
    CodeBuffer buffer;
    ASSERT_TRUE(buffer.ok());
    const std::vector<BYTE> code = Hex(c.code);
    buffer.Put(0, code);
    buffer.Put(64, Hex(c.callee));
    if (c.callee[0] != '\0') buffer.PutRel32(1, 5, buffer.at(64));
    const std::vector<BYTE> before = buffer.Snapshot(0, code.size());
    g_real = buffer.fn(0);
    const ULONG trampolines = InterceptTrampolineCount();
    EXPECT_EQ(c.error, AttachOne(Slot(&g_real), Fn(MinusOne)));
    EXPECT_EQ(buffer.fn(0), g_real);
    EXPECT_EQ(before, buffer.Snapshot(0, code.size()));
    EXPECT_EQ(trampolines, InterceptTrampolineCount());
    EXPECT_NE(std::string::npos, OnlyRefusal().find(c.refusal)) << OnlyRefusal();
}

INSTANTIATE_TEST_SUITE_P(Prologues, RefusedPrologue, ::testing::ValuesIn(kRefused),
                         [](const ::testing::TestParamInfo<Refused>& info) { return std::string(info.param.name); });

namespace {

long long Distance(const void* a, const void* b) {
    return static_cast<long long>(
        static_cast<intptr_t>(reinterpret_cast<uintptr_t>(b) - reinterpret_cast<uintptr_t>(a)));
}

// Code at base and, 2 GB - 64 KB above, the destinations of its branches, with
// the 64 KB around the code free for trampolines: on x64 these then lie out of
// rel32 reach of the destinations.
struct FarPair {
    BYTE* code = nullptr;
    BYTE* dest = nullptr;
    FarPair() {
        const DWORD kinds = MEM_RESERVE | MEM_COMMIT;
#if defined(_WIN64)
        for (uintptr_t base = 0x300000000000; base < 0x380000000000 && dest == nullptr; base += 0x1000000000) {
            MEMORY_BASIC_INFORMATION below, above;
            VirtualQuery(reinterpret_cast<void*>(base - 0x10000), &below, sizeof(below));
            VirtualQuery(reinterpret_cast<void*>(base + 0x7FFF0000), &above, sizeof(above));
            if (below.State != MEM_FREE || below.RegionSize < 0x20000 || above.State != MEM_FREE ||
                above.RegionSize < 0x10000)
                continue;
            code = static_cast<BYTE*>(VirtualAlloc(reinterpret_cast<void*>(base), 4096, kinds, PAGE_EXECUTE_READWRITE));
            dest = static_cast<BYTE*>(
                VirtualAlloc(reinterpret_cast<void*>(base + 0x7FFF0000), 0x10000, kinds, PAGE_EXECUTE_READWRITE));
        }
#else
        code = static_cast<BYTE*>(VirtualAlloc(nullptr, 4096, kinds, PAGE_EXECUTE_READWRITE));
        dest = static_cast<BYTE*>(VirtualAlloc(nullptr, 0x10000, kinds, PAGE_EXECUTE_READWRITE));
#endif
    }
    ~FarPair() {
        if (code != nullptr) VirtualFree(code, 0, MEM_RELEASE);
        if (dest != nullptr) VirtualFree(dest, 0, MEM_RELEASE);
    }
};

}  // namespace

// A call, jcc or jmp out of the trampoline's reach becomes an absolute call
// [rip+2] / jmp [rip+0]; the trampoline lies within reach of its function, and
// on x64 the replacement, near the image, is reached through a relay.
TEST(Relocation, BranchesOutOfReachOfTheTrampolineTakeAbsoluteForms) {
    FarPair pair;
    ASSERT_NE(nullptr, pair.code);
    ASSERT_NE(nullptr, pair.dest);
    BYTE* code = pair.code;
    BYTE* dest = pair.dest + 0xF000;
    // Destinations: lea eax,[ecx+40] / ret; mov eax,2 / ret; lea eax,[ecx+5] / ret.
    const std::vector<BYTE> dests[] = {Hex("8D4128 C3"), Hex("B802000000 C3"), Hex("8D4105 C3")};
    // call d0 / add eax,2 / ret; test ecx,ecx / jne d1 / mov eax,1 / ret; xor eax,eax / jmp d2.
    const std::vector<BYTE> sources[] = {Hex("E800000000 83C002 C3"), Hex("85C9 0F8500000000 B801000000 C3"),
                                         Hex("31C0 E900000000")};
    const size_t field[] = {1, 4, 3};
    for (int i = 0; i < 3; ++i) {
        std::memcpy(dest + 16 * i, dests[i].data(), dests[i].size());
        std::memset(code + 64 * i, 0xCC, 64);
        std::memcpy(code + 64 * i, sources[i].data(), sources[i].size());
        const auto rel = static_cast<int32_t>(Distance(code + 64 * i + field[i] + 4, dest + 16 * i));
        std::memcpy(code + 64 * i + field[i], &rel, sizeof(rel));
    }
    FlushInstructionCache(GetCurrentProcess(), code, 4096);
    const struct {
        int source, argument, expected;
        BYTE opcode;     // of the absolute form: FF 15 call, FF 25 jmp
        size_t literal;  // its address literal's offset from the opcode
    } cases[] = {{0, 1, 43, 0x15, 8}, {1, 7, 2, 0x25, 6}, {1, 0, 1, 0x25, 6}, {2, 3, 8, 0x25, 6}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        const auto f = reinterpret_cast<FastFn>(code + 64 * c.source);
        ASSERT_EQ(c.expected, f(c.argument));
        g_real = f;
        ASSERT_EQ(NO_ERROR, AttachOne(Slot(&g_real), Fn(PlusTen))) << OnlyRefusal();
        const auto* trampoline = reinterpret_cast<const BYTE*>(g_real);
        EXPECT_LT(std::llabs(Distance(Fn(f), trampoline)), 0x7FFF0000LL);
#if defined(_WIN64)
        const BYTE* target = dest + 16 * c.source;
        EXPECT_GT(std::llabs(Distance(trampoline, target)), 0x7FFFFFFFLL);
        INTERCEPT_TRAMPOLINE_INFO info = {};
        ASSERT_TRUE(InterceptDescribeTrampoline(Slot(&g_real), &info));
        bool absolute = false;
        for (ULONG i = 0; i + c.literal + 8 <= info.cbCode; ++i) {
            absolute = absolute || (trampoline[i] == 0xFF && trampoline[i + 1] == c.opcode &&
                                    std::memcmp(trampoline + i + c.literal, &target, 8) == 0);
        }
        EXPECT_TRUE(absolute) << "no absolute branch to the destination";
#endif
        EXPECT_EQ(c.expected + 10, f(c.argument));
        EXPECT_EQ(c.expected, g_real(c.argument));
        ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_real), Fn(PlusTen)));
        EXPECT_EQ(c.expected, f(c.argument));
    }
}
