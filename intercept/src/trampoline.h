// Trampolines: the first instructions of an intercepted function, decoded
// whole with capstone, copied (relocated where they are position dependent)
// into a pool slot and followed by a jump back to the rest of the function.
// The entry of the function then receives a jump to the replacement.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "exec_pool.h"
#include "refusals.h"

namespace intercept {

// The patch written at an entry: jmp rel32.
constexpr size_t kEntryJumpSize = 5;
// At most this many bytes of a function are taken over (five bytes reached
// by the longest instructions, plus the padding allowance).
constexpr size_t kMaxStolenBytes = 32;
constexpr size_t kMaxInstructions = kMaxStolenBytes;

// Layout of a pool slot: trampoline code first; on x64 the last 16 bytes
// hold an absolute jump to the replacement for entries it is too far from.
constexpr size_t kSlotRelayOffset = ExecPool::kSlotSize - 16;
constexpr size_t kSlotCodeCapacity = kSlotRelayOffset;
constexpr size_t kRelaySize = 14;  // jmp qword ptr [rip+0], then the address

// Everything an attach takes over from its target and a detach gives back.
struct Trampoline {
    BYTE* target = nullptr;  // the patched code
    BYTE* code = nullptr;    // the trampoline, at the start of its pool slot
    size_t stolenSize = 0;   // bytes of the target the patch covers
    size_t copiedSize = 0;   // of those, bytes of whole instructions copied
    size_t codeSize = 0;     // bytes of trampoline code, jump back included
    BYTE original[kMaxStolenBytes] = {};
    // Where each copied instruction starts in the target and in the trampoline.
    size_t copiedCount = 0;
    BYTE targetOffset[kMaxInstructions] = {};
    BYTE codeOffset[kMaxInstructions] = {};
    // Every place in the trampoline code a thread may stop at, and where it
    // goes on once the trampoline is detached: copied instructions continue at
    // their originals, the jump back and the inner steps of absolute branch
    // forms at the address they were about to reach.
    size_t stopCount = 0;
    BYTE stopOffset[2 * kMaxInstructions + 1] = {};
    uintptr_t stopResume[2 * kMaxInstructions + 1] = {};
};

// Builds the trampoline of target into slot (a writable pool slot). bytes
// holds the code at target as it will stand when the operations queued
// before this one are applied, available bytes of it. NO_ERROR, or (with
// reason filled in):
//   ERROR_INVALID_ADDRESS  nothing readable at target;
//   ERROR_INVALID_BLOCK    the function ends before the entry jump fits and
//                          what follows is not padding;
//   ERROR_INVALID_DATA     undecodable code, or a branch into the bytes the
//                          entry jump would overwrite;
//   ERROR_NOT_SUPPORTED    an instruction that cannot be relocated (loop,
//                          jecxz, 16-bit branches, a call that reads its own
//                          return address, an x64 memory operand out of the
//                          trampoline's reach);
//   ERROR_NOT_ENOUGH_MEMORY  the decoder could not be started.
LONG BuildTrampoline(BYTE* target, const BYTE* bytes, size_t available, BYTE* slot, Trampoline* out, Reason* reason);

// Writes the entry jump to detour over the stolen bytes (the caller has made
// them writable); the rest of the stolen bytes becomes int3, written after
// the jump.
void WriteEntryJump(const Trampoline& trampoline, const void* detour);

// Puts the stolen bytes back, the five bytes of the entry jump last.
void RestoreEntry(const Trampoline& trampoline);

// True when the five bytes of the entry jump go in and come out with one
// atomic store (code_store.h): a thread that calls the function meanwhile
// runs either the whole jump or the whole original instruction.
bool EntryStoredAtomically(const Trampoline& trampoline);

// Where a thread stopped at ip inside the stolen bytes continues in the
// trampoline; false when ip is not at a copied instruction.
bool TrampolineAddressFor(const Trampoline& trampoline, uintptr_t ip, uintptr_t* moved);

// Where a thread stopped at ip inside the trampoline's slot (its code or the
// relay to detour) continues once the trampoline is detached; false when ip
// is elsewhere.
bool TargetAddressFor(const Trampoline& trampoline, const void* detour, uintptr_t ip, uintptr_t* moved);

}  // namespace intercept
