// Every export of the system modules the product intercepts from, and of
// comctl32 and ntdll: the trampoline is built and checked instruction by
// instruction against the code it copies — every copied instruction keeps
// its absolute branch destination and memory operand address, branches
// between copied instructions land on the copies, and the jump back lands
// right after the copied bytes. Outside ntdll each export is then also
// attached, committed and detached, and its bytes must come back unchanged.
// Refusals are printed grouped by reason and must stay below 1% of the
// exports of every module.
//
// The replacement handed to each attach is a pass-through stub that jumps
// through the real-entry variable (jmp [g_real], which changes no register),
// so a call that reaches a hooked export while it is hooked — from the engine
// itself (VirtualProtect, FlushInstructionCache), from the C runtime, or from
// Wine's own modules — runs the original code through the trampoline.
#include <gtest/gtest.h>

#include <capstone/capstone.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "intercept_test_support.h"

using namespace intercept_test;

namespace {

#if defined(_WIN64)
constexpr cs_mode kMode = CS_MODE_64;
#else
constexpr cs_mode kMode = CS_MODE_32;
#endif

struct Export {
    PVOID address;
    std::string name;  // "#ordinal" for exports without a name
};

// The exports of module, by ordinal, forwarded ones resolved.
std::vector<Export> ExportsOf(HMODULE module) {
    std::vector<Export> exports;
    const auto* base = reinterpret_cast<const BYTE*>(module);
    const auto* nt =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (dir.VirtualAddress == 0) return exports;
    const auto* table = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
    const auto* functions = reinterpret_cast<const DWORD*>(base + table->AddressOfFunctions);
    const auto* names = reinterpret_cast<const DWORD*>(base + table->AddressOfNames);
    const auto* nameOrdinals = reinterpret_cast<const WORD*>(base + table->AddressOfNameOrdinals);
    for (DWORD i = 0; i < table->NumberOfFunctions; ++i) {
        if (functions[i] == 0) continue;
        const WORD ordinal = static_cast<WORD>(table->Base + i);
        FARPROC address = GetProcAddress(module, reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(ordinal)));
        if (address == nullptr) continue;
        std::string name = "#" + std::to_string(ordinal);
        for (DWORD n = 0; n < table->NumberOfNames; ++n) {
            if (nameOrdinals[n] == i) name = reinterpret_cast<const char*>(base + names[n]);
        }
        exports.push_back({reinterpret_cast<PVOID>(address), name});
    }
    return exports;
}

// Exports in memory that is not executable are data, not functions.
bool IsCode(const void* address) {
    MEMORY_BASIC_INFORMATION info;
    return VirtualQuery(address, &info, sizeof(info)) == sizeof(info) && info.State == MEM_COMMIT &&
           (info.Protect & (PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY)) != 0;
}

struct Decoded {
    size_t size = 0;
    unsigned id = 0;
    bool branch = false;  // relative branch: dest is its destination
    bool conditional = false;
    bool call = false;
    bool ends = false;
    uint64_t dest = 0;
    bool memory = false;  // memory operand relative to the instruction pointer
    uint64_t address = 0;
};

class Disassembler {
public:
    Disassembler() {
        if (cs_open(CS_ARCH_X86, kMode, &handle_) != CS_ERR_OK) return;
        cs_option(handle_, CS_OPT_DETAIL, CS_OPT_ON);
        insn_ = cs_malloc(handle_);
    }
    ~Disassembler() {
        if (insn_ != nullptr) cs_free(insn_, 1);
        if (handle_ != 0) cs_close(&handle_);
    }
    bool ok() const { return insn_ != nullptr; }

