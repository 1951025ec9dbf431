// Shared pieces of the interception tests: executable buffers for hand-assembled
// functions, one-transaction install and removal, and a thread spinning in code
// an attach may patch.
//
// Hand-assembled functions take their argument in ecx and answer in eax
// (__fastcall on x86, the first argument register on x64), so the same bytes
// serve both builds as long as they avoid the one-byte inc/dec forms.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "intercept/intercept.h"

namespace intercept_test {

using FastFn = int(__fastcall*)(int);

// "85 C9 74 06": bytes written as hex pairs.
inline std::vector<BYTE> Hex(const char* text) {
    std::vector<BYTE> bytes;
    for (const char* p = text; p[0] != '\0' && p[1] != '\0'; p += p[0] == ' ' ? 1 : 2)
        if (p[0] != ' ') bytes.push_back(static_cast<BYTE>(std::stoul(std::string(p, 2), nullptr, 16)));
    return bytes;
}

// Near the image, hand-assembled rel32 calls reach the test's own functions on
// x64; elsewhere (address 0: anywhere) may lie more than 2 GB from them (under
// 64-bit Wine low memory is far below the image), which entry jumps then have
// to bridge.
const uintptr_t kNearImage = 1;

// 16 KB of executable memory filled with int3 that test code is assembled into,
// near the image, anywhere, or at an address exactly or not at all (ok() tells).
class CodeBuffer {
public:
    explicit CodeBuffer(uintptr_t address = kNearImage) {
#if defined(_WIN64)
        const auto image = reinterpret_cast<uintptr_t>(GetModuleHandleW(nullptr));
        for (uintptr_t step = 1; address == kNearImage && !ok() && step <= 1024; ++step)
            Allocate(image - step * 0x100000);
#endif
        if (!ok()) Allocate(address == kNearImage ? 0 : address);
    }
    ~CodeBuffer() { VirtualFree(base_, 0, MEM_RELEASE); }

    bool ok() const { return base_ != nullptr; }
    BYTE* at(size_t offset) const { return base_ + offset; }
    template <typename F = FastFn>
    F fn(size_t offset) const {
        return reinterpret_cast<F>(base_ + offset);
    }
    BYTE* Put(size_t offset, const std::vector<BYTE>& bytes) {
        if (!bytes.empty()) std::memcpy(base_ + offset, bytes.data(), bytes.size());
        FlushInstructionCache(GetCurrentProcess(), base_ + offset, bytes.size());
        return base_ + offset;
    }
    // The rel32 at offset of an instruction ending at end, so that it names dest.
    void PutRel32(size_t offset, size_t end, const void* dest) {
        const auto rel =
            static_cast<uint32_t>(reinterpret_cast<uintptr_t>(dest) - reinterpret_cast<uintptr_t>(at(end)));
        std::memcpy(base_ + offset, &rel, sizeof(rel));
    }
    // A 32-bit memory operand naming address: absolute on x86, rip-relative on x64.
    void PutMemoryOperand(size_t offset, size_t end, const void* address) {
        if (sizeof(void*) == 8) return PutRel32(offset, end, address);
        std::memcpy(base_ + offset, &address, 4);
    }
    std::vector<BYTE> Snapshot(size_t offset, size_t length) const {
        return std::vector<BYTE>(base_ + offset, base_ + offset + length);
    }

private:
    void Allocate(uintptr_t address) {
        base_ = static_cast<BYTE*>(
            VirtualAlloc(reinterpret_cast<void*>(address), 16384, MEM_RESERVE | MEM_COMMIT, PAGE_EXECUTE_READWRITE));
        if (ok()) std::memset(base_, 0xCC, 16384);
    }
    BYTE* base_ = nullptr;
};

inline PVOID* Slot(void* variable) { return static_cast<PVOID*>(variable); }

template <typename F>
PVOID Fn(F function) {
    return reinterpret_cast<PVOID>(function);
}

// One transaction over one hook (variable, replacement) with thread enlisted (null:
// every other thread), aborted when an attach or detach is refused.
inline LONG Transact(bool attach, PVOID* pointer, PVOID detour, HANDLE thread = GetCurrentThread()) {
    LONG result = InterceptTransactionBegin();
    if (result != NO_ERROR) return result;
    result = thread != nullptr ? InterceptUpdateThread(thread) : InterceptUpdateAllThreads();
    if (result == NO_ERROR) result = (attach ? InterceptAttach : InterceptDetach)(pointer, detour);
    if (result != NO_ERROR) return InterceptTransactionAbort(), result;
    return InterceptTransactionCommit();
}

inline LONG AttachOne(PVOID* pointer, PVOID detour) { return Transact(true, pointer, detour); }
inline LONG DetachOne(PVOID* pointer, PVOID detour) { return Transact(false, pointer, detour); }

inline std::vector<INTERCEPT_REFUSAL> Refusals() {
    std::vector<INTERCEPT_REFUSAL> refusals(InterceptGetRefusals(nullptr, 0));
    InterceptGetRefusals(refusals.data(), static_cast<ULONG>(refusals.size()));
    return refusals;
}

// "rule | instruction" of the last refusal of the open or last transaction.
inline std::string LastRefusal() {
    const std::vector<INTERCEPT_REFUSAL> r = Refusals();
    return r.empty() ? "none" : std::string(r.back().szRule) + " | " + r.back().szInstruction;
}

// The instruction pointer of a thread (suspended for the reading), set to ip when given.
inline uintptr_t Ip(HANDLE thread, const void* ip = nullptr) {
    SuspendThread(thread);
    CONTEXT context = {};
    context.ContextFlags = CONTEXT_CONTROL;
    EXPECT_TRUE(GetThreadContext(thread, &context));
#if defined(_WIN64)
    DWORD64& at = context.Rip;
#else
    DWORD& at = context.Eip;
#endif
    if (ip != nullptr) at = reinterpret_cast<uintptr_t>(ip);
    EXPECT_TRUE(ip == nullptr || SetThreadContext(thread, &context));
    ResumeThread(thread);
    return at;
}

inline bool Inside(uintptr_t ip, const void* from, size_t n) { return ip - reinterpret_cast<uintptr_t>(from) < n; }

// A thread spinning in "L: cmp byte [ecx],0 / je L / ret" at 0, the whole
// loop inside the five bytes the entry jump takes over, until stop is set.
struct Spinner {
    explicit Spinner(uintptr_t placement = kNearImage) : buffer(placement) {
        buffer.Put(0, Hex("803900 74FB C3"));
        thread = CreateThread(nullptr, 0, Spin, this, 0, nullptr);
    }
    static DWORD WINAPI Spin(LPVOID s) {
        static_cast<Spinner*>(s)->buffer.fn<void(__fastcall*)(volatile char*)>(0)(&static_cast<Spinner*>(s)->stop);
        return 0;
    }
    ~Spinner() {
        stop = 1;
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 10000));
        CloseHandle(thread);
    }
    bool Spinning() {
        for (int attempt = 0; attempt < 500; ++attempt, Sleep(10))
            if (Inside(Ip(thread), buffer.at(0), 5)) return true;
        return false;
    }
    CodeBuffer buffer;
    volatile char stop = 0;
    HANDLE thread;
};

}  // namespace intercept_test
