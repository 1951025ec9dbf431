#include "trampoline.h"

#include <cstring>

#include "code_store.h"
#include "decoder.h"
#include "memory_access.h"

namespace intercept {
namespace {

constexpr BYTE kJmpRel32 = 0xE9;
constexpr BYTE kCallRel32 = 0xE8;

// Sizes of the branch forms a trampoline uses: rel32 where the destination
// is within reach, else an absolute form with the 64-bit address inline —
// jmp qword ptr [rip+0]; call qword ptr [rip+2] / jmp over the address;
// the inverted jcc over an absolute jmp.
constexpr size_t kNearJmp = 5;
constexpr size_t kNearCall = 5;
constexpr size_t kNearJcc = 6;
constexpr size_t kFarJmp = 14;
constexpr size_t kFarCall = 16;
constexpr size_t kFarJcc = 16;

// Displacement of a rel32 branch placed at from (its first byte) with the
// given length, to dest. Wraps on x86; the caller checks reachability on x64.
int32_t Rel32(const BYTE* from, size_t length, uintptr_t dest) {
    return static_cast<int32_t>(dest - (reinterpret_cast<uintptr_t>(from) + length));
}

size_t EmittedSize(const Instruction& in, bool longForm) {
    switch (in.kind) {
    case Kind::CallRel: return longForm ? kFarCall : kNearCall;
    case Kind::JmpRel: return longForm ? kFarJmp : kNearJmp;
    case Kind::JccRel: return longForm ? kFarJcc : kNearJcc;
    default: return in.size;
    }
}

// at: where the bytes are assembled; dest: the absolute destination.
void EmitFarJump(BYTE* at, uintptr_t dest) {
    const BYTE jump[6] = {0xFF, 0x25, 0, 0, 0, 0};
    std::memcpy(at, jump, sizeof(jump));
    const uint64_t address = dest;
    std::memcpy(at + sizeof(jump), &address, sizeof(address));
}

// Looks further into the function for relative branches that land inside the
// stolen bytes (other than on the entry itself): once the entry jump is
// written, such a branch would land in the middle of it. The scan runs until
// an instruction that ends the function beyond every forward branch seen, or
// to the end of the readable window.
LONG CheckBranchesIntoStolenBytes(Decoder& decoder, const BYTE* bytes, size_t available, uintptr_t base,
                                  const Instruction* copied, size_t count, size_t copiedSize, size_t stolenSize,
                                  bool ended, Reason* reason) {
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
        if (in.kind != Kind::Plain) {
            const uintptr_t offset = in.dest - base;
            if (offset > 0 && offset < stolenSize) {
                return Refuse(reason, ERROR_INVALID_DATA, "a later branch lands inside the bytes the entry jump takes",
                              reinterpret_cast<const BYTE*>(base + in.offset), in.text);
            }
            if (in.kind != Kind::CallRel && offset > at && offset < available && offset > farthest) farthest = offset;
        }
        at += in.size;
        if (in.ends && at >= farthest) break;
    }
    return NO_ERROR;
}

const char* UnsupportedRule(const Instruction& in) {
    return in.ripRelative ? "memory operand relative to the instruction pointer "
                            "without a 32-bit displacement"
                          : "relative branch that cannot be relocated (loop, jecxz, "
                            "16-bit operand size, xbegin)";
}

// The whole instructions the entry jump overwrites, as decoded at the target.
struct Stolen {
    Instruction copied[kMaxInstructions];
    size_t count = 0;
    size_t copiedSize = 0;  // bytes of whole instructions
    size_t stolenSize = 0;  // bytes the entry jump covers (padding included)
    bool ended = false;     // the copied instructions end the function
};

// Where each copy goes in the trampoline and which branches take their
// absolute form; index count is the jump back.
struct Layout {
    bool longForm[kMaxInstructions + 1] = {};
    size_t codeOffset[kMaxInstructions + 1] = {};
    size_t codeSize = 0;
};

// Decodes the instructions the entry jump overwrites and refuses code that
// cannot be taken over: undecodable or unrelocatable instructions, calls that
// read their own address, a function too short for the jump, later branches
// into the stolen bytes.
LONG Decode(Decoder& decoder, BYTE* target, const BYTE* bytes, size_t available, Stolen* stolen, Reason* reason) {
    const auto base = reinterpret_cast<uintptr_t>(target);
    while (stolen->copiedSize < kEntryJumpSize) {
        Instruction& in = stolen->copied[stolen->count];
        if (!decoder.Decode(bytes, available, base, stolen->copiedSize, &in)) {
            return available < kEntryJumpSize
                       ? Refuse(reason, ERROR_INVALID_BLOCK, "fewer than five readable bytes",
                                target + stolen->copiedSize)
                       : Refuse(reason, ERROR_INVALID_DATA, "undecodable instruction", target + stolen->copiedSize);
        }
        const BYTE* at = target + in.offset;
        if (in.kind == Kind::Unsupported) return Refuse(reason, ERROR_NOT_SUPPORTED, UnsupportedRule(in), at, in.text);
        if (in.kind == Kind::CallRel) {
            // Position-independent code that reads its own address would find the
            // trampoline's instead.
            if (in.dest == base + in.offset + in.size) {
                return Refuse(reason, ERROR_NOT_SUPPORTED, "call to the next instruction reads its own address", at,
                              in.text);
            }
            if (decoder.IsReturnAddressThunk(in.dest)) {
                return Refuse(reason, ERROR_NOT_SUPPORTED, "call to a thunk that returns its own return address", at,
                              in.text);
            }
        }
        ++stolen->count;
        stolen->copiedSize += in.size;
        if (in.ends) {
            stolen->ended = true;
            break;
        }
    }
    stolen->stolenSize = stolen->copiedSize;
    if (stolen->copiedSize < kEntryJumpSize) {
        // The function ends inside the first five bytes: the jump may only spill
        // over padding that nothing executes.
        for (size_t at = stolen->copiedSize; at < kEntryJumpSize;) {
            Instruction pad;
            if (!decoder.Decode(bytes, available, base, at, &pad) || !pad.padding) {
                return Refuse(reason, ERROR_INVALID_BLOCK,
                              "the function ends before the entry jump fits and no padding follows", target + at,
                              at < available && pad.size != 0 ? pad.text : nullptr);
            }
            at += pad.size;
        }
        stolen->stolenSize = kEntryJumpSize;
    }
    return CheckBranchesIntoStolenBytes(decoder, bytes, available, base, stolen->copied, stolen->count,
                                        stolen->copiedSize, stolen->stolenSize, stolen->ended, reason);
}

// The jump from the end of the copies back to the rest of the function.
Instruction JumpBack(uintptr_t base, const Stolen& stolen) {
    Instruction jumpBack;
    jumpBack.kind = Kind::JmpRel;
    jumpBack.dest = base + stolen.copiedSize;
    return jumpBack;
}

// Lays the copies out in slot. A branch whose destination is out of rel32
// reach (only possible on x64) takes the absolute form; since that moves the
// copies after it, the layout is repeated until no branch changes form.
LONG LayOut(const Stolen& stolen, uintptr_t base, const BYTE* slot, Layout* layout, Reason* reason) {
    const size_t count = stolen.count;
    const Instruction jumpBack = JumpBack(base, stolen);
    for (size_t pass = 0; pass <= count + 1; ++pass) {
        size_t codeSize = 0;
        for (size_t i = 0; i < count; ++i) {
            layout->codeOffset[i] = codeSize;
            codeSize += EmittedSize(stolen.copied[i], layout->longForm[i]);
        }
        layout->codeOffset[count] = codeSize;
        bool changed = false;
        for (size_t i = 0; i <= count; ++i) {
            const Instruction& in = i < count ? stolen.copied[i] : jumpBack;
            if (i == count && stolen.ended) break;
            const bool inside = in.dest - base < stolen.stolenSize;
            if (in.kind == Kind::Plain || layout->longForm[i] || inside) continue;
            const BYTE* placed = slot + layout->codeOffset[i];
            if (!IsRel32Reachable(placed + EmittedSize(in, false), reinterpret_cast<const void*>(in.dest))) {
                layout->longForm[i] = true;
                changed = true;
            }
        }
        if (!changed) break;
    }
    layout->codeSize = layout->codeOffset[count] + (stolen.ended ? 0 : EmittedSize(jumpBack, layout->longForm[count]));
    if (layout->codeSize > kSlotCodeCapacity) {
        return Refuse(reason, ERROR_NOT_SUPPORTED, "the relocated instructions do not fit a trampoline",
                      reinterpret_cast<const BYTE*>(base));
    }
    return NO_ERROR;
}

// Writes the copies into slot as laid out: plain instructions as they are
// (instruction-pointer-relative operands re-aimed), relative branches between
// copies to their copies, all other branches to their old destinations, then
// the jump back; and records in out every place a thread may stop at.
LONG Emit(const Stolen& stolen, const Layout& layout, BYTE* target, const BYTE* bytes, BYTE* slot, Trampoline* out,
          Reason* reason) {
    const auto base = reinterpret_cast<uintptr_t>(target);
    const size_t count = stolen.count;
    const Instruction jumpBack = JumpBack(base, stolen);
    Trampoline result;
    auto stop = [&result](size_t offset, uintptr_t resumeAt) {
        result.stopOffset[result.stopCount] = static_cast<BYTE>(offset);
        result.stopResume[result.stopCount] = resumeAt;
        ++result.stopCount;
    };

    BYTE code[kSlotCodeCapacity];
    std::memset(code, 0xCC, sizeof(code));
    for (size_t i = 0; i <= count; ++i) {
        if (i == count && stolen.ended) break;
        const Instruction& in = i < count ? stolen.copied[i] : jumpBack;
        BYTE* at = code + layout.codeOffset[i];
        const BYTE* placed = slot + layout.codeOffset[i];  // where the copy will run
        stop(layout.codeOffset[i], i < count ? base + in.offset : jumpBack.dest);
        if (in.kind == Kind::Plain) {
            std::memcpy(at, bytes + in.offset, in.size);
            if (in.ripRelative) {
                if (!IsRel32Reachable(placed + in.size, reinterpret_cast<const void*>(in.memoryAddress))) {
                    return Refuse(reason, ERROR_NOT_SUPPORTED, "memory operand out of the trampoline's reach",
                                  target + in.offset, in.text);
                }
                WriteInt32(at + in.dispOffset, Rel32(placed, in.size, in.memoryAddress));
            }
            continue;
        }
        uintptr_t dest = in.dest;
        if (dest - base < stolen.stolenSize) {
            size_t j = 0;
            while (j < count && stolen.copied[j].offset != dest - base) ++j;
            if (j == count) {
                return Refuse(reason, ERROR_INVALID_DATA, "branch into the middle of a copied instruction",
                              target + in.offset, in.text);
            }
            dest = reinterpret_cast<uintptr_t>(slot + layout.codeOffset[j]);
        }
        if (!layout.longForm[i]) {
            const size_t length = EmittedSize(in, false);
            if (in.kind == Kind::JccRel) {
                at[0] = 0x0F;
                at[1] = static_cast<BYTE>(0x80 | in.condition);
            } else {
                at[0] = in.kind == Kind::CallRel ? kCallRel32 : kJmpRel32;
            }
            WriteInt32(at + length - 4, Rel32(placed, length, dest));
        } else if (in.kind == Kind::JmpRel) {
            EmitFarJump(at, dest);
        } else if (in.kind == Kind::CallRel) {
            // call qword ptr [rip+2] / jmp +8 / the address.
            const BYTE call[8] = {0xFF, 0x15, 0x02, 0, 0, 0, 0xEB, 0x08};
            std::memcpy(at, call, sizeof(call));
            const uint64_t address = dest;
            std::memcpy(at + sizeof(call), &address, sizeof(address));
            stop(layout.codeOffset[i] + 6, base + in.offset + in.size);  // back from the call
        } else {
            // The inverted condition skips the absolute jump.
            at[0] = static_cast<BYTE>(0x70 | (in.condition ^ 1));
            at[1] = static_cast<BYTE>(kFarJmp);
            EmitFarJump(at + 2, dest);
            stop(layout.codeOffset[i] + 2, dest);
        }
    }

    std::memcpy(slot, code, sizeof(code));
    result.target = target;
    result.code = slot;
    result.stolenSize = stolen.stolenSize;
    result.copiedSize = stolen.copiedSize;
    result.codeSize = layout.codeSize;
    std::memcpy(result.original, bytes, stolen.stolenSize);
    for (size_t i = 0; i < count; ++i) {
        result.targetOffset[i] = static_cast<BYTE>(stolen.copied[i].offset);
        result.codeOffset[i] = static_cast<BYTE>(layout.codeOffset[i]);
    }
    result.copiedCount = count;
    *out = result;
    return NO_ERROR;
}

}  // namespace

