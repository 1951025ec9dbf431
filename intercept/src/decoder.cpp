#include "decoder.h"

#include <cstdio>
#include <cstring>

#include "memory_access.h"

namespace intercept {
namespace {

#if defined(_WIN64)
constexpr cs_mode kDecodeMode = CS_MODE_64;
#else
constexpr cs_mode kDecodeMode = CS_MODE_32;
#endif

bool IsLegacyPrefix(BYTE b) {
    switch (b) {
    case 0xF0:
    case 0xF2:
    case 0xF3:
    case 0x2E:
    case 0x36:
    case 0x3E:
    case 0x26:
    case 0x64:
    case 0x65:
    case 0x66:
    case 0x67: return true;
    default: return false;
    }
}

// The register without its width: esi and rsi both give "si".
const char* RegisterFamily(csh handle, x86_reg reg) {
    const char* name = cs_reg_name(handle, reg);
    if (name == nullptr) return "";
    if (std::strlen(name) == 3 && (name[0] == 'e' || name[0] == 'r')) return name + 1;
    return name;
}

bool SameRegister(csh handle, x86_reg a, x86_reg b) {
    return a == b || std::strcmp(RegisterFamily(handle, a), RegisterFamily(handle, b)) == 0;
}

bool NoIndex(x86_reg index) { return index == X86_REG_INVALID || index == X86_REG_EIZ || index == X86_REG_RIZ; }

}  // namespace

Decoder::Decoder() {
    if (cs_open(CS_ARCH_X86, kDecodeMode, &handle_) != CS_ERR_OK) {
        handle_ = 0;
        return;
    }
    cs_option(handle_, CS_OPT_DETAIL, CS_OPT_ON);
    insn_ = cs_malloc(handle_);
}

Decoder::~Decoder() {
    if (insn_ != nullptr) cs_free(insn_, 1);
    if (handle_ != 0) cs_close(&handle_);
}

bool Decoder::Decode(const BYTE* bytes, size_t available, uintptr_t base, size_t offset, Instruction* out) {
    if (insn_ == nullptr || offset >= available) return false;
    const uint8_t* code = bytes + offset;
    size_t size = available - offset;
    uint64_t address = base + offset;
    if (!cs_disasm_iter(handle_, &code, &size, &address, insn_)) return false;
    Instruction in;
    in.offset = offset;
    in.size = insn_->size;
    Classify(bytes + offset, base + offset, &in);
    in.padding = IsPaddingForm();
    std::snprintf(in.text, sizeof(in.text), "%s%s%s", insn_->mnemonic, insn_->op_str[0] != '\0' ? " " : "",
                  insn_->op_str);
    *out = in;
    return true;
}

void Decoder::Classify(const BYTE* raw, uintptr_t address, Instruction* in) const {
    size_t at = 0;
    bool operandSize = false;
    while (at < in->size && IsLegacyPrefix(raw[at])) {
        operandSize = operandSize || raw[at] == 0x66;
        ++at;
    }
#if defined(_WIN64)
    if (at < in->size && (raw[at] & 0xF0) == 0x40) ++at;  // REX
#endif
    const BYTE op = at < in->size ? raw[at] : 0;
    const BYTE op2 = at + 1 < in->size ? raw[at + 1] : 0;
    const uintptr_t next = address + in->size;
    auto rel8 = [&]() { return next + static_cast<intptr_t>(static_cast<int8_t>(raw[in->size - 1])); };
    auto rel32 = [&]() { return next + static_cast<intptr_t>(ReadInt32(raw + in->size - 4)); };

    // A memory operand relative to the instruction pointer needs its fix-up
    // whatever the instruction is (mov, lea, jmp or call through memory...).
    // Its displacement is always 32 bits and follows the ModR/M byte (no SIB
    // with RIP), whatever size capstone reports for it.
    const cs_x86& x86 = insn_->detail->x86;
    for (uint8_t i = 0; i < x86.op_count; ++i) {
        if (x86.operands[i].type != X86_OP_MEM || x86.operands[i].mem.base != X86_REG_RIP) continue;
        size_t disp = 0;
        const size_t modrm = x86.encoding.modrm_offset;
        if (modrm != 0 && modrm < in->size && (raw[modrm] & 0xC7) == 0x05) {
            disp = modrm + 1;
        } else {
            disp = x86.encoding.disp_offset;
        }
        in->ripRelative = true;
        if (disp == 0 || disp + 4 > in->size) {
            in->kind = Kind::Unsupported;
            return;
        }
        in->dispOffset = disp;
        in->memoryAddress = next + static_cast<intptr_t>(ReadInt32(raw + disp));
    }

    if (op == 0xE8) {
        in->kind = Kind::CallRel;
        in->dest = rel32();
    } else if (op == 0xE9 || op == 0xEB) {
        in->kind = Kind::JmpRel;
        in->ends = true;
        in->dest = op == 0xEB ? rel8() : rel32();
    } else if (op >= 0x70 && op <= 0x7F) {
        in->kind = Kind::JccRel;
        in->condition = op & 0x0F;
        in->dest = rel8();
    } else if (op == 0x0F && op2 >= 0x80 && op2 <= 0x8F) {
        in->kind = Kind::JccRel;
        in->condition = op2 & 0x0F;
        in->dest = rel32();
    } else if (op >= 0xE0 && op <= 0xE3) {  // loopne, loope, loop, jecxz
        in->kind = Kind::Unsupported;
        in->dest = rel8();
    } else if (cs_insn_group(handle_, insn_, CS_GRP_BRANCH_RELATIVE)) {
        in->kind = Kind::Unsupported;  // xbegin and the like
    } else if (cs_insn_group(handle_, insn_, CS_GRP_RET) || cs_insn_group(handle_, insn_, CS_GRP_IRET)) {
        in->ends = true;
    } else if (insn_->id == X86_INS_JMP || insn_->id == X86_INS_LJMP) {
        in->ends = true;  // through a register or memory, or far: no relative destination
    }
    // A 16-bit operand size truncates the instruction pointer of a branch.
    if (in->kind != Kind::Plain && operandSize) in->kind = Kind::Unsupported;
}

// The forms compilers and linkers fill the space between functions with:
// int3, nop in all its lengths (90, 66 90, 0F 1F /0 with any prefixes), and
// the no-operation lea/mov forms of older 32-bit code (8D 76 00,
// 8D 74 26 00, 8D B4 26 00 00 00 00, 89 F6...).
bool Decoder::IsPaddingForm() const {
    switch (insn_->id) {
    case X86_INS_INT3:
    case X86_INS_NOP: return true;
    default: break;
    }
    const cs_x86& x86 = insn_->detail->x86;
    if (x86.op_count != 2 || x86.operands[0].type != X86_OP_REG) return false;
    const cs_x86_op& source = x86.operands[1];
    if (insn_->id == X86_INS_LEA) {
        return source.type == X86_OP_MEM && source.mem.disp == 0 && NoIndex(source.mem.index) &&
               SameRegister(handle_, x86.operands[0].reg, source.mem.base);
    }
    if (insn_->id == X86_INS_MOV || insn_->id == X86_INS_XCHG) {
        return source.type == X86_OP_REG && x86.operands[0].reg == source.reg;
    }
    return false;
}

bool Decoder::IsReturnAddressThunk(uintptr_t address) {
    if (insn_ == nullptr) return false;
    BYTE bytes[32];
    const size_t available = ReadableLength(reinterpret_cast<const void*>(address), sizeof(bytes));
    if (available == 0) return false;
    std::memcpy(bytes, reinterpret_cast<const void*>(address), available);
    const uint8_t* code = bytes;
    size_t size = available;
    uint64_t at = address;
    if (!cs_disasm_iter(handle_, &code, &size, &at, insn_) || insn_->id != X86_INS_MOV) return false;
    const cs_x86& x86 = insn_->detail->x86;
    if (x86.op_count != 2 || x86.operands[0].type != X86_OP_REG || x86.operands[1].type != X86_OP_MEM) return false;
    const x86_op_mem& mem = x86.operands[1].mem;
    if ((mem.base != X86_REG_ESP && mem.base != X86_REG_RSP) || !NoIndex(mem.index) || mem.disp != 0) return false;
    return cs_disasm_iter(handle_, &code, &size, &at, insn_) && insn_->id == X86_INS_RET &&
           insn_->detail->x86.op_count == 0;
}

}  // namespace intercept
