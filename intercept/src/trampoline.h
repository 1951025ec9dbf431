// Trampolines: the first instructions of an intercepted function, decoded
// whole with capstone, copied (relocated where they are position dependent)
// into a pool slot and followed by a jump back to the rest of the function.
// The entry of the function then receives a jump to the replacement.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace intercept {

// The patch written at an entry: jmp rel32.
constexpr size_t kEntryJumpSize = 5;
// At most this many bytes of a function are taken over (five bytes reached
// by the longest instructions, plus the padding allowance).
constexpr size_t kMaxStolenBytes = 32;
constexpr size_t kMaxInstructions = kMaxStolenBytes;

// Layout of a pool slot: trampoline code first; on x64 the last 16 bytes
// hold an absolute jump to the replacement for entries it is too far from.
constexpr size_t kSlotCodeCapacity = 48;
constexpr size_t kSlotRelayOffset = 48;

// Everything an attach takes over from its target and a detach gives back.
struct Trampoline {
  BYTE* target = nullptr;   // the patched code (after following entry jumps)
  BYTE* code = nullptr;     // the trampoline, at the start of its pool slot
  size_t stolenSize = 0;    // bytes of the target the patch covers
  size_t copiedSize = 0;    // of those, bytes of whole instructions copied
  size_t codeSize = 0;      // bytes of trampoline code, jump back included
  BYTE original[kMaxStolenBytes] = {};
  // Where each copied instruction starts in the target and in the trampoline;
  // when the trampoline ends in a jump back, a last pair maps the end of the
  // copied bytes to that jump.
  size_t pointCount = 0;
  BYTE targetOffset[kMaxInstructions + 1] = {};
  BYTE codeOffset[kMaxInstructions + 1] = {};
};

// The code that really runs when entry is called: import thunks
// (jmp dword ptr [address]) and jumps written at an entry by an earlier
// interception (jmp rel32) are followed to their destination.
BYTE* FollowEntryJumps(BYTE* entry);

// Decodes target and writes its trampoline into slot (a writable pool slot).
// NO_ERROR, or:
//   ERROR_INVALID_ADDRESS  target cannot be read;
//   ERROR_INVALID_BLOCK    the function ends before the entry jump fits and
//                          what follows is not padding;
//   ERROR_INVALID_DATA     undecodable code, or a branch into the bytes the
//                          entry jump would overwrite;
//   ERROR_NOT_SUPPORTED    an instruction that cannot be relocated
//                          (loop, jecxz, 16-bit branches, out-of-range x64
//                          displacements);
//   ERROR_INTERNAL_ERROR   the decoder could not be started.
LONG BuildTrampoline(BYTE* target, BYTE* slot, Trampoline* out);

// Writes the entry jump to detour over the stolen bytes (the caller has made
// them writable); the rest of the stolen bytes becomes int3.
void WriteEntryJump(const Trampoline& trampoline, const void* detour);

// Puts the stolen bytes back.
void RestoreEntry(const Trampoline& trampoline);

// Where a thread stopped at ip inside the stolen bytes continues in the
// trampoline; false when ip is not at a copied instruction.
bool TrampolineAddressFor(const Trampoline& trampoline, uintptr_t ip, uintptr_t* moved);

// Where a thread stopped at ip inside the trampoline continues in the
// restored target; false when ip is not inside the trampoline code.
bool TargetAddressFor(const Trampoline& trampoline, uintptr_t ip, uintptr_t* moved);

}  // namespace intercept
