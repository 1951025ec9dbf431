// Which code an attach patches: an import thunk through a real import address
// table leads to the imported function; any other jump at an entry is code of
// its own; a hot-patched entry keeps the other tool's replacement.
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

// The slot of this executable's import address table that holds function.
void* ImportSlotOf(const void* function) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const DWORD imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports); d->Name != 0; ++d) {
        for (auto* slot = reinterpret_cast<void**>(base + d->FirstThunk); *slot != nullptr; ++slot) {
            if (*slot == function) return slot;
        }
    }
    return nullptr;
}

}  // namespace

TEST(Entry, ImportThunkThroughTheImportTableIsFollowed) {
    void* slot = ImportSlotOf(reinterpret_cast<const void*>(&CalleeTimesThree));
    ASSERT_NE(nullptr, slot);
    CodeBuffer buffer;
    buffer.Put(0, Hex("FF2500000000"));  // jmp [slot], as linkers write for imports
    buffer.PutMemoryOperand(2, 6, slot);
    const std::vector<BYTE> thunkBytes = buffer.Snapshot(0, 6);
    const auto thunk = buffer.fn<PlainFn>(0);
    ASSERT_EQ(6, thunk(2));
    g_realPlain = thunk;
    ASSERT_EQ(NO_ERROR, AttachOne(Slot(&g_realPlain), Fn(PlusThousand)));
    EXPECT_EQ(thunkBytes, buffer.Snapshot(0, 6));
    EXPECT_EQ(1006, CalleeTimesThree(2));
    EXPECT_EQ(6, g_realPlain(2));
    INTERCEPT_TRAMPOLINE_INFO info = {};
    ASSERT_TRUE(InterceptDescribeTrampoline(Slot(&g_realPlain), &info));
    EXPECT_EQ(*static_cast<void**>(slot), info.pTarget);
    ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_realPlain), Fn(PlusThousand)));
    EXPECT_EQ(thunk, g_realPlain);  // exactly what it held
    EXPECT_EQ(6, CalleeTimesThree(2));
}

TEST(Entry, OtherJumpsAtTheEntryAreCodeOfTheirOwn) {
    CodeBuffer buffer;
    buffer.Put(0, Hex("89C8 01C0 C3"));  // mov eax,ecx / add eax,eax / ret
    for (size_t stub : {64, 128}) {      // jmp 0
        buffer.Put(stub, Hex("E900000000"));
        buffer.PutRel32(stub + 1, stub + 5, buffer.at(0));
    }
    buffer.PutPointer(256, buffer.at(0));
    buffer.Put(192, Hex("FF2500000000"));  // jmp [256]: a pointer that is no import slot
    buffer.PutMemoryOperand(194, 198, buffer.at(256));
    const std::vector<BYTE> before = buffer.Snapshot(0, 256);
    for (size_t entry : {64, 192}) {
        g_real = buffer.fn(entry);
        ASSERT_EQ(NO_ERROR, AttachOne(Slot(&g_real), Fn(PlusTen)));
        EXPECT_EQ(16, buffer.fn(entry)(3));
        EXPECT_EQ(6, buffer.fn(128)(3));
        EXPECT_EQ(6, g_real(3));
        EXPECT_EQ(0, std::memcmp(before.data(), buffer.at(0), 5));  // the body is untouched
        ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_real), Fn(PlusTen)));
        EXPECT_EQ(before, buffer.Snapshot(0, 256));
    }
}

TEST(Entry, HotPatchedEntryKeepsTheOtherToolsReplacement) {
    CodeBuffer buffer;
    // Five int3 above the entry at 64: mov edi,edi / mov eax,ecx / add eax,eax / ret.
    buffer.Put(59, Hex("CCCCCCCCCC 8BFF 89C8 01C0 C3"));
    const FastFn f = buffer.fn(64);
    ASSERT_EQ(8, f(4));
    // The other tool: jmp to its replacement above the entry, jmp $-5 at it.
    g_other = buffer.fn(66);
    buffer.Put(59, Hex("E900000000 EBF9"));
    buffer.PutRel32(60, 64, Fn(OtherToolDetour));
    const std::vector<BYTE> patched = buffer.Snapshot(59, 12);
    ASSERT_EQ(508, f(4));
    g_real = f;
    ASSERT_EQ(NO_ERROR, AttachOne(Slot(&g_real), Fn(PlusTen))) << OnlyRefusal();
    INTERCEPT_TRAMPOLINE_INFO info = {};
    ASSERT_TRUE(InterceptDescribeTrampoline(Slot(&g_real), &info));
    EXPECT_EQ(buffer.at(59), info.pTarget);
    EXPECT_EQ(0xEB, buffer.at(64)[0]);
    EXPECT_EQ(518, f(4));  // ours, the other tool's, the function
    EXPECT_EQ(508, g_real(4));
    ASSERT_EQ(NO_ERROR, DetachOne(Slot(&g_real), Fn(PlusTen)));
    EXPECT_EQ(patched, buffer.Snapshot(59, 12));
}
