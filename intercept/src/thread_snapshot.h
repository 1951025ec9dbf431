// The threads of this process as the system lists them, read into memory set
// aside beforehand: taking a snapshot allocates nothing and takes no lock of
// the process (not the heap's, not the loader's), so it can run while other
// threads of the process stand suspended, whatever they were holding.
#pragma once

#include <windows.h>

#include <cstddef>

namespace intercept {

class ThreadSnapshot {
public:
    ThreadSnapshot();
    ~ThreadSnapshot();
    ThreadSnapshot(const ThreadSnapshot&) = delete;
    ThreadSnapshot& operator=(const ThreadSnapshot&) = delete;

    // Sets aside room for a snapshot of at least bytes (a little more than the
    // last snapshot asked for when bytes is 0); the last snapshot is kept
    // unless the room has to be moved. Allocates: call it with no thread
    // suspended. False when the memory cannot be had or the system offers no
    // process list.
    bool Reserve(size_t bytes = 0);

    // Takes a snapshot into the room set aside. NO_ERROR;
    // ERROR_INSUFFICIENT_BUFFER when it does not fit (Reserve() again, with
    // every thread resumed); ERROR_NOT_FOUND when this process is not in the
    // list; the system's status turned into an error otherwise.
    LONG Take();

    // Threads of this process in the last snapshot taken.
    size_t Count() const { return count_; }
    DWORD ThreadId(size_t index) const;

private:
    using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    Query query_ = nullptr;
    BYTE* buffer_ = nullptr;
    size_t size_ = 0;
    size_t needed_ = 0;
    const BYTE* threads_ = nullptr;  // this process's thread entries in buffer_
    size_t count_ = 0;
};

}  // namespace intercept