    bool Decode(const BYTE* at, Decoded* out) {
        const uint8_t* code = at;
        size_t size = 16;
        uint64_t address = reinterpret_cast<uintptr_t>(at);
        if (!cs_disasm_iter(handle_, &code, &size, &address, insn_)) return false;
        Decoded d;
        d.size = insn_->size;
        d.id = insn_->id;
        const cs_x86& x86 = insn_->detail->x86;
        const bool jump = cs_insn_group(handle_, insn_, CS_GRP_JUMP);
        d.call = cs_insn_group(handle_, insn_, CS_GRP_CALL);
        if ((jump || d.call) && x86.op_count == 1 && x86.operands[0].type == X86_OP_IMM) {
            d.branch = true;
            d.dest = static_cast<uint64_t>(x86.operands[0].imm);
            d.conditional = jump && insn_->id != X86_INS_JMP;
        }
        d.ends = cs_insn_group(handle_, insn_, CS_GRP_RET) || insn_->id == X86_INS_JMP;
        for (uint8_t i = 0; i < x86.op_count; ++i) {
            if (x86.operands[i].type == X86_OP_MEM && x86.operands[i].mem.base == X86_REG_RIP) {
                d.memory = true;
                d.address = reinterpret_cast<uintptr_t>(at) + insn_->size + x86.operands[i].mem.disp;
            }
        }
        *out = d;
        return true;
    }

private:
    csh handle_ = 0;
    cs_insn* insn_ = nullptr;
};

uint64_t Literal(const BYTE* at) {
    uint64_t value = 0;
    std::memcpy(&value, at, sizeof(value));
    return value;
}

// Checks the trampoline described by info against its target; empty when
// it is right, else what is wrong.
std::string CheckTrampoline(Disassembler& dis, const INTERCEPT_TRAMPOLINE_INFO& info) {
    const auto* target = static_cast<const BYTE*>(info.pTarget);
    const auto* code = static_cast<const BYTE*>(info.pTrampoline);
    const auto targetAt = reinterpret_cast<uintptr_t>(target);
    std::map<size_t, size_t> copyOf;                   // target offset -> trampoline offset
    std::vector<std::pair<uint64_t, uint64_t>> inner;  // trampoline branch dest, original dest
    size_t o = 0;
    size_t t = 0;
    bool ended = false;
    char problem[160];
    while (o < info.cbCopied) {
        Decoded a;
        Decoded b;
        if (!dis.Decode(target + o, &a)) return "undecodable original at +" + std::to_string(o);
        if (!dis.Decode(code + t, &b)) return "undecodable copy at +" + std::to_string(t);
        copyOf[o] = t;
        if (a.branch) {
            const bool internal = a.dest - targetAt < info.cbStolen;
            if (b.branch && b.conditional && a.conditional && b.dest == reinterpret_cast<uintptr_t>(code + t + 16)) {
                // Absolute form of a jcc: the inverted jcc skips jmp [rip+0] / address.
                if (code[t + 2] != 0xFF || code[t + 3] != 0x25 || Literal(code + t + 8) != a.dest)
                    return "bad absolute jcc";
                t += 16;
            } else if (b.branch) {
                if (b.call != a.call || b.conditional != a.conditional) return "branch kind changed";
                if (internal) {
                    inner.emplace_back(b.dest, a.dest);
                } else if (b.dest != a.dest) {
                    std::snprintf(problem, sizeof(problem), "branch at +%zu goes to %llx instead of %llx", o,
                                  static_cast<unsigned long long>(b.dest), static_cast<unsigned long long>(a.dest));
                    return problem;
                }
                t += b.size;
            } else if (a.call) {  // call [rip+2] / jmp +8 / address
                if (code[t] != 0xFF || code[t + 1] != 0x15 || Literal(code + t + 8) != a.dest)
                    return "bad absolute call";
                t += 16;
            } else {  // jmp [rip+0] / address
                if (code[t] != 0xFF || code[t + 1] != 0x25 || Literal(code + t + 6) != a.dest)
                    return "bad absolute jmp";
                t += 14;
            }
        } else if (a.memory) {
            if (b.id != a.id || b.size != a.size || !b.memory || b.address != a.address) {
                std::snprintf(problem, sizeof(problem), "memory operand at +%zu names %llx instead of %llx", o,
                              static_cast<unsigned long long>(b.address), static_cast<unsigned long long>(a.address));
                return problem;
            }
            t += b.size;
        } else {
            if (std::memcmp(target + o, code + t, a.size) != 0) return "copy differs at +" + std::to_string(o);
            t += a.size;
        }
        o += a.size;
        ended = a.ends;
    }
    for (const auto& branch : inner) {
        const auto it = copyOf.find(static_cast<size_t>(branch.second - targetAt));
        if (it == copyOf.end() || branch.first != reinterpret_cast<uintptr_t>(code + it->second)) {
            return "branch between copied instructions misses its copy";
        }
    }
    if (o != info.cbCopied) return "copied instructions overrun the copied bytes";
    if (ended) return t == info.cbCode ? "" : "code after the last copied instruction";
    Decoded back;
    if (!dis.Decode(code + t, &back)) return "no jump back";
    const uint64_t resume = targetAt + info.cbCopied;
    if (back.branch && back.id == X86_INS_JMP && back.dest == resume && t + back.size == info.cbCode) return "";
    if (code[t] == 0xFF && code[t + 1] == 0x25 && Literal(code + t + 6) == resume && t + 14 == info.cbCode) return "";
    return "the jump back does not land right after the copied bytes";
}

