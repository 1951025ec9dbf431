// The threads a transaction updates: each is suspended as it is enlisted and
// confirmed stopped by reading its context, stays suspended until the
// transaction ends, and has its instruction pointer moved out of the bytes a
// commit rewrites. The calling thread is never enlisted.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace intercept {

// A duplicated handle of a suspended thread: resumed and closed when the
// owner goes.
class SuspendedThread {
public:
    SuspendedThread() = default;
    SuspendedThread(HANDLE handle, DWORD id, bool stoppedBefore = false)
        : handle_(handle), id_(id), stoppedBefore_(stoppedBefore) {}
    ~SuspendedThread() { Reset(); }
    SuspendedThread(SuspendedThread&& other) noexcept
        : handle_(other.handle_), id_(other.id_), stoppedBefore_(other.stoppedBefore_) {
        other.handle_ = nullptr;
    }
    SuspendedThread& operator=(SuspendedThread&& other) noexcept {
        if (this != &other) {
            Reset();
            handle_ = other.handle_;
            id_ = other.id_;
            stoppedBefore_ = other.stoppedBefore_;
            other.handle_ = nullptr;
        }
        return *this;
    }
    SuspendedThread(const SuspendedThread&) = delete;
    SuspendedThread& operator=(const SuspendedThread&) = delete;

    HANDLE get() const { return handle_; }
    DWORD id() const { return id_; }
    // Found suspended by someone else when the thread list was read (under
    // Wine, also a thread still being started): its context is not read, since
    // Wine waits forever for the context of a thread that has not run yet, and
    // it is not moved. Threads enlisted by handle are always read.
    bool stoppedBefore() const { return stoppedBefore_; }

private:
    void Reset() {
        if (handle_ == nullptr) return;
        ResumeThread(handle_);
        CloseHandle(handle_);
        handle_ = nullptr;
    }
    HANDLE handle_ = nullptr;
    DWORD id_ = 0;
    bool stoppedBefore_ = false;
};

// Suspends hThread, waits until it has stopped (also when it was suspended
// before) and adds it to threads, unless it is the calling thread or already
// there. NO_ERROR; ERROR_INVALID_HANDLE for a handle that names no
// thread; the system's error (ERROR_ACCESS_DENIED for a handle without the
// rights) when the thread cannot be suspended or its context not read;
// ERROR_NOT_ENOUGH_MEMORY. On an error nothing is left suspended.
LONG EnlistThread(HANDLE hThread, std::vector<SuspendedThread>* threads);

// Suspends every thread of the process but the calling one and those already
// in threads, and adds them to threads. Everything it needs is allocated
// while no thread it suspends is stopped: the process's thread list is read
// again and again into memory set aside before, until a reading shows no
// thread that is not suspended yet (so threads started meanwhile are caught);
// when the room set aside runs out, the threads it suspended are resumed,
// more room is allocated and it starts over. Threads that exit meanwhile, or
// cannot be opened or stopped, are left out; threads found suspended already
// are kept suspended but neither read nor moved (stoppedBefore). NO_ERROR; ERROR_NOT_ENOUGH_MEMORY;
// ERROR_NOT_SUPPORTED when the system offers no thread list; ERROR_BUSY when
// the list never settles. On an error the threads it suspended are resumed
// and threads is as it was.
LONG EnlistOtherThreads(std::vector<SuspendedThread>* threads);

// Suspends the thread of handle own and waits until it has stopped by
// reading its context; when stoppedBefore is given, a thread that was
// suspended already is not waited for and *stoppedBefore says so. NO_ERROR,
// or the system's error with the thread left as it was.
LONG StopAndConfirm(HANDLE own, bool* stoppedBefore);

// Where a stopped instruction pointer has to go; false leaves it alone.
class InstructionPointerMap {
public:
    virtual bool Move(uintptr_t ip, uintptr_t* moved) const = 0;

protected:
    ~InstructionPointerMap() = default;
};

// True when the instruction pointer or an integer register of an enlisted
// thread points into [begin, begin + size), or a thread's registers cannot
// be read.
bool AnyThreadHolds(const std::vector<SuspendedThread>& threads, const BYTE* begin, size_t size);

// Rewrites the instruction pointer of every enlisted thread the map moves;
// threads suspended before they were enlisted are left alone.
void MoveInstructionPointers(const std::vector<SuspendedThread>& threads, const InstructionPointerMap& map);

}  // namespace intercept
