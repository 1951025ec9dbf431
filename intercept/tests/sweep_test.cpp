// Every export of the system modules the product intercepts from, and of
// comctl32 and ntdll: each trampoline is checked instruction by instruction
// against the code it copies (destinations and memory operands kept, branches
// between copied instructions landing on the copies, the jump back right after
// the copied bytes). Outside ntdll each export is also attached, committed
// and detached, and its bytes must come back. Refusals, printed by reason,
// stay below 1% of each module's exports.
//
// The replacement is a stub "jmp [real]" (it changes no register), so a call
// that reaches a hooked export meanwhile (from the engine, the C runtime or
// Wine) runs the original code through the trampoline.
#include <gtest/gtest.h>

#include <capstone/capstone.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "intercept_test_support.h"

using namespace intercept_test;

namespace {

struct Export {
    PVOID address;
    std::string name;  // "#ordinal" when it has none
};

// The exports of module in executable memory, forwarded ones resolved.
std::vector<Export> CodeExportsOf(HMODULE module) {
    const auto* base = reinterpret_cast<const BYTE*>(module);
    const auto* nt =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const auto* table = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(
        base + nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT].VirtualAddress);
    std::map<DWORD, std::string> named;
    for (DWORD n = 0; n < table->NumberOfNames; ++n) {
        named[reinterpret_cast<const WORD*>(base + table->AddressOfNameOrdinals)[n]] =
            reinterpret_cast<const char*>(base + reinterpret_cast<const DWORD*>(base + table->AddressOfNames)[n]);
    }
    std::vector<Export> exports;
    for (DWORD i = 0; i < table->NumberOfFunctions; ++i) {
        const auto ordinal = static_cast<uintptr_t>(table->Base + i);
        const PVOID address = Fn(GetProcAddress(module, reinterpret_cast<LPCSTR>(ordinal)));
        MEMORY_BASIC_INFORMATION info;
        if (address != nullptr && VirtualQuery(address, &info, sizeof(info)) == sizeof(info) &&
            info.State == MEM_COMMIT && (info.Protect & 0xF0) != 0)  // PAGE_EXECUTE*
            exports.push_back({address, named.count(i) ? named[i] : "#" + std::to_string(ordinal)});
    }
    return exports;
}

struct Insn {
    size_t size = 0;
    unsigned id = 0;
    bool relative = false;  // a branch to dest
    bool call = false, ends = false;
    uint64_t dest = 0;
    bool rip = false;  // a memory operand at address, relative to the instruction pointer
    uint64_t address = 0;
};

csh g_cs = 0;
cs_insn* g_insn = nullptr;

bool Decode(const BYTE* at, Insn* d) {
    const uint8_t* code = at;
    size_t size = 16;
    uint64_t address = reinterpret_cast<uintptr_t>(at);
    if (!cs_disasm_iter(g_cs, &code, &size, &address, g_insn)) return false;
    const cs_x86& x86 = g_insn->detail->x86;
    *d = Insn();
    d->size = g_insn->size;
    d->id = g_insn->id;
    d->call = cs_insn_group(g_cs, g_insn, CS_GRP_CALL);
    d->relative = (d->call || cs_insn_group(g_cs, g_insn, CS_GRP_JUMP)) && x86.op_count == 1 &&
                  x86.operands[0].type == X86_OP_IMM;
    d->dest = d->relative ? static_cast<uint64_t>(x86.operands[0].imm) : 0;
    d->ends = cs_insn_group(g_cs, g_insn, CS_GRP_RET) || d->id == X86_INS_JMP;
    for (uint8_t i = 0; i < x86.op_count; ++i) {
        if (x86.operands[i].type != X86_OP_MEM || x86.operands[i].mem.base != X86_REG_RIP) continue;
        d->rip = true;
        d->address = reinterpret_cast<uintptr_t>(at) + d->size + x86.operands[i].mem.disp;
    }
    return true;
}

// Where the branch at code leads and how many bytes it takes: a relative
// branch, or an absolute one through the address literal that follows it
// (call [rip+2] / jmp +8 / literal, jmp [rip+0] / literal).
bool Reach(const Insn& b, const BYTE* code, uint64_t* dest, size_t* size) {
    if (b.relative) return *dest = b.dest, *size = b.size, true;
    if (!b.rip || (!b.call && b.id != X86_INS_JMP)) return false;
    std::memcpy(dest, reinterpret_cast<const void*>(b.address), 8);
    *size = static_cast<size_t>(b.address + 8 - reinterpret_cast<uintptr_t>(code));
    return true;
}