struct Counts {
    int data = 0;  // exports that are no code
    int exports = 0;
    int built = 0;
    int refused = 0;
    std::map<std::string, std::string> reasons;  // rule -> names
    std::map<std::string, int> perReason;
};

Counts Sweep(const wchar_t* name, PVOID* real, PVOID stub, bool commit, Disassembler& dis) {
    Counts counts;
    HMODULE module = LoadLibraryW(name);
    if (module == nullptr) {
        ADD_FAILURE() << "cannot load " << name;
        return counts;
    }
    for (const Export& entry : ExportsOf(module)) {
        if (!IsCode(entry.address)) {
            ++counts.data;
            continue;
        }
        ++counts.exports;
        *real = entry.address;
        EXPECT_EQ(NO_ERROR, InterceptTransactionBegin());
        InterceptUpdateThread(GetCurrentThread());
        const LONG attached = InterceptAttach(real, stub);
        if (attached != NO_ERROR) {
            InterceptTransactionAbort();
            ++counts.refused;
            const std::vector<INTERCEPT_REFUSAL> refusals = Refusals();
            const std::string rule = refusals.empty() ? "(no record)" : refusals[0].szRule;
            ++counts.perReason[rule];
            counts.reasons[rule] +=
                " " + entry.name + (refusals.empty() ? "" : std::string("[") + refusals[0].szInstruction + "]");
            EXPECT_EQ(entry.address, *real);
            continue;
        }
        ++counts.built;
        INTERCEPT_TRAMPOLINE_INFO info = {};
        EXPECT_TRUE(InterceptDescribeTrampoline(real, &info));
        const std::string problem = CheckTrampoline(dis, info);
        EXPECT_EQ("", problem) << entry.name << " of " << name;
        if (!commit) {
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
        EXPECT_EQ(before, std::vector<BYTE>(target, target + info.cbStolen))
            << entry.name << " of " << name << " not restored";
    }
    return counts;
}

}  // namespace

TEST(Sweep, EveryExportOfTheInterceptedModules) {
    Disassembler dis;
    ASSERT_TRUE(dis.ok());
    // The variable and the stub side by side, so that the stub's jmp [variable]
    // reaches it on x64 too.
    CodeBuffer stubs;
    auto* real = reinterpret_cast<PVOID*>(stubs.at(64));
    BYTE* stub = stubs.Put(0, {0xFF, 0x25, 0, 0, 0, 0});
    stubs.PutMemoryOperand(2, 6, real);

    struct Module {
        const wchar_t* name;
        bool commit;
    } modules[] = {{L"user32.dll", true}, {L"gdi32.dll", true},    {L"kernel32.dll", true}, {L"uxtheme.dll", true},
                   {L"usp10.dll", true},  {L"comdlg32.dll", true}, {L"comctl32.dll", true}, {L"ntdll.dll", false}};
    int exports = 0;
    int built = 0;
    for (const Module& module : modules) {
        const Counts counts = Sweep(module.name, real, stub, module.commit, dis);
        std::printf("%-13ls exports %5d  built %5d  refused %4d  (data exports %d)\n", module.name, counts.exports,
                    counts.built, counts.refused, counts.data);
        for (const auto& reason : counts.reasons) {
            std::printf("  %d x %s:%s\n", counts.perReason.at(reason.first), reason.first.c_str(),
                        reason.second.c_str());
        }
        std::fflush(stdout);
        EXPECT_GT(counts.exports, 0) << module.name;
        EXPECT_LT(counts.refused * 100, counts.exports) << module.name << ": 1% or more refused";
        exports += counts.exports;
        built += counts.built;
    }
    std::printf("all           exports %5d  built %5d  refused %4d\n", exports, built, exports - built);
    EXPECT_EQ(0u, InterceptTrampolineCount());
}
