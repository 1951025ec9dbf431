// A thread stopped inside the bytes a commit rewrites is moved: into the
// trampoline when the function is attached, back into the restored code when
// it is detached.
#include <gtest/gtest.h>

#include "intercept_test_support.h"

using namespace intercept_test;

namespace {

PVOID g_real = nullptr;
volatile LONG g_detourCalls = 0;

void __fastcall CountingDetour(volatile char*) { InterlockedIncrement(&g_detourCalls); }

uintptr_t StoppedAt(HANDLE thread) {
  SuspendThread(thread);
  CONTEXT context = {};
  context.ContextFlags = CONTEXT_CONTROL;
  const uintptr_t ip = GetThreadContext(thread, &context) ? InstructionPointer(context) : 0;
  ResumeThread(thread);
  return ip;
}

bool Inside(uintptr_t ip, const void* start, size_t size) {
  const auto begin = reinterpret_cast<uintptr_t>(start);
  return ip >= begin && ip < begin + size;
}

}  // namespace

TEST(ThreadUpdate, InstructionPointersLeaveTheRewrittenBytes) {
  CodeBuffer buffer;
  // spin: L: cmp byte [ecx],0 / je L / ret — the whole loop lies inside the
  // five bytes the entry jump takes over.
  BYTE* spin = buffer.Put(0, {0x80, 0x39, 0x00, 0x74, 0xFB, 0xC3});
#if defined(_WIN64)
  // thread start (argument already in rcx): sub rsp,28h / call spin / add rsp,28h / ret
  buffer.Put(32, {0x48, 0x83, 0xEC, 0x28, 0xE8, 0, 0, 0, 0, 0x48, 0x83, 0xC4, 0x28, 0xC3});
#else
  // thread start: mov ecx,[esp+4] / call spin / ret 4
  buffer.Put(32, {0x8B, 0x4C, 0x24, 0x04, 0xE8, 0, 0, 0, 0, 0xC2, 0x04, 0x00});
#endif
  buffer.PutRel32(37, 41, spin);

  static volatile char stop = 0;
  stop = 0;
  HANDLE thread = CreateThread(nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(buffer.at(32)),
                               const_cast<char*>(&stop), 0, nullptr);
  ASSERT_NE(nullptr, thread);
  bool spinning = false;
  for (int attempt = 0; attempt < 500 && !spinning; ++attempt) {
    spinning = Inside(StoppedAt(thread), spin, 5);
    if (!spinning) Sleep(10);
  }
  ASSERT_TRUE(spinning) << "the thread never reached the loop";

  g_real = spin;
  g_detourCalls = 0;
  ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
  ASSERT_EQ(NO_ERROR, InterceptUpdateThread(thread));
  ASSERT_EQ(NO_ERROR, InterceptUpdateThread(GetCurrentThread()));  // never suspended
  ASSERT_EQ(NO_ERROR, InterceptAttach(&g_real, Fn(CountingDetour)));
  ASSERT_EQ(NO_ERROR, InterceptTransactionCommit());
  ASSERT_NE(spin, g_real);
  EXPECT_EQ(0xE9, spin[0]);
  // The loop goes on in the trampoline (the relocated je targets its copy).
  Sleep(20);
  EXPECT_TRUE(Inside(StoppedAt(thread), g_real, 16));
  EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(thread, 0));

  ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
  ASSERT_EQ(NO_ERROR, InterceptUpdateThread(thread));
  ASSERT_EQ(NO_ERROR, InterceptDetach(&g_real, Fn(CountingDetour)));
  ASSERT_EQ(NO_ERROR, InterceptTransactionCommit());
  EXPECT_EQ(spin, g_real);
  Sleep(20);
  EXPECT_TRUE(Inside(StoppedAt(thread), spin, 5));

  stop = 1;
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 10000));
  EXPECT_EQ(0, g_detourCalls);  // it never entered the replacement
  CloseHandle(thread);
}
