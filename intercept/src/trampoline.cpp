#include "trampoline.h"

#include <capstone/capstone.h>

#include <cstring>

#include "memory_access.h"

namespace intercept {
namespace {

#if defined(_WIN64)
constexpr cs_mode kDecodeMode = CS_MODE_64;
#else
constexpr cs_mode kDecodeMode = CS_MODE_32;
#endif

// Bytes after the stolen ones examined for branches back into them.
constexpr size_t kScanWindow = 512;
// Entry jumps followed at most (a cycle of jumps ends the walk).
constexpr int kMaxEntryJumps = 16;

constexpr BYTE kJmpRel32 = 0xE9;
constexpr BYTE kCallRel32 = 0xE8;

enum class Kind {
  Plain,        // copied as it is
  CallRel,      // call rel32
  JmpRel,       // jmp rel8 / rel32
  JccRel,       // jcc rel8 / rel32
  RipRelative,  // x64 memory operand relative to the instruction pointer
  Unsupported,  // a relative branch this engine does not rewrite
};

struct Instruction {
  size_t offset = 0;      // from the start of the target
  size_t size = 0;
  Kind kind = Kind::Plain;
  bool relative = false;  // has a branch destination (dest)
  bool ends = false;      // control never falls through (ret, jmp)
  bool shortForm = false; // rel8 encoding
  BYTE condition = 0;     // jcc condition, low nibble of the opcode
  uintptr_t dest = 0;
  size_t dispOffset = 0;  // RipRelative: where the displacement sits
  uintptr_t absolute = 0; // RipRelative: the address the operand names
};

int32_t ReadInt32(const BYTE* p) {
  int32_t value;
  std::memcpy(&value, p, sizeof(value));
  return value;
}

void WriteInt32(BYTE* p, int32_t value) { std::memcpy(p, &value, sizeof(value)); }

// Displacement of a rel32 branch placed at from (its first byte) with the
// given length, to dest. Wraps on x86; the caller checks reachability on x64.
int32_t Rel32(const BYTE* from, size_t length, uintptr_t dest) {
  return static_cast<int32_t>(dest - (reinterpret_cast<uintptr_t>(from) + length));
}

bool IsPadding(BYTE b) { return b == 0xCC || b == 0x90; }

bool IsLegacyPrefix(BYTE b) {
  switch (b) {
    case 0xF0: case 0xF2: case 0xF3:
    case 0x2E: case 0x36: case 0x3E: case 0x26: case 0x64: case 0x65:
    case 0x66: case 0x67:
      return true;
    default:
      return false;
  }
}

// Owns a capstone handle in detail mode and one instruction buffer.
class Decoder {
 public:
  Decoder() {
    if (cs_open(CS_ARCH_X86, kDecodeMode, &handle_) != CS_ERR_OK) {
      handle_ = 0;
      return;
    }
    cs_option(handle_, CS_OPT_DETAIL, CS_OPT_ON);
    insn_ = cs_malloc(handle_);
  }
  ~Decoder() {
    if (insn_ != nullptr) cs_free(insn_, 1);
    if (handle_ != 0) cs_close(&handle_);
  }
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;

  bool ok() const { return insn_ != nullptr; }

  // Decodes the instruction at bytes[offset], which sits at base + offset in
  // the process.
  bool Decode(const BYTE* bytes, size_t available, uintptr_t base, size_t offset, Instruction* out) {
    if (offset >= available) return false;
    const uint8_t* code = bytes + offset;
    size_t size = available - offset;
    uint64_t address = base + offset;
    if (!cs_disasm_iter(handle_, &code, &size, &address, insn_)) return false;
    Instruction in;
    in.offset = offset;
    in.size = insn_->size;
    Classify(bytes + offset, base + offset, &in);
    *out = in;
    return true;
  }

