// Which code an attach patches: import thunks through a real import address
// table lead to the imported function; any other jump at an entry is code
// of its own; a hot-patched entry keeps the other tool's replacement.
#include <gtest/gtest.h>

#include "callee_dll.h"
#include "intercept_test_support.h"

using namespace intercept_test;

namespace {

using FastFn = int(__fastcall*)(int);
using PlainFn = int(__cdecl*)(int);

FastFn g_real = nullptr;
PlainFn g_realPlain = nullptr;
FastFn g_other = nullptr;  // the other tool's way to the function

int __cdecl PlusThousandPlain(int x) { return 1000 + g_realPlain(x); }
int __fastcall PlusTen(int x) { return 10 + g_real(x); }
int __fastcall OtherToolDetour(int x) { return 500 + g_other(x); }

}  // namespace

TEST(Entry, ImportThunkThroughTheImportTableIsFollowed) {
    void* slot = ImportSlotOf(GetModuleHandleW(nullptr), reinterpret_cast<const void*>(&CalleeTimesThree));
    ASSERT_NE(nullptr, slot);
    CodeBuffer buffer;
    ASSERT_TRUE(buffer.ok());
    // jmp [slot]: a thunk like those linkers write for imported functions.
    buffer.Put(0, {0xFF, 0x25, 0, 0, 0, 0});
    buffer.PutMemoryOperand(2, 6, slot);
    const auto thunk = reinterpret_cast<PlainFn>(buffer.at(0));
    const std::vector<BYTE> thunkBytes = buffer.Snapshot(0, 6);
    ASSERT_EQ(6, thunk(2));

    g_realPlain = thunk;
    ASSERT_EQ(NO_ERROR, AttachOne(Slot(&g_realPlain), Fn(PlusThousandPlain)));
    EXPECT_EQ(thunkBytes, buffer.Snapshot(0, 6));  // the thunk itself is untouched
    EXPECT_EQ(1006, CalleeTimesThree(2));          // the imported function is patched
    EXPECT_EQ(1006, thunk(2));
    EXPECT_EQ(6, g_realPlain(2));
    INTERCEPT_TRAMPOLINE_INFO info = {};
    ASSERT_TRUE(InterceptDescribeTrampoline(Slot(&g_realPlain), &info));
    EXPECT_EQ(*static_cast<void**>(slot), info.pTarget);
    ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_realPlain), Fn(PlusThousandPlain)));
    EXPECT_EQ(thunk, g_realPlain);  // the variable gets back exactly what it held
    EXPECT_EQ(6, CalleeTimesThree(2));
}

TEST(Entry, OtherJumpsAtTheEntryAreCodeOfTheirOwn) {
    CodeBuffer buffer;
    // The shared body at 0: mov eax,ecx / add eax,eax / ret (doubles).
    buffer.Put(0, {0x89, 0xC8, 0x01, 0xC0, 0xC3});
    // Two stubs jumping to it, and a thunk through a pointer that is no import slot.
    buffer.Put(64, {0xE9, 0, 0, 0, 0});
    buffer.PutRel32(65, 69, buffer.at(0));
    buffer.Put(128, {0xE9, 0, 0, 0, 0});
    buffer.PutRel32(129, 133, buffer.at(0));
    buffer.PutPointer(256, buffer.at(0));
    BYTE* thunk = buffer.Put(192, {0xFF, 0x25, 0, 0, 0, 0});  // jmp [pointer]
    buffer.PutMemoryOperand(194, 198, buffer.at(256));
    const auto a = reinterpret_cast<FastFn>(buffer.at(64));
    const auto b = reinterpret_cast<FastFn>(buffer.at(128));
    const std::vector<BYTE> body = buffer.Snapshot(0, 5);
    const std::vector<BYTE> stubB = buffer.Snapshot(128, 5);

    g_real = a;
    ASSERT_EQ(NO_ERROR, AttachOne(Slot(&g_real), Fn(PlusTen)));
    EXPECT_EQ(16, a(3));
    EXPECT_EQ(6, b(3));  // the other stub and the body are untouched
    EXPECT_EQ(body, buffer.Snapshot(0, 5));
    EXPECT_EQ(stubB, buffer.Snapshot(128, 5));
    EXPECT_EQ(6, g_real(3));
    ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_real), Fn(PlusTen)));
    EXPECT_EQ(6, a(3));

    g_real = reinterpret_cast<FastFn>(thunk);
    ASSERT_EQ(NO_ERROR, AttachOne(Slot(&g_real), Fn(PlusTen)));
    EXPECT_EQ(16, reinterpret_cast<FastFn>(thunk)(3));
    EXPECT_EQ(body, buffer.Snapshot(0, 5));
    EXPECT_EQ(6, g_real(3));
    ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_real), Fn(PlusTen)));
    EXPECT_EQ(6, reinterpret_cast<FastFn>(thunk)(3));
}

TEST(Entry, HotPatchedEntryKeepsTheOtherToolsReplacement) {
    CodeBuffer buffer;
    // The function at 64 as a hot-patchable compiler leaves it: five int3
    // above, mov edi,edi / mov eax,ecx / add eax,eax / ret.
    buffer.Put(59, {0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0x8B, 0xFF, 0x89, 0xC8, 0x01, 0xC0, 0xC3});
    const auto f = reinterpret_cast<FastFn>(buffer.at(64));
    ASSERT_EQ(8, f(4));
    // Another tool patched it: jmp to its replacement above the entry, jmp $-5
    // at the entry; its way to the original skips the two bytes.
    g_other = reinterpret_cast<FastFn>(buffer.at(66));
    buffer.Put(59, {0xE9, 0, 0, 0, 0, 0xEB, 0xF9});
    buffer.PutRel32(60, 64, Fn(OtherToolDetour));
    const std::vector<BYTE> patched = buffer.Snapshot(59, 12);
    ASSERT_EQ(508, f(4));

    g_real = f;
    ASSERT_EQ(NO_ERROR, AttachOne(Slot(&g_real), Fn(PlusTen))) << OnlyRefusal();
    INTERCEPT_TRAMPOLINE_INFO info = {};
    ASSERT_TRUE(InterceptDescribeTrampoline(Slot(&g_real), &info));
    EXPECT_EQ(buffer.at(59), info.pTarget);
    EXPECT_EQ(0xEB, buffer.at(64)[0]);  // the short jump stays
    EXPECT_EQ(518, f(4));               // ours, then the other tool's, then the function
    EXPECT_EQ(508, g_real(4));
    ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_real), Fn(PlusTen)));
    EXPECT_EQ(patched, buffer.Snapshot(59, 12));
    EXPECT_EQ(508, f(4));
}
