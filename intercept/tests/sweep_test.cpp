// Every named export in code of the system modules the product intercepts
// from, and of comctl32: attached, committed and detached, its bytes come back.
// Refusals, printed with their reasons, stay below 1% of each module's exports.
//
// The replacement is a stub "jmp [real]" (it changes no register), so a call
// that reaches a hooked export meanwhile (from the engine, the C runtime or
// Wine) runs the original code through the trampoline.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "export_names.h"
#include "intercept_test_support.h"

using namespace intercept_test;

TEST(Sweep, EveryExportOfTheInterceptedModules) {
    CodeBuffer stubs;  // the stub and its variable side by side: jmp [variable] reaches it on x64 too
    auto* real = reinterpret_cast<PVOID*>(stubs.at(64));
    BYTE* stub = stubs.Put(0, Hex("FF2500000000"));
    stubs.PutMemoryOperand(2, 6, real);
    for (const wchar_t* name : {L"user32.dll", L"gdi32.dll", L"kernel32.dll", L"uxtheme.dll", L"usp10.dll",
                                L"comdlg32.dll", L"comctl32.dll"}) {
        HMODULE module = LoadLibraryW(name);
        int exports = 0, refused = 0;
        for (const std::string& function : ExportNames(module)) {
            const auto* address = reinterpret_cast<BYTE*>(GetProcAddress(module, function.c_str()));
            MEMORY_BASIC_INFORMATION memory = {};
            if (!VirtualQuery(address, &memory, sizeof(memory)) || (memory.Protect & 0xF0) == 0) continue;  // data
            const BYTE* end = std::min(address + 16, static_cast<const BYTE*>(memory.BaseAddress) + memory.RegionSize);
            const std::vector<BYTE> before(address, end);
            ++exports;
            *real = const_cast<BYTE*>(address);
            if (AttachOne(real, stub) != NO_ERROR) {
                std::printf("  %ls %s refused: %s\n", name, function.c_str(), LastRefusal().c_str());
                ++refused;
                continue;
            }
            ASSERT_EQ(NO_ERROR, DetachOne(real, stub)) << function;
            EXPECT_EQ(address, *real);
            EXPECT_EQ(before, std::vector<BYTE>(address, end)) << function << " not given back";
        }
        std::printf("%-13ls exports %5d  refused %4d\n", name, exports, refused);
        EXPECT_LT(refused * 100, exports) << name << ": 1% or more refused";
    }
}
