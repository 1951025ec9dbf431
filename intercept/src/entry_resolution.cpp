#include "entry_resolution.h"

#include <cstdint>
#include <cstring>

#include "memory_access.h"

namespace intercept {
namespace {

// Import thunks chained to import thunks are followed at most this often.
constexpr int kMaxThunks = 16;
// Entries of one import descriptor's address table examined at most.
constexpr size_t kMaxImportsPerModule = 65536;

#if defined(_WIN64)
constexpr WORD kOptionalHeaderMagic = IMAGE_NT_OPTIONAL_HDR64_MAGIC;
#else
constexpr WORD kOptionalHeaderMagic = IMAGE_NT_OPTIONAL_HDR32_MAGIC;
#endif

template <typename T>
const T* ReadableAt(const BYTE* base, size_t offset) {
    const BYTE* at = base + offset;
    return ReadableLength(at, sizeof(T)) == sizeof(T) ? reinterpret_cast<const T*>(at) : nullptr;
}

// The headers of the image that holds address, or null when address is not
// in a mapped image of this process's architecture.
const IMAGE_NT_HEADERS* ImageHeaders(const void* address, const BYTE** base) {
    MEMORY_BASIC_INFORMATION info;
    if (VirtualQuery(address, &info, sizeof(info)) != sizeof(info) || info.State != MEM_COMMIT ||
        info.Type != MEM_IMAGE || info.AllocationBase == nullptr) {
        return nullptr;
    }
    *base = static_cast<const BYTE*>(info.AllocationBase);
    const auto* dos = ReadableAt<IMAGE_DOS_HEADER>(*base, 0);
    if (dos == nullptr || dos->e_magic != IMAGE_DOS_SIGNATURE || dos->e_lfanew <= 0) return nullptr;
    const auto* nt = ReadableAt<IMAGE_NT_HEADERS>(*base, static_cast<size_t>(dos->e_lfanew));
    if (nt == nullptr || nt->Signature != IMAGE_NT_SIGNATURE || nt->OptionalHeader.Magic != kOptionalHeaderMagic) {
        return nullptr;
    }
    return nt;
}

// The address of the import-table slot an import thunk at code jumps
// through (jmp dword ptr [slot] on x86, jmp qword ptr [rip+disp] on x64),
// or null when code is no such jump.
const void* ThunkSlot(const BYTE* code) {
    const size_t readable = ReadableLength(code, 7);
    size_t at = 0;
#if defined(_WIN64)
    if (readable >= 1 && (code[0] & 0xF0) == 0x40) at = 1;  // REX.W
#endif
    if (readable < at + 6 || code[at] != 0xFF || code[at + 1] != 0x25) return nullptr;
#if defined(_WIN64)
    return code + at + 6 + ReadInt32(code + at + 2);
#else
    return reinterpret_cast<const void*>(static_cast<uintptr_t>(static_cast<uint32_t>(ReadInt32(code + at + 2))));
#endif
}

}  // namespace

bool IsImportAddressSlot(const void* slot) {
    const BYTE* base = nullptr;
    const IMAGE_NT_HEADERS* nt = ImageHeaders(slot, &base);
    if (nt == nullptr) return false;
    const auto at = reinterpret_cast<uintptr_t>(slot);
    const auto begin = reinterpret_cast<uintptr_t>(base);
    const IMAGE_DATA_DIRECTORY* dirs = nt->OptionalHeader.DataDirectory;
    if (nt->OptionalHeader.NumberOfRvaAndSizes > IMAGE_DIRECTORY_ENTRY_IAT) {
        const IMAGE_DATA_DIRECTORY& iat = dirs[IMAGE_DIRECTORY_ENTRY_IAT];
        if (iat.VirtualAddress != 0 && iat.Size != 0) {
            return at >= begin + iat.VirtualAddress && at < begin + iat.VirtualAddress + iat.Size;
        }
    }
    // No address-table directory: walk the address table of each import.
    if (nt->OptionalHeader.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_IMPORT) return false;
    const IMAGE_DATA_DIRECTORY& imports = dirs[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0) return false;
    for (size_t offset = imports.VirtualAddress;; offset += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const auto* descriptor = ReadableAt<IMAGE_IMPORT_DESCRIPTOR>(base, offset);
        if (descriptor == nullptr || descriptor->Name == 0 || descriptor->FirstThunk == 0) return false;
        for (size_t i = 0; i < kMaxImportsPerModule; ++i) {
            const size_t entry = descriptor->FirstThunk + i * sizeof(uintptr_t);
            const auto* value = ReadableAt<uintptr_t>(base, entry);
            if (value == nullptr || *value == 0) break;
            if (at == begin + entry) return true;
        }
    }
}

BYTE* ResolveTarget(BYTE* entry) {
    BYTE* code = entry;
    for (int hop = 0; hop < kMaxThunks; ++hop) {
        const void* slot = ThunkSlot(code);
        if (slot == nullptr || !IsImportAddressSlot(slot)) break;
        BYTE* const* pointer = static_cast<BYTE* const*>(slot);
        if (ReadableLength(pointer, sizeof(*pointer)) != sizeof(*pointer) || !IsExecutableCode(*pointer)) break;
        code = *pointer;
    }
    // jmp $-5 at the entry, over a jmp rel32 in the five bytes above it.
    if (ReadableLength(code, 2) == 2 && code[0] == 0xEB && code[1] == 0xF9) {
        BYTE* above = code - 5;
        if (ReadableLength(above, 5) == 5 && IsExecutableCode(above) && above[0] == 0xE9) return above;
    }
    return code;
}

}  // namespace intercept
