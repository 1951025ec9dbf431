// Shared pieces of the interception tests: executable buffers for hand-assembled
// functions and one-transaction install and removal.
//
// Hand-assembled functions take their argument in ecx and answer in eax
// (__fastcall on x86, the first argument register on x64), so the same bytes
// serve both builds as long as they avoid the one-byte inc/dec forms.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "intercept/intercept.h"

namespace intercept_test {

using FastFn = int(__fastcall*)(int);

// Near the image, hand-assembled rel32 calls reach the test's own functions on
// x64; Anywhere may lie more than 2 GB from them (under 64-bit Wine low memory
// is far below the image), which entry jumps then have to bridge.
enum class Placement { NearImage, Anywhere };

// "85 C9 74 06": bytes written as hex pairs.
inline std::vector<BYTE> Hex(const char* text) {
    std::vector<BYTE> bytes;
    for (const char* p = text; p[0] != '\0' && p[1] != '\0'; p += p[0] == ' ' ? 1 : 2) {
        if (p[0] != ' ') bytes.push_back(static_cast<BYTE>(std::stoul(std::string(p, 2), nullptr, 16)));
    }
    return bytes;
}

// 16 KB of executable memory filled with int3 that test code is assembled into.
class CodeBuffer {
public:
    static constexpr size_t kSize = 16384;
    explicit CodeBuffer(Placement placement = Placement::NearImage) {
        const DWORD kinds = MEM_RESERVE | MEM_COMMIT;
#if defined(_WIN64)
        const auto image = reinterpret_cast<uintptr_t>(GetModuleHandleW(nullptr));
        for (uintptr_t step = 1; placement == Placement::NearImage && base_ == nullptr && step <= 1024; ++step) {
            void* at = reinterpret_cast<void*>(image - step * 0x100000);
            base_ = static_cast<BYTE*>(VirtualAlloc(at, kSize, kinds, PAGE_EXECUTE_READWRITE));
        }
#endif
        if (placement == Placement::Anywhere || base_ == nullptr)
            base_ = static_cast<BYTE*>(VirtualAlloc(nullptr, kSize, kinds, PAGE_EXECUTE_READWRITE));
        if (base_ != nullptr) std::memset(base_, 0xCC, kSize);
    }
    ~CodeBuffer() {
        if (base_ != nullptr) VirtualFree(base_, 0, MEM_RELEASE);
    }
    CodeBuffer(const CodeBuffer&) = delete;
    CodeBuffer& operator=(const CodeBuffer&) = delete;

    bool ok() const { return base_ != nullptr; }
    BYTE* at(size_t offset) const { return base_ + offset; }
    template <typename F = FastFn>
    F fn(size_t offset) const {
        return reinterpret_cast<F>(base_ + offset);
    }
    BYTE* Put(size_t offset, const std::vector<BYTE>& bytes) {
        std::memcpy(base_ + offset, bytes.data(), bytes.size());
        FlushInstructionCache(GetCurrentProcess(), base_ + offset, bytes.size());
        return base_ + offset;
    }
    void PutPointer(size_t offset, const void* value) { std::memcpy(base_ + offset, &value, sizeof(value)); }
    // The rel32 at offset of an instruction ending at end, so that it names dest.
    void PutRel32(size_t offset, size_t end, const void* dest) {
        const auto rel =
            static_cast<uint32_t>(reinterpret_cast<uintptr_t>(dest) - reinterpret_cast<uintptr_t>(at(end)));
        std::memcpy(base_ + offset, &rel, sizeof(rel));
    }
    // A 32-bit memory operand naming address: absolute on x86, rip-relative on x64.
    void PutMemoryOperand(size_t offset, size_t end, const void* address) {
#if defined(_WIN64)
        PutRel32(offset, end, address);
#else
        (void)end;
        PutPointer(offset, address);
#endif
    }
    std::vector<BYTE> Snapshot(size_t offset, size_t length) const {
        return std::vector<BYTE>(base_ + offset, base_ + offset + length);
    }

private:
    BYTE* base_ = nullptr;
};

inline bool Inside(uintptr_t ip, const void* start, size_t size) {
    return ip - reinterpret_cast<uintptr_t>(start) < size;
}

// The instruction pointer in a CONTEXT.
#if defined(_WIN64)
#define CONTEXT_IP Rip
#else
#define CONTEXT_IP Eip
#endif

// Where a running thread is: suspended for the reading, then resumed.
inline uintptr_t StoppedAt(HANDLE thread) {
    SuspendThread(thread);
    CONTEXT context = {};
    context.ContextFlags = CONTEXT_CONTROL;
    const uintptr_t ip = GetThreadContext(thread, &context) ? context.CONTEXT_IP : 0;
    ResumeThread(thread);
    return ip;
}

template <typename T>
PVOID* Slot(T* variable) {
    return reinterpret_cast<PVOID*>(variable);
}

template <typename F>
PVOID Fn(F function) {
    return reinterpret_cast<PVOID>(function);
}

struct Hook {
    PVOID* pointer;
    PVOID detour;
};

// One transaction over hooks with thread enlisted (null: every other thread),
// aborted when an attach or detach is refused.
inline LONG Transact(bool attach, std::initializer_list<Hook> hooks, HANDLE thread = GetCurrentThread()) {
    LONG result = InterceptTransactionBegin();
    if (result != NO_ERROR) return result;
    result = thread != nullptr ? InterceptUpdateThread(thread) : InterceptUpdateAllThreads();
    for (const Hook& h : hooks) {
        if (result == NO_ERROR)
            result = attach ? InterceptAttach(h.pointer, h.detour) : InterceptDetach(h.pointer, h.detour);
    }
    if (result != NO_ERROR) return InterceptTransactionAbort(), result;
    return InterceptTransactionCommit();
}

inline LONG AttachOne(PVOID* pointer, PVOID detour) { return Transact(true, {{pointer, detour}}); }
inline LONG DetachOne(PVOID* pointer, PVOID detour) { return Transact(false, {{pointer, detour}}); }

inline std::vector<INTERCEPT_REFUSAL> Refusals() {
    std::vector<INTERCEPT_REFUSAL> refusals(InterceptGetRefusals(nullptr, 0));
    if (!refusals.empty()) InterceptGetRefusals(refusals.data(), static_cast<ULONG>(refusals.size()));
    return refusals;
}

// "rule | instruction" of the single refusal of the last transaction.
inline std::string OnlyRefusal() {
    const std::vector<INTERCEPT_REFUSAL> refusals = Refusals();
    if (refusals.size() != 1) return "refusals: " + std::to_string(refusals.size());
    return std::string(refusals[0].szRule) + " | " + refusals[0].szInstruction;
}

}  // namespace intercept_test
