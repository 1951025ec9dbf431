// Which code an attach patches: an import thunk through a real import address
// table leads to the imported function; a hot-patched entry keeps the other
// tool's replacement. (Other jumps at an entry are relocation rows.)
#include <gtest/gtest.h>

#include "callee_dll.h"
#include "intercept_test_support.h"

using namespace intercept_test;

namespace {

FastFn g_real = nullptr;
FastFn g_other = nullptr;  // the other tool's way to the function
int __fastcall PlusTen(int x) { return 10 + g_real(x); }
int __fastcall OtherToolDetour(int x) { return 500 + g_other(x); }
using PlainFn = int(__cdecl*)(int);
PlainFn g_realPlain = nullptr;
int __cdecl PlusThousand(int x) { return 1000 + g_realPlain(x); }

}  // namespace

// The slot of this executable's import address table that holds CalleeTimesThree.
#if defined(_WIN64)
extern "C" void* g_calleeImportSlot asm("__imp_CalleeTimesThree");
#else
extern "C" void* g_calleeImportSlot asm("__imp__CalleeTimesThree");
#endif

TEST(Entry, ImportThunkThroughTheImportTableIsFollowed) {
    CodeBuffer buffer;
    buffer.Put(0, Hex("FF2500000000"));  // jmp [slot], as linkers write for imports
    buffer.PutMemoryOperand(2, 6, &g_calleeImportSlot);
    g_realPlain = buffer.fn<PlainFn>(0);
    ASSERT_EQ(NO_ERROR, AttachOne(Slot(&g_realPlain), Fn(PlusThousand)));
    EXPECT_EQ(1006, CalleeTimesThree(2));  // the import table's callers see it: the thunk was not patched
    EXPECT_EQ(6, g_realPlain(2));
    ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_realPlain), Fn(PlusThousand)));
    EXPECT_EQ(buffer.fn<PlainFn>(0), g_realPlain);  // exactly what it held
    EXPECT_EQ(6, CalleeTimesThree(2));
}

TEST(Entry, HotPatchedEntryKeepsTheOtherToolsReplacement) {
    CodeBuffer buffer;
    // The entry at 64 was mov edi,edi / mov eax,ecx / add eax,eax / ret, with
    // five int3 above it; the other tool put a jmp to its replacement above
    // the entry, jmp $-5 at it, and goes on at 66.
    buffer.Put(59, Hex("E900000000 EBF9 89C8 01C0 C3"));
    buffer.PutRel32(60, 64, Fn(OtherToolDetour));
    const FastFn f = g_real = buffer.fn(64);
    g_other = buffer.fn(66);
    const std::vector<BYTE> patched = buffer.Snapshot(59, 12);
    ASSERT_EQ(NO_ERROR, AttachOne(Slot(&g_real), Fn(PlusTen))) << LastRefusal();
    EXPECT_EQ(0xEB, buffer.at(64)[0]);  // the jump above the entry was patched, not the entry
    EXPECT_EQ(518, f(4));               // ours, the other tool's, the function
    EXPECT_EQ(508, g_real(4));
    ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_real), Fn(PlusTen)));
    EXPECT_EQ(patched, buffer.Snapshot(59, 12));
}