 private:
  void Classify(const BYTE* raw, uintptr_t address, Instruction* in) const {
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

    if (op == kCallRel32) {
      in->kind = Kind::CallRel;
      in->relative = true;
      in->dest = rel32();
    } else if (op == kJmpRel32 || op == 0xEB) {
      in->kind = Kind::JmpRel;
      in->relative = true;
      in->ends = true;
      in->shortForm = op == 0xEB;
      in->dest = in->shortForm ? rel8() : rel32();
    } else if (op >= 0x70 && op <= 0x7F) {
      in->kind = Kind::JccRel;
      in->relative = true;
      in->shortForm = true;
      in->condition = op & 0x0F;
      in->dest = rel8();
    } else if (op == 0x0F && op2 >= 0x80 && op2 <= 0x8F) {
      in->kind = Kind::JccRel;
      in->relative = true;
      in->condition = op2 & 0x0F;
      in->dest = rel32();
    } else if (op >= 0xE0 && op <= 0xE3) {  // loopne, loope, loop, jecxz
      in->kind = Kind::Unsupported;
      in->relative = true;
      in->dest = rel8();
    } else if (cs_insn_group(handle_, insn_, CS_GRP_BRANCH_RELATIVE)) {
      in->kind = Kind::Unsupported;  // xbegin and the like
    } else if (cs_insn_group(handle_, insn_, CS_GRP_RET) || cs_insn_group(handle_, insn_, CS_GRP_IRET)) {
      in->ends = true;
    } else if (insn_->id == X86_INS_JMP || insn_->id == X86_INS_LJMP) {
      in->ends = true;  // indirect or far jump: absolute, copied as it is
    } else {
      const cs_x86& x86 = insn_->detail->x86;
      for (uint8_t i = 0; i < x86.op_count; ++i) {
        if (x86.operands[i].type == X86_OP_MEM && x86.operands[i].mem.base == X86_REG_RIP) {
          in->kind = x86.encoding.disp_offset != 0 && x86.encoding.disp_size == 4 ? Kind::RipRelative
                                                                                   : Kind::Unsupported;
          in->dispOffset = x86.encoding.disp_offset;
          in->absolute = next + static_cast<intptr_t>(x86.operands[i].mem.disp);
        }
      }
    }
    // A 16-bit operand size truncates the instruction pointer of a branch.
    if (in->relative && operandSize) in->kind = Kind::Unsupported;
  }