// Empty when the trampoline info describes copies its target right, else what is wrong.
std::string CheckTrampoline(const INTERCEPT_TRAMPOLINE_INFO& info) {
    const auto* target = static_cast<const BYTE*>(info.pTarget);
    const auto* code = static_cast<const BYTE*>(info.pTrampoline);
    const auto base = reinterpret_cast<uintptr_t>(target);
    std::map<uint64_t, uint64_t> copyOf;               // original address -> copy address
    std::vector<std::pair<uint64_t, uint64_t>> inner;  // where a copied branch goes, where the original went
    size_t o = 0, t = 0;
    bool ended = false;
    for (Insn a, b; o < info.cbCopied; o += a.size, ended = a.ends) {
        if (!Decode(target + o, &a) || !Decode(code + t, &b)) return "undecodable at +" + std::to_string(o);
        copyOf[base + o] = reinterpret_cast<uintptr_t>(code + t);
        const std::string at = " at +" + std::to_string(o);
        if (a.relative) {
            uint64_t dest = 0;
            size_t size = 0;
            // A far jcc: the inverted jcc skips the absolute jmp that follows it.
            const bool inverted = !a.call && a.id != X86_INS_JMP && b.relative && b.dest == uintptr_t(code + t + 16);
            if (inverted && !Decode(code + t + 2, &b)) return "undecodable" + at;
            if (!Reach(b, code + t, &dest, &size) || b.call != a.call) return "branch kind changed" + at;
            if (a.dest - base < info.cbStolen) inner.emplace_back(dest, a.dest);
            else if (dest != a.dest) return "branch goes elsewhere" + at;
            t += size;
        } else if (a.rip) {
            if (b.id != a.id || b.size != a.size || !b.rip || b.address != a.address) return "operand moved" + at;
            t += b.size;
        } else {
            if (std::memcmp(target + o, code + t, a.size) != 0) return "copy differs" + at;
            t += a.size;
        }
    }
    for (const auto& branch : inner) {
        if (copyOf.count(branch.second) == 0 || copyOf[branch.second] != branch.first)
            return "inner branch misses its copy";
    }
    if (o != info.cbCopied) return "copied instructions overrun the copied bytes";
    if (ended) return t == info.cbCode ? "" : "code after the last copied instruction";
    Insn back;
    uint64_t dest = 0;
    size_t size = 0;
    if (Decode(code + t, &back) && back.id == X86_INS_JMP && Reach(back, code + t, &dest, &size) &&
        dest == base + info.cbCopied && t + size == info.cbCode)
        return "";
    return "the jump back does not land right after the copied bytes";
}

}  // namespace

TEST(Sweep, EveryExportOfTheInterceptedModules) {
    ASSERT_EQ(CS_ERR_OK, cs_open(CS_ARCH_X86, sizeof(void*) == 8 ? CS_MODE_64 : CS_MODE_32, &g_cs));
    cs_option(g_cs, CS_OPT_DETAIL, CS_OPT_ON);
    g_insn = cs_malloc(g_cs);
    CodeBuffer stubs;  // the stub and its variable side by side: jmp [variable] reaches it on x64 too
    auto* real = reinterpret_cast<PVOID*>(stubs.at(64));
    BYTE* stub = stubs.Put(0, Hex("FF2500000000"));
    stubs.PutMemoryOperand(2, 6, real);
    const struct {
        const wchar_t* name;
        bool commit;
    } modules[] = {{L"user32.dll", true}, {L"gdi32.dll", true},    {L"kernel32.dll", true}, {L"uxtheme.dll", true},
                   {L"usp10.dll", true},  {L"comdlg32.dll", true}, {L"comctl32.dll", true}, {L"ntdll.dll", false}};
    for (const auto& module : modules) {
        HMODULE loaded = LoadLibraryW(module.name);
        ASSERT_NE(nullptr, loaded) << module.name;
        int exports = 0, refused = 0;
        std::map<std::string, std::string> reasons;  // rule -> exports
        for (const Export& entry : CodeExportsOf(loaded)) {
            ++exports;
            *real = entry.address;
            ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
            InterceptUpdateThread(GetCurrentThread());
            if (InterceptAttach(real, stub) != NO_ERROR) {
                InterceptTransactionAbort();
                ++refused;
                const std::vector<INTERCEPT_REFUSAL> refusal = Refusals();
                ASSERT_EQ(1u, refusal.size());
                reasons[refusal[0].szRule] += " " + entry.name + "[" + refusal[0].szInstruction + "]";
                EXPECT_EQ(entry.address, *real);
                continue;
            }
            INTERCEPT_TRAMPOLINE_INFO info = {};
            EXPECT_TRUE(InterceptDescribeTrampoline(real, &info));
            EXPECT_EQ("", CheckTrampoline(info)) << entry.name << " of " << module.name;
            if (!module.commit) {
                InterceptTransactionAbort();
                continue;
            }
            const auto* target = static_cast<const BYTE*>(info.pTarget);
            const std::vector<BYTE> before(target, target + info.cbStolen);
            EXPECT_EQ(NO_ERROR, InterceptTransactionCommit());
            EXPECT_EQ(info.pTrampoline, *real);
            EXPECT_EQ(0xE9, target[0]);
            EXPECT_EQ(NO_ERROR, DetachOne(real, stub));
            EXPECT_EQ(entry.address, *real);
            EXPECT_EQ(before, std::vector<BYTE>(target, target + info.cbStolen)) << entry.name << " not restored";
        }
        std::printf("%-13ls exports %5d  refused %4d\n", module.name, exports, refused);
        for (const auto& reason : reasons) std::printf("  %s:%s\n", reason.first.c_str(), reason.second.c_str());
        EXPECT_GT(exports, 0) << module.name;
        EXPECT_LT(refused * 100, exports) << module.name << ": 1% or more refused";
    }
    EXPECT_EQ(0u, InterceptTrampolineCount());
    cs_free(g_insn, 1);
    cs_close(&g_cs);
}
