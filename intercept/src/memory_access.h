// Questions about the process's own memory that the engine asks before it
// reads, follows or patches code: nothing is dereferenced that VirtualQuery
// does not report as readable.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace intercept {

// How many bytes starting at address can be read, at most limit.
size_t ReadableLength(const void* address, size_t limit);

// True when address lies in committed memory that may be executed and read.
bool IsExecutableCode(const void* address);

// True when [address, address + size) is committed, readable and writable.
bool IsWritableRange(const void* address, size_t size);

// True when a rel32 displacement written at from can reach to. Always true on
// x86, where the displacement wraps around the 4 GB address space; on x64 the
// two addresses must lie within +-2 GB of each other.
bool IsRel32Reachable(const void* from, const void* to);

// Unaligned 32-bit fields of machine code (displacements, rel32 operands).
inline int32_t ReadInt32(const BYTE* p) {
    int32_t value;
    std::memcpy(&value, p, sizeof(value));
    return value;
}
inline void WriteInt32(BYTE* p, int32_t value) { std::memcpy(p, &value, sizeof(value)); }

}  // namespace intercept
