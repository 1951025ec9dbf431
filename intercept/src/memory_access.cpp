#include "memory_access.h"

#include <cstdint>

namespace intercept {
namespace {

constexpr DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                            PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
constexpr DWORD kWritable = PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
constexpr DWORD kExecutableReadable = PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;

bool Query(const void* address, MEMORY_BASIC_INFORMATION* info) {
    return VirtualQuery(address, info, sizeof(*info)) == sizeof(*info) && info->State == MEM_COMMIT &&
           (info->Protect & (PAGE_GUARD | PAGE_NOACCESS)) == 0;
}

// Bytes from address on whose protection has all of the bits of one of the
// accepted masks, up to limit.
size_t AccessibleLength(const void* address, size_t limit, DWORD accepted) {
    size_t length = 0;
    auto at = reinterpret_cast<uintptr_t>(address);
    while (length < limit) {
        MEMORY_BASIC_INFORMATION info;
        if (!Query(reinterpret_cast<const void*>(at), &info) || (info.Protect & accepted) == 0) break;
        const uintptr_t end = reinterpret_cast<uintptr_t>(info.BaseAddress) + info.RegionSize;
        if (end <= at) break;  // the top of the address space
        const size_t here = end - at;
        length += here;
        at = end;
    }
    return length < limit ? length : limit;
}

}  // namespace

size_t ReadableLength(const void* address, size_t limit) {
    if (address == nullptr) return 0;
    return AccessibleLength(address, limit, kReadable);
}

bool IsExecutableCode(const void* address) {
    if (address == nullptr) return false;
    return AccessibleLength(address, 1, kExecutableReadable) == 1;
}

bool IsWritableRange(const void* address, size_t size) {
    if (address == nullptr) return false;
    return AccessibleLength(address, size, kWritable) == size;
}

bool IsRel32Reachable(const void* from, const void* to) {
#if defined(_WIN64)
    const auto distance = static_cast<long long>(reinterpret_cast<uintptr_t>(to) - reinterpret_cast<uintptr_t>(from));
    return distance >= INT32_MIN && distance <= INT32_MAX;
#else
    (void)from;
    (void)to;
    return true;
#endif
}

}  // namespace intercept
