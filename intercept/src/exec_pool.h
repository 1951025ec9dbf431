// The executable memory trampolines live in: fixed-size slots carved out of
// page-sized regions.
//
// A slot whose trampoline was committed is not reused at once when it is
// retired: a caller may still be inside it (a copied call returns into it) or
// hold its address, read just before the detach. It stays quarantined until a
// later commit has completed and no thread of that transaction holds an
// address inside it, and keeps its code, executable, until it is handed out
// again: a region that ever ran a committed trampoline is never given back.
// Freed slots are handed out before a region is added, so the committed
// memory is bounded by the most trampolines in use and in quarantine at one
// time, not by how often hooks come and go.
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
    static constexpr size_t kSlotSize = 128;
    static constexpr size_t kRegionSize = 4096;
    static constexpr size_t kSlotsPerRegion = kRegionSize / kSlotSize;

    ExecPool() = default;
    ExecPool(const ExecPool&) = delete;
    ExecPool& operator=(const ExecPool&) = delete;

    // A writable slot of kSlotSize bytes filled with int3, reachable with a
    // rel32 displacement from hint (any slot on x86); null when no memory can
    // be had.
    BYTE* Allocate(const void* hint);

    // Returns a slot whose trampoline never ran (it was not committed) to the
    // pool; a pointer the pool did not hand out is ignored.
    void Release(BYTE* slot);

    // Quarantines the slot of a detached trampoline, code intact, until
    // commits have grown beyond the given count (the commits completed when
    // the detach committed).
    void Retire(BYTE* slot, uint32_t commits);

    // Answers whether some thread may still use the bytes of a slot.
    class SlotUse {
    public:
        virtual bool Held(const BYTE* slot, size_t size) const = 0;

    protected:
        ~SlotUse() = default;
    };

    // Frees the quarantined slots retired before the given count of completed
    // commits that nothing holds, makes every region execute-read again and
    // gives back empty regions that never ran a committed trampoline, keeping
    // one empty region for the next transaction.
    void Seal(uint32_t commits, const SlotUse& use);

    // True when address lies in one of the pool's regions.
    bool Contains(const void* address) const;

    size_t CommittedBytes() const { return regions_.size() * kRegionSize; }
    size_t SlotsInUse() const;

private:
    struct Region {
        BYTE* base = nullptr;
        uint64_t used = 0;         // one bit a slot
        uint64_t quarantined = 0;  // retired slots not yet free again
        uint32_t retiredAt[kSlotsPerRegion] = {};
        bool writable = false;
        bool ranCode = false;  // a committed trampoline was retired here: kept for good
    };
    static_assert(kSlotsPerRegion <= 64, "the slot bitmaps are one 64-bit word");
    static constexpr uint64_t kAllSlots = kSlotsPerRegion == 64 ? ~uint64_t{0} : (uint64_t{1} << kSlotsPerRegion) - 1;

    bool MakeWritable(Region& region);
    Region* Owner(const BYTE* slot);

    std::vector<Region> regions_;
};

// The pool every transaction of the process draws from.
ExecPool& TrampolinePool();

}  // namespace intercept
