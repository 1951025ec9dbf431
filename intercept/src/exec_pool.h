// The executable memory trampolines live in: fixed-size slots carved out of
// page-sized regions. Slots are reused as soon as they are released, so the
// committed memory is bounded by the largest number of trampolines ever held
// at once, not by how often hooks come and go.
//
// Regions are writable (and still executable, since committed trampolines in
// them may be running) while a transaction prepares trampolines, and
// execute-read once Seal() is called at the end of the transaction.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace intercept {

class ExecPool {
 public:
  static constexpr size_t kSlotSize = 64;
  static constexpr size_t kRegionSize = 4096;
  static constexpr size_t kSlotsPerRegion = kRegionSize / kSlotSize;

  ExecPool() = default;
  ExecPool(const ExecPool&) = delete;
  ExecPool& operator=(const ExecPool&) = delete;

  // A writable slot of kSlotSize bytes filled with int3, reachable with a
  // rel32 displacement from hint (any slot on x86); null when no memory can
  // be had.
  BYTE* Allocate(const void* hint);

  // Returns a slot to the pool; a pointer the pool did not hand out is ignored.
  void Release(BYTE* slot);

  // Makes every region execute-read again and gives back empty regions,
  // keeping one empty region for the next transaction.
  void Seal();

  // True when address lies in one of the pool's regions.
  bool Contains(const void* address) const;

  size_t CommittedBytes() const { return regions_.size() * kRegionSize; }
  size_t SlotsInUse() const;

 private:
  struct Region {
    BYTE* base = nullptr;
    uint64_t used = 0;  // one bit a slot
    bool writable = false;
  };
  static_assert(kSlotsPerRegion == 64, "the slot bitmap is one 64-bit word");

  bool MakeWritable(Region& region);
  Region* Owner(const BYTE* slot);

  std::vector<Region> regions_;
};

// The pool every transaction of the process draws from.
ExecPool& TrampolinePool();

}  // namespace intercept
