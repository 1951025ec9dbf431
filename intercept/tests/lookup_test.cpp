// Finding functions by module and name (export, then debug symbols) and
// walking the loaded modules.
#include <gtest/gtest.h>

#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include <set>

#include "intercept/intercept.h"

TEST(FindFunction, ExportsSymbolsAndMisses) {
    EXPECT_EQ(reinterpret_cast<PVOID>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetTickCount")),
              InterceptFindFunction("kernel32.dll", "GetTickCount"));
    // A module not loaded yet is loaded and stays loaded; only its debug information knows the hidden function.
    ASSERT_EQ(nullptr, GetModuleHandleW(L"intercept_symbols.dll"));
    const auto hidden =
        reinterpret_cast<int (*)(int)>(InterceptFindFunction("intercept_symbols.dll", "intercept_symbols_hidden"));
    ASSERT_NE(nullptr, hidden) << "the debug symbols did not resolve the hidden function";
    EXPECT_EQ(4263, hidden(3));
    EXPECT_EQ(nullptr, GetProcAddress(GetModuleHandleW(L"intercept_symbols.dll"), "intercept_symbols_hidden"));

    const char* const misses[][2] = {{"intercept_no_such_module.dll", "GetTickCount"},
                                     {"intercept_symbols.dll", "intercept_symbols_missing"},
                                     {nullptr, "GetTickCount"},
                                     {"kernel32.dll", nullptr}};
    for (const auto& miss : misses) EXPECT_EQ(nullptr, InterceptFindFunction(miss[0], miss[1]));
}

// Every module the loader lists, each once; not one mapped as a data file.
TEST(EnumerateModules, AllLoadedModules) {
    ASSERT_NE(nullptr, LoadLibraryExW(L"uxtheme.dll", nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    std::multiset<HMODULE> listed, loader;
    for (HMODULE m = InterceptEnumerateModules(nullptr); m != nullptr && listed.size() < 4096;
         m = InterceptEnumerateModules(m))
        listed.insert(m);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, GetCurrentProcessId());
    MODULEENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Module32FirstW(snapshot, &entry); more; more = Module32NextW(snapshot, &entry))
        loader.insert(entry.hModule);
    CloseHandle(snapshot);
    EXPECT_EQ(loader, listed);
}