LONG BuildTrampoline(BYTE* target, const BYTE* bytes, size_t available, BYTE* slot, Trampoline* out, Reason* reason) {
    if (target == nullptr || bytes == nullptr || slot == nullptr || out == nullptr) return ERROR_INVALID_PARAMETER;
    if (available == 0) return Refuse(reason, ERROR_INVALID_ADDRESS, "the target cannot be read", target);
    Decoder decoder;
    if (!decoder.ok()) return Refuse(reason, ERROR_NOT_ENOUGH_MEMORY, "the decoder could not be started");
    Stolen stolen;
    LONG error = Decode(decoder, target, bytes, available, &stolen, reason);
    if (error != NO_ERROR) return error;
    Layout layout;
    error = LayOut(stolen, reinterpret_cast<uintptr_t>(target), slot, &layout, reason);
    if (error != NO_ERROR) return error;
    return Emit(stolen, layout, target, bytes, slot, out, reason);
}

void WriteEntryJump(const Trampoline& trampoline, const void* detour) {
    BYTE* entry = trampoline.target;
    uintptr_t dest = reinterpret_cast<uintptr_t>(detour);
    if (!IsRel32Reachable(entry + kEntryJumpSize, detour)) {
        // Through the relay in the trampoline's slot, which lies within reach of
        // the entry (x64 only).
        BYTE* relay = trampoline.code + kSlotRelayOffset;
        EmitFarJump(relay, dest);
        dest = reinterpret_cast<uintptr_t>(relay);
    }
    BYTE patch[kMaxStolenBytes];
    std::memset(patch, 0xCC, sizeof(patch));
    patch[0] = kJmpRel32;
    WriteInt32(patch + 1, Rel32(entry, kEntryJumpSize, dest));
    StoreCode(entry, patch, trampoline.stolenSize, kEntryJumpSize, TailOrder::AfterHead);
}

