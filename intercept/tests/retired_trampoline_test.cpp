// A detached trampoline keeps its code: a caller that read the trampoline's
// address from the real-entry variable just before the detach can still call
// through it afterwards, also once later commits have let its slot out of
// quarantine, and gets the original function's result.
#include <gtest/gtest.h>

#include <vector>

#include "callee_dll.h"
#include "intercept_test_support.h"

using namespace intercept_test;

namespace {

decltype(&CalleeTimesThree) g_real = nullptr;
int Plus1000(int x) { return g_real(x) + 1000; }

LONG Commit(bool attach) {
  LONG result = InterceptTransactionBegin();
  if (result != NO_ERROR) return result;
  result = InterceptUpdateAllThreads();
  if (result == NO_ERROR) result = attach ? InterceptAttach(Slot(&g_real), Fn(Plus1000)) : InterceptDetach(Slot(&g_real), Fn(Plus1000));
  if (result != NO_ERROR) {
    InterceptTransactionAbort();
    return result;
  }
  return InterceptTransactionCommit();
}

TEST(RetiredTrampoline, StillRunsTheOriginalFunction) {
  g_real = &CalleeTimesThree;
  ASSERT_EQ(21, CalleeTimesThree(7));
  ASSERT_EQ(NO_ERROR, Commit(true));
  EXPECT_EQ(1021, CalleeTimesThree(7));
  const auto trampoline = g_real;  // what a caller read just before the detach
  INTERCEPT_TRAMPOLINE_INFO info = {};
  ASSERT_TRUE(InterceptDescribeTrampoline(Slot(&g_real), &info));
  const auto* code = static_cast<const BYTE*>(info.pTrampoline);
  const std::vector<BYTE> bytes(code, code + info.cbCode);

  ASSERT_EQ(NO_ERROR, Commit(false));
  EXPECT_EQ(&CalleeTimesThree, g_real);
  EXPECT_EQ(21, CalleeTimesThree(7));
  EXPECT_EQ(21, trampoline(7));
  EXPECT_EQ(-6, trampoline(-2));

  // Out of quarantine: the slot is free for a later attach, but still holds
  // the code.
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(NO_ERROR, InterceptTransactionBegin());
    ASSERT_EQ(NO_ERROR, InterceptUpdateAllThreads());
    ASSERT_EQ(NO_ERROR, InterceptTransactionCommit());
  }
  ASSERT_TRUE(Runnable(code));
  EXPECT_EQ(bytes, std::vector<BYTE>(code, code + info.cbCode));
  EXPECT_EQ(21, trampoline(7));
  EXPECT_EQ(0, trampoline(0));
}

}  // namespace
