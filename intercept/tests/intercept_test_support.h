// Shared pieces of the interception tests: executable code buffers for
// hand-assembled functions and one-call install/remove helpers.
//
// The hand-assembled functions take their argument in ecx and return in eax:
// __fastcall on x86, the first argument register on x64, so the same bytes
// serve both builds as long as they avoid the one-byte inc/dec forms (REX
// prefixes on x64) and stack-relative arguments.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "intercept/intercept.h"

namespace intercept_test {

// Where a code buffer goes. Near the test executable, hand-assembled rel32
// calls reach the test's own functions on x64 too; anywhere, the buffer may
// lie more than 2 GB from them (under 64-bit Wine, low memory is far below the
// executable), which x64 entry jumps have to bridge.
enum class Placement { NearImage, Anywhere };

inline BYTE* AllocateCode(size_t size, Placement placement) {
    const DWORD kinds = MEM_RESERVE | MEM_COMMIT;
#if defined(_WIN64)
    if (placement == Placement::NearImage) {
        const auto image = reinterpret_cast<uintptr_t>(GetModuleHandleW(nullptr));
        for (uintptr_t step = 1; step <= 1024; ++step) {  // 1 MB steps below the image
            void* at = reinterpret_cast<void*>(image - step * 0x100000);
            if (void* code = VirtualAlloc(at, size, kinds, PAGE_EXECUTE_READWRITE)) return static_cast<BYTE*>(code);
        }
        return nullptr;
    }
#else
    (void)placement;
#endif
    return static_cast<BYTE*>(VirtualAlloc(nullptr, size, kinds, PAGE_EXECUTE_READWRITE));
}

// Executable memory, filled with int3, that test code is assembled into.
class CodeBuffer {
public:
    explicit CodeBuffer(size_t size = 4096, Placement placement = Placement::NearImage)
        : base_(AllocateCode(size, placement)), size_(size) {
        if (base_ != nullptr) std::memset(base_, 0xCC, size_);
    }
    ~CodeBuffer() {
        if (base_ != nullptr) VirtualFree(base_, 0, MEM_RELEASE);
    }
    CodeBuffer(const CodeBuffer&) = delete;
    CodeBuffer& operator=(const CodeBuffer&) = delete;

    bool ok() const { return base_ != nullptr; }
    BYTE* at(size_t offset) const { return base_ + offset; }

    // Copies bytes to offset and returns their address.
    BYTE* Put(size_t offset, std::initializer_list<BYTE> bytes) {
        size_t i = offset;
        for (BYTE b : bytes) base_[i++] = b;
        FlushInstructionCache(GetCurrentProcess(), base_ + offset, bytes.size());
        return base_ + offset;
    }
    void Put32(size_t offset, uint32_t value) { std::memcpy(base_ + offset, &value, sizeof(value)); }
    void PutPointer(size_t offset, const void* value) { std::memcpy(base_ + offset, &value, sizeof(value)); }
    // Writes the rel32 of a branch whose displacement field is at offset and
    // whose instruction ends at end, so that it lands on dest.
    void PutRel32(size_t offset, size_t end, const void* dest) {
        Put32(offset, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(dest) - reinterpret_cast<uintptr_t>(at(end))));
    }
    // The 32-bit memory operand of an instruction ending at end that names
    // address: absolute on x86, relative to the next instruction on x64.
    void PutMemoryOperand(size_t offset, size_t end, const void* address) {
#if defined(_WIN64)
        PutRel32(offset, end, address);
#else
        (void)end;
        Put32(offset, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(address)));
#endif
    }

    // Writes a jump through the pointer variable at slot (an import thunk, or a
    // replacement that passes every call on through a real-entry variable) and
    // returns its address.
    BYTE* PutJumpThrough(size_t offset, const void* slot) {
#if defined(_WIN64)
        // mov rax, slot / jmp qword ptr [rax]: reaches a slot at any distance.
        BYTE* code = Put(offset, {0x48, 0xB8, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0x20});
        PutPointer(offset + 2, slot);
        return code;
#else
        BYTE* code = Put(offset, {0xFF, 0x25, 0, 0, 0, 0});  // jmp dword ptr [slot]
        PutMemoryOperand(offset + 2, offset + 6, slot);
        return code;
#endif
    }

    std::vector<BYTE> Snapshot(size_t offset, size_t length) const {
        return std::vector<BYTE>(base_ + offset, base_ + offset + length);
    }