void RestoreEntry(const Trampoline& trampoline) {
    StoreCode(trampoline.target, trampoline.original, trampoline.stolenSize, kEntryJumpSize, TailOrder::BeforeHead);
}

bool EntryStoredAtomically(const Trampoline& trampoline) { return StoresAtomically(trampoline.target, kEntryJumpSize); }

bool TrampolineAddressFor(const Trampoline& trampoline, uintptr_t ip, uintptr_t* moved) {
    const uintptr_t offset = ip - reinterpret_cast<uintptr_t>(trampoline.target);
    if (offset >= trampoline.stolenSize) return false;
    for (size_t i = 0; i < trampoline.copiedCount; ++i) {
        if (trampoline.targetOffset[i] == offset) {
            *moved = reinterpret_cast<uintptr_t>(trampoline.code) + trampoline.codeOffset[i];
            return true;
        }
    }
    return false;
}

bool TargetAddressFor(const Trampoline& trampoline, const void* detour, uintptr_t ip, uintptr_t* moved) {
    const uintptr_t offset = ip - reinterpret_cast<uintptr_t>(trampoline.code);
    if (offset >= kSlotRelayOffset && offset < kSlotRelayOffset + kRelaySize) {
        *moved = reinterpret_cast<uintptr_t>(detour);  // the relay was about to jump there
        return true;
    }
    if (offset >= trampoline.codeSize) return false;
    for (size_t i = 0; i < trampoline.stopCount; ++i) {
        if (trampoline.stopOffset[i] == offset) {
            *moved = trampoline.stopResume[i];
            return true;
        }
    }
    return false;
}

}  // namespace intercept
