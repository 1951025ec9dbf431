#include "thread_snapshot.h"

#include <cstdint>
#include <cstring>

namespace intercept {
namespace {

constexpr ULONG kSystemProcessInformation = 5;
constexpr LONG kStatusInfoLengthMismatch = static_cast<LONG>(0xC0000004);
constexpr LONG kStatusBufferTooSmall = static_cast<LONG>(0xC0000023);

// The system's process list: one entry a process, each followed by an entry
// a thread. Only the fields read here are named.
#if defined(_WIN64)
constexpr size_t kProcessIdOffset = 0x50;
constexpr size_t kFirstThreadOffset = 0x100;
constexpr size_t kThreadEntrySize = 0x50;
constexpr size_t kThreadIdOffset = 0x30;  // in the entry's client id, after the process id
#else
constexpr size_t kProcessIdOffset = 0x44;
constexpr size_t kFirstThreadOffset = 0xB8;
constexpr size_t kThreadEntrySize = 0x40;
constexpr size_t kThreadIdOffset = 0x24;
#endif

template <typename T>
T Field(const BYTE* entry, size_t offset) {
    T value;
    std::memcpy(&value, entry + offset, sizeof(value));
    return value;
}

// Room beyond what the last snapshot needed, for threads and processes
// started in between.
constexpr size_t kSlack = 64 * 1024;

}  // namespace

ThreadSnapshot::ThreadSnapshot() {
    if (HMODULE ntdll = GetModuleHandleW(L"ntdll.dll")) {
        query_ = reinterpret_cast<Query>(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQuerySystemInformation")));
    }
}

ThreadSnapshot::~ThreadSnapshot() {
    if (buffer_ != nullptr) VirtualFree(buffer_, 0, MEM_RELEASE);
}

bool ThreadSnapshot::Reserve(size_t bytes) {
    if (query_ == nullptr) return false;
    if (bytes == 0) bytes = needed_ != 0 ? needed_ + needed_ / 2 + kSlack : 4 * kSlack;
    if (bytes <= size_ && buffer_ != nullptr) return true;
    if (bytes > 0x7FFFFFFF) return false;
    if (buffer_ != nullptr) VirtualFree(buffer_, 0, MEM_RELEASE);
    threads_ = nullptr;
    count_ = 0;
    size_ = 0;
    buffer_ = static_cast<BYTE*>(VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    if (buffer_ == nullptr) return false;
    size_ = bytes;
    return true;
}

LONG ThreadSnapshot::Take() {
    threads_ = nullptr;
    count_ = 0;
    if (query_ == nullptr || buffer_ == nullptr) return ERROR_INSUFFICIENT_BUFFER;
    ULONG returned = 0;
    const LONG status = query_(kSystemProcessInformation, buffer_, static_cast<ULONG>(size_), &returned);
    if (status == kStatusInfoLengthMismatch || status == kStatusBufferTooSmall) {
        needed_ = returned > size_ ? returned : size_ * 2;
        return ERROR_INSUFFICIENT_BUFFER;
    }
    if (status < 0) return ERROR_GEN_FAILURE;
    needed_ = returned;
    const size_t used = returned != 0 && returned <= size_ ? returned : size_;
    const auto self = static_cast<uintptr_t>(GetCurrentProcessId());
    for (size_t at = 0; at + kFirstThreadOffset <= used;) {
        const BYTE* process = buffer_ + at;
        const auto next = Field<ULONG>(process, 0);
        if (Field<uintptr_t>(process, kProcessIdOffset) == self) {
            size_t count = Field<ULONG>(process, 4);
            const size_t room = (used - at - kFirstThreadOffset) / kThreadEntrySize;
            if (count > room) count = room;
            threads_ = process + kFirstThreadOffset;
            count_ = count;
            return NO_ERROR;
        }
        if (next == 0) break;
        at += next;
    }
    return ERROR_NOT_FOUND;
}

DWORD ThreadSnapshot::ThreadId(size_t index) const {
    if (index >= count_) return 0;
    return static_cast<DWORD>(Field<uintptr_t>(threads_ + index * kThreadEntrySize, kThreadIdOffset));
}

}  // namespace intercept
