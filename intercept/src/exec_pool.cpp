#include "exec_pool.h"

#include <cstring>

#include "memory_access.h"

namespace intercept {
namespace {

constexpr BYTE kInt3 = 0xCC;

bool RegionReachable(const BYTE* base, const void* hint) {
    return hint == nullptr || (IsRel32Reachable(base, hint) && IsRel32Reachable(base + ExecPool::kRegionSize, hint));
}

#if defined(_WIN64)
// x64 trampolines must sit within +-2 GB of the code they copy, since the
// relocated branches and RIP-relative operands keep 32-bit displacements:
// look for a free block below the target first, then above it.
BYTE* AllocateRegionNear(const void* hint) {
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const uintptr_t granularity = system.dwAllocationGranularity;
    const uintptr_t lowest = reinterpret_cast<uintptr_t>(system.lpMinimumApplicationAddress);
    const uintptr_t highest = reinterpret_cast<uintptr_t>(system.lpMaximumApplicationAddress);
    const uintptr_t target = reinterpret_cast<uintptr_t>(hint);
    const uintptr_t reach = 0x7FF00000;  // a little under 2 GB, for the region's own size
    const uintptr_t low = target > lowest + reach ? target - reach : lowest;
    const uintptr_t high = highest - target > reach ? target + reach : highest;
    auto alignDown = [granularity](uintptr_t a) { return a - a % granularity; };
    auto tryAt = [](uintptr_t address) -> BYTE* {
        return static_cast<BYTE*>(VirtualAlloc(reinterpret_cast<void*>(address), ExecPool::kRegionSize,
                                               MEM_RESERVE | MEM_COMMIT, PAGE_EXECUTE_READWRITE));
    };
    MEMORY_BASIC_INFORMATION info;
    for (uintptr_t address = alignDown(target); address >= low && address >= granularity;) {
        if (VirtualQuery(reinterpret_cast<void*>(address), &info, sizeof(info)) != sizeof(info)) break;
        uintptr_t below = address;
        if (info.State == MEM_FREE) {
            if (BYTE* region = tryAt(address)) return region;
        } else {
            // Skip below the whole allocation this address belongs to.
            const auto base = reinterpret_cast<uintptr_t>(info.AllocationBase);
            if (base != 0 && base < address) below = alignDown(base);
        }
        if (below < granularity) break;
        address = below - granularity;
    }
    for (uintptr_t address = alignDown(target) + granularity; address < high;) {
        if (VirtualQuery(reinterpret_cast<void*>(address), &info, sizeof(info)) != sizeof(info)) break;
        const uintptr_t end = reinterpret_cast<uintptr_t>(info.BaseAddress) + info.RegionSize;
        if (info.State == MEM_FREE) {
            if (BYTE* region = tryAt(address)) return region;
            address += granularity;
        } else {
            address = alignDown(end + granularity - 1);
        }
    }
    return nullptr;
}
#else
BYTE* AllocateRegionNear(const void*) {
    return static_cast<BYTE*>(
        VirtualAlloc(nullptr, ExecPool::kRegionSize, MEM_RESERVE | MEM_COMMIT, PAGE_EXECUTE_READWRITE));
}
#endif

}  // namespace

BYTE* ExecPool::Allocate(const void* hint) {
    Region* chosen = nullptr;
    for (Region& region : regions_) {
        if ((region.used | region.quarantined) != kAllSlots && RegionReachable(region.base, hint)) {
            chosen = &region;
            break;
        }
    }
    if (chosen == nullptr) {
        Region fresh;
        fresh.base = AllocateRegionNear(hint);
        if (fresh.base == nullptr) return nullptr;
        fresh.writable = true;
        std::memset(fresh.base, kInt3, kRegionSize);
        try {
            regions_.push_back(fresh);
        } catch (...) {
            VirtualFree(fresh.base, 0, MEM_RELEASE);
            return nullptr;
        }
        chosen = &regions_.back();
    }
    if (!MakeWritable(*chosen)) return nullptr;
    size_t index = 0;
    while (((chosen->used | chosen->quarantined) >> index) & 1) ++index;
    chosen->used |= uint64_t{1} << index;
    BYTE* slot = chosen->base + index * kSlotSize;
    std::memset(slot, kInt3, kSlotSize);
    return slot;
}

void ExecPool::Release(BYTE* slot) {
    Region* region = Owner(slot);
    if (region == nullptr) return;
    const size_t index = static_cast<size_t>(slot - region->base) / kSlotSize;
    if (MakeWritable(*region)) std::memset(region->base + index * kSlotSize, kInt3, kSlotSize);
    region->used &= ~(uint64_t{1} << index);
}

void ExecPool::Retire(BYTE* slot, uint32_t commits) {
    Region* region = Owner(slot);
    if (region == nullptr) return;
    const size_t index = static_cast<size_t>(slot - region->base) / kSlotSize;
    region->used &= ~(uint64_t{1} << index);
    region->quarantined |= uint64_t{1} << index;
    region->retiredAt[index] = commits;
    region->ranCode = true;
}

void ExecPool::Seal(uint32_t commits, const SlotUse& use) {
    bool keptEmpty = false;
    for (size_t i = regions_.size(); i-- > 0;) {
        Region& region = regions_[i];
        for (size_t index = 0; index < kSlotsPerRegion; ++index) {
            // Retired at count n: the commit that detached it ended at n + 1, a
            // later one at n + 2 or beyond.
            BYTE* slot = region.base + index * kSlotSize;
            if (((region.quarantined >> index) & 1) && commits - region.retiredAt[index] >= 2 &&
                !use.Held(slot, kSlotSize)) {
                region.quarantined &= ~(uint64_t{1} << index);  // the code stays until the slot is reused
            }
        }
        if (region.used == 0 && region.quarantined == 0) {
            if (keptEmpty && !region.ranCode) {
                VirtualFree(region.base, 0, MEM_RELEASE);
                regions_.erase(regions_.begin() + static_cast<std::ptrdiff_t>(i));
                continue;
            }
            keptEmpty = true;
        }
        if (region.writable) {
            DWORD old = 0;
            if (VirtualProtect(region.base, kRegionSize, PAGE_EXECUTE_READ, &old)) region.writable = false;
            FlushInstructionCache(GetCurrentProcess(), region.base, kRegionSize);
        }
    }
}

bool ExecPool::Contains(const void* address) const {
    const auto* at = static_cast<const BYTE*>(address);
    for (const Region& region : regions_) {
        if (at >= region.base && at < region.base + kRegionSize) return true;
    }
    return false;
}

size_t ExecPool::SlotsInUse() const {
    size_t count = 0;
    for (const Region& region : regions_) {
        for (uint64_t bits = region.used; bits != 0; bits &= bits - 1) ++count;
    }
    return count;
}

bool ExecPool::MakeWritable(Region& region) {
    if (region.writable) return true;
    DWORD old = 0;
    if (!VirtualProtect(region.base, kRegionSize, PAGE_EXECUTE_READWRITE, &old)) return false;
    region.writable = true;
    return true;
}

ExecPool::Region* ExecPool::Owner(const BYTE* slot) {
    for (Region& region : regions_) {
        if (slot >= region.base && slot < region.base + kRegionSize &&
            static_cast<size_t>(slot - region.base) % kSlotSize == 0) {
            return &region;
        }
    }
    return nullptr;
}

ExecPool& TrampolinePool() {
    // The regions are deliberately not given back at process exit: interceptions
    // that were never removed still jump through them.
    static ExecPool pool;
    return pool;
}

}  // namespace intercept
