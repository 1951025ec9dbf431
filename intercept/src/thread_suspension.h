// The threads a transaction updates: enlisted by handle, suspended while a
// commit rewrites code, their instruction pointers moved out of the bytes
// that change, and resumed afterwards. The calling thread is never enlisted.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace intercept {

// A duplicated thread handle, closed when the owner goes.
class ThreadHandle {
 public:
  ThreadHandle() = default;
  ThreadHandle(HANDLE handle, DWORD id) : handle_(handle), id_(id) {}
  ~ThreadHandle() { Reset(); }
  ThreadHandle(ThreadHandle&& other) noexcept : handle_(other.handle_), id_(other.id_) {
    other.handle_ = nullptr;
  }
  ThreadHandle& operator=(ThreadHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = other.handle_;
      id_ = other.id_;
      other.handle_ = nullptr;
    }
    return *this;
  }
  ThreadHandle(const ThreadHandle&) = delete;
  ThreadHandle& operator=(const ThreadHandle&) = delete;

  HANDLE get() const { return handle_; }
  DWORD id() const { return id_; }

 private:
  void Reset() {
    if (handle_ != nullptr) CloseHandle(handle_);
    handle_ = nullptr;
  }
  HANDLE handle_ = nullptr;
  DWORD id_ = 0;
};

// Adds hThread to threads unless it is the calling thread or already there.
// NO_ERROR, or ERROR_INVALID_HANDLE for a handle that names no thread.
LONG EnlistThread(HANDLE hThread, std::vector<ThreadHandle>* threads);

// Where a stopped instruction pointer has to go; false leaves it alone.
class InstructionPointerMap {
 public:
  virtual bool Move(uintptr_t ip, uintptr_t* moved) const = 0;

 protected:
  ~InstructionPointerMap() = default;
};

// Suspends the enlisted threads for its lifetime. A thread that cannot be
// suspended (it has exited) is left out.
class ThreadSuspension {
 public:
  explicit ThreadSuspension(const std::vector<ThreadHandle>& threads);
  ~ThreadSuspension();
  ThreadSuspension(const ThreadSuspension&) = delete;
  ThreadSuspension& operator=(const ThreadSuspension&) = delete;

  // Rewrites the instruction pointer of every suspended thread the map moves.
  void MoveInstructionPointers(const InstructionPointerMap& map) const;

 private:
  std::vector<HANDLE> suspended_;  // borrowed from the enlisted handles
};

}  // namespace intercept