private:
    BYTE* base_;
    size_t size_;
};

inline uintptr_t InstructionPointer(const CONTEXT& context) {
#if defined(_WIN64)
    return context.Rip;
#else
    return context.Eip;
#endif
}

// Where a running thread is: suspended for the reading, then resumed.
inline uintptr_t StoppedAt(HANDLE thread) {
    SuspendThread(thread);
    CONTEXT context = {};
    context.ContextFlags = CONTEXT_CONTROL;
    const uintptr_t ip = GetThreadContext(thread, &context) ? InstructionPointer(context) : 0;
    ResumeThread(thread);
    return ip;
}

// The thread's suspend count, read without changing it: 0 while it runs.
inline DWORD SuspendCount(HANDLE thread) {
    const DWORD count = SuspendThread(thread);
    ResumeThread(thread);
    return count;
}

inline bool Inside(uintptr_t ip, const void* start, size_t size) {
    const auto begin = reinterpret_cast<uintptr_t>(start);
    return ip >= begin && ip < begin + size;
}

// True when code lies in committed memory that may be executed: checked
// before calling an address that may have been given back.
inline bool Runnable(const void* code) {
    MEMORY_BASIC_INFORMATION info = {};
    if (VirtualQuery(code, &info, sizeof(info)) != sizeof(info) || info.State != MEM_COMMIT) return false;
    return (info.Protect & (PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE)) != 0;
}

template <typename T>
PVOID* Slot(T* variable) {
    return reinterpret_cast<PVOID*>(variable);
}

template <typename F>
PVOID Fn(F function) {
    return reinterpret_cast<PVOID>(function);
}

// One transaction with the calling thread enlisted, as the product runs them.
inline LONG AttachOne(PVOID* pointer, PVOID detour) {
    LONG result = InterceptTransactionBegin();
    if (result != NO_ERROR) return result;
    InterceptUpdateThread(GetCurrentThread());
    result = InterceptAttach(pointer, detour);
    if (result != NO_ERROR) {
        InterceptTransactionAbort();
        return result;
    }
    return InterceptTransactionCommit();
}

inline LONG DetachOne(PVOID* pointer, PVOID detour) {
    LONG result = InterceptTransactionBegin();
    if (result != NO_ERROR) return result;
    InterceptUpdateThread(GetCurrentThread());
    result = InterceptDetach(pointer, detour);
    if (result != NO_ERROR) {
        InterceptTransactionAbort();
        return result;
    }
    return InterceptTransactionCommit();
}

// The refusals of the current or last transaction.
inline std::vector<INTERCEPT_REFUSAL> Refusals() {
    std::vector<INTERCEPT_REFUSAL> refusals(InterceptGetRefusals(nullptr, 0));
    if (!refusals.empty()) InterceptGetRefusals(refusals.data(), static_cast<ULONG>(refusals.size()));
    return refusals;
}

// The rule and instruction of the single refusal of the last transaction.
inline std::string OnlyRefusal() {
    const std::vector<INTERCEPT_REFUSAL> refusals = Refusals();
    if (refusals.size() != 1) return "refusals: " + std::to_string(refusals.size());
    return std::string(refusals[0].szRule) + " | " + refusals[0].szInstruction;
}

// The slot of module's import address table that holds function, or null.
inline void* ImportSlotOf(HMODULE module, const void* function) {
    auto* base = reinterpret_cast<BYTE*>(module);
    const auto* nt =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name != 0; ++d) {
        for (auto* slot = reinterpret_cast<void**>(base + d->FirstThunk); *slot != nullptr; ++slot) {
            if (*slot == function) return slot;
        }
    }
    return nullptr;
}

}  // namespace intercept_test