  csh handle_ = 0;
  cs_insn* insn_ = nullptr;
};

size_t EmittedSize(const Instruction& in) {
  switch (in.kind) {
    case Kind::CallRel:
      return 5;
    case Kind::JmpRel:
      return 5;
    case Kind::JccRel:
      return 6;
    default:
      return in.size;
  }
}

// Looks further into the function for relative branches that land inside the
// stolen bytes (other than on the entry itself): once the entry jump is
// written, such a branch would land in the middle of it. The scan runs until
// an instruction that ends the function beyond every forward branch seen, or
// to the end of the readable window.
LONG CheckBranchesIntoStolenBytes(Decoder& decoder, const BYTE* bytes, size_t available, uintptr_t base,
                                  const Instruction* copied, size_t count, size_t copiedSize,
                                  size_t stolenSize, bool ended) {
  size_t farthest = copiedSize;
  for (size_t i = 0; i < count; ++i) {
    const Instruction& in = copied[i];
    if (in.kind != Kind::JmpRel && in.kind != Kind::JccRel) continue;
    const uintptr_t offset = in.dest - base;
    if (offset > farthest && offset < available) farthest = offset;
  }
  if (ended && farthest == copiedSize) return NO_ERROR;  // nothing of the function follows
  size_t at = copiedSize;
  while (at < available) {
    Instruction in;
    if (!decoder.Decode(bytes, available, base, at, &in)) break;
    if (in.relative) {
      const uintptr_t offset = in.dest - base;
      if (offset > 0 && offset < stolenSize) return ERROR_INVALID_DATA;
      if (in.kind != Kind::CallRel && offset > at && offset < available && offset > farthest) farthest = offset;
    }
    at += in.size;
    if (in.ends && at >= farthest) break;
  }
  return NO_ERROR;
}

}  // namespace

BYTE* FollowEntryJumps(BYTE* entry) {
  BYTE* code = entry;
  for (int hop = 0; hop < kMaxEntryJumps; ++hop) {
    const size_t readable = ReadableLength(code, 7);
    BYTE* next = nullptr;
    if (readable >= 5 && code[0] == kJmpRel32) {
      next = code + 5 + ReadInt32(code + 1);
    } else {
      size_t at = 0;
#if defined(_WIN64)
      if (readable >= 1 && (code[0] & 0xF0) == 0x40) at = 1;  // REX.W jmp [rip+disp32]
#endif
      if (readable >= at + 6 && code[at] == 0xFF && code[at + 1] == 0x25) {
#if defined(_WIN64)
        BYTE* const* slot = reinterpret_cast<BYTE* const*>(code + at + 6 + ReadInt32(code + at + 2));
#else
        BYTE* const* slot = reinterpret_cast<BYTE* const*>(static_cast<uintptr_t>(ReadInt32(code + at + 2)));
#endif
        if (ReadableLength(slot, sizeof(*slot)) == sizeof(*slot)) next = *slot;
      }
    }
    if (next == nullptr || !IsExecutableCode(next)) break;
    code = next;
  }
  return code;
}

LONG BuildTrampoline(BYTE* target, BYTE* slot, Trampoline* out) {
  if (target == nullptr || slot == nullptr || out == nullptr) return ERROR_INVALID_PARAMETER;
  BYTE bytes[kScanWindow];
  const size_t available = ReadableLength(target, sizeof(bytes));
  if (available == 0) return ERROR_INVALID_ADDRESS;
  std::memcpy(bytes, target, available);
  const auto base = reinterpret_cast<uintptr_t>(target);

  Decoder decoder;
  if (!decoder.ok()) return ERROR_INTERNAL_ERROR;

  // The whole instructions the entry jump overwrites.
  Instruction copied[kMaxInstructions];
  size_t count = 0;
  size_t copiedSize = 0;
  bool ended = false;
  while (copiedSize < kEntryJumpSize) {
    Instruction& in = copied[count];
    if (!decoder.Decode(bytes, available, base, copiedSize, &in)) {
      return available < kEntryJumpSize ? ERROR_INVALID_BLOCK : ERROR_INVALID_DATA;
    }
    if (in.kind == Kind::Unsupported) return ERROR_NOT_SUPPORTED;
    ++count;
    copiedSize += in.size;
    if (in.ends) {
      ended = true;
      break;
    }
  }
  size_t stolenSize = copiedSize;
  if (copiedSize < kEntryJumpSize) {
    // The function ends inside the first five bytes: the jump may only spill
    // over padding that nothing executes.
    for (size_t i = copiedSize; i < kEntryJumpSize; ++i) {
      if (i >= available || !IsPadding(bytes[i])) return ERROR_INVALID_BLOCK;
    }
    stolenSize = kEntryJumpSize;
  }

  LONG error = CheckBranchesIntoStolenBytes(decoder, bytes, available, base, copied, count, copiedSize,
                                            stolenSize, ended);
  if (error != NO_ERROR) return error;

  // Lay the copies out, then emit them with their destinations relocated.
  size_t codeOffset[kMaxInstructions + 1];
  size_t codeSize = 0;
  for (size_t i = 0; i < count; ++i) {
    codeOffset[i] = codeSize;
    codeSize += EmittedSize(copied[i]);
  }
  codeOffset[count] = codeSize;
  const size_t jumpBack = ended ? 0 : 5;
  if (codeSize + jumpBack > kSlotCodeCapacity) return ERROR_NOT_SUPPORTED;

  auto relocate = [&](uintptr_t dest, uintptr_t* moved) -> bool {
    const uintptr_t offset = dest - base;
    if (offset >= stolenSize) {
      *moved = dest;
      return true;
    }
    for (size_t i = 0; i < count; ++i) {  // a branch between copied instructions
      if (copied[i].offset == offset) {
        *moved = reinterpret_cast<uintptr_t>(slot + codeOffset[i]);
        return true;
      }
    }
    return false;
  };

  BYTE code[kSlotCodeCapacity];
  std::memset(code, 0xCC, sizeof(code));
  for (size_t i = 0; i < count; ++i) {
    const Instruction& in = copied[i];
    BYTE* at = code + codeOffset[i];
    BYTE* placed = slot + codeOffset[i];  // where the copy will run
    const size_t length = EmittedSize(in);
    if (!in.relative && in.kind != Kind::RipRelative) {
      std::memcpy(at, bytes + in.offset, in.size);
      continue;
    }
    if (in.kind == Kind::RipRelative) {
      if (!IsRel32Reachable(placed + length, reinterpret_cast<void*>(in.absolute))) return ERROR_NOT_SUPPORTED;
      std::memcpy(at, bytes + in.offset, in.size);
      WriteInt32(at + in.dispOffset, Rel32(placed, length, in.absolute));
      continue;
    }
    uintptr_t dest = 0;
    if (!relocate(in.dest, &dest)) return ERROR_INVALID_DATA;
    if (!IsRel32Reachable(placed + length, reinterpret_cast<void*>(dest))) return ERROR_NOT_SUPPORTED;
    if (in.kind == Kind::CallRel) {
      at[0] = kCallRel32;
    } else if (in.kind == Kind::JmpRel) {
      at[0] = kJmpRel32;
    } else {
      at[0] = 0x0F;
      at[1] = static_cast<BYTE>(0x80 | in.condition);
    }
    WriteInt32(at + length - 4, Rel32(placed, length, dest));
  }
  if (jumpBack != 0) {
    const uintptr_t resume = base + copiedSize;
    if (!IsRel32Reachable(slot + codeSize + jumpBack, reinterpret_cast<void*>(resume))) return ERROR_NOT_SUPPORTED;
    code[codeSize] = kJmpRel32;
    WriteInt32(code + codeSize + 1, Rel32(slot + codeSize, 5, resume));
  }

  std::memcpy(slot, code, sizeof(code));
  Trampoline result;
  result.target = target;
  result.code = slot;
  result.stolenSize = stolenSize;
  result.copiedSize = copiedSize;
  result.codeSize = codeSize + jumpBack;
  std::memcpy(result.original, bytes, stolenSize);
  for (size_t i = 0; i < count; ++i) {
    result.targetOffset[i] = static_cast<BYTE>(copied[i].offset);
    result.codeOffset[i] = static_cast<BYTE>(codeOffset[i]);
  }
  result.pointCount = count;
  if (jumpBack != 0) {
    result.targetOffset[count] = static_cast<BYTE>(copiedSize);
    result.codeOffset[count] = static_cast<BYTE>(codeSize);
    result.pointCount = count + 1;
  }
  *out = result;
  return NO_ERROR;
}

void WriteEntryJump(const Trampoline& trampoline, const void* detour) {
  BYTE* entry = trampoline.target;
  uintptr_t dest = reinterpret_cast<uintptr_t>(detour);
#if defined(_WIN64)
  if (!IsRel32Reachable(entry + kEntryJumpSize, detour)) {
    // jmp qword ptr [rip+0] followed by the replacement's address, in the
    // trampoline's slot, which lies within reach of the entry.
    BYTE* relay = trampoline.code + kSlotRelayOffset;
    const BYTE jump[6] = {0xFF, 0x25, 0, 0, 0, 0};
    std::memcpy(relay, jump, sizeof(jump));
    std::memcpy(relay + sizeof(jump), &dest, sizeof(dest));
    dest = reinterpret_cast<uintptr_t>(relay);
  }
#endif
  entry[0] = kJmpRel32;
  WriteInt32(entry + 1, Rel32(entry, kEntryJumpSize, dest));
  for (size_t i = kEntryJumpSize; i < trampoline.stolenSize; ++i) entry[i] = 0xCC;
}

void RestoreEntry(const Trampoline& trampoline) {
  std::memcpy(trampoline.target, trampoline.original, trampoline.stolenSize);
}

bool TrampolineAddressFor(const Trampoline& trampoline, uintptr_t ip, uintptr_t* moved) {
  const uintptr_t offset = ip - reinterpret_cast<uintptr_t>(trampoline.target);
  if (offset >= trampoline.stolenSize) return false;
  for (size_t i = 0; i < trampoline.pointCount; ++i) {
    if (trampoline.targetOffset[i] == offset) {
      *moved = reinterpret_cast<uintptr_t>(trampoline.code) + trampoline.codeOffset[i];
      return true;
    }
  }
  return false;
}

bool TargetAddressFor(const Trampoline& trampoline, uintptr_t ip, uintptr_t* moved) {
  const uintptr_t offset = ip - reinterpret_cast<uintptr_t>(trampoline.code);
  if (offset >= trampoline.codeSize) return false;
  for (size_t i = 0; i < trampoline.pointCount; ++i) {
    if (trampoline.codeOffset[i] == offset) {
      *moved = reinterpret_cast<uintptr_t>(trampoline.target) + trampoline.targetOffset[i];
      return true;
    }
  }
  return false;
}

}  // namespace intercept
