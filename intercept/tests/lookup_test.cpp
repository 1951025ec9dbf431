// Finding functions by module and name (export, then debug symbols) and
// walking the loaded modules.
#include <gtest/gtest.h>

#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "intercept/intercept.h"

namespace {

std::vector<HMODULE> EnumerateAll() {
    std::vector<HMODULE> modules;
    for (HMODULE m = InterceptEnumerateModules(nullptr); m != nullptr && modules.size() < 4096;
         m = InterceptEnumerateModules(m)) {
        modules.push_back(m);
    }
    return modules;
}

std::set<HMODULE> LoaderModules() {
    std::set<HMODULE> modules;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, GetCurrentProcessId());
    if (snapshot == INVALID_HANDLE_VALUE) return modules;
    MODULEENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Module32FirstW(snapshot, &entry); more; more = Module32NextW(snapshot, &entry)) {
        modules.insert(entry.hModule);
    }
    CloseHandle(snapshot);
    return modules;
}

}  // namespace

TEST(FindFunction, ExportsSymbolsAndMisses) {
    EXPECT_EQ(reinterpret_cast<PVOID>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetTickCount")),
              InterceptFindFunction("kernel32.dll", "GetTickCount"));

    // A module that is not loaded yet is loaded, and stays loaded.
    ASSERT_EQ(nullptr, GetModuleHandleW(L"intercept_symbols.dll"));
    using Hidden = int (*)(int);
    auto visible =
        reinterpret_cast<Hidden>(InterceptFindFunction("intercept_symbols.dll", "intercept_symbols_visible"));
    ASSERT_NE(nullptr, visible);
    HMODULE symbols = GetModuleHandleW(L"intercept_symbols.dll");
    ASSERT_NE(nullptr, symbols);
    EXPECT_EQ(4256, visible(2));

    // Only the debug information knows this one.
    EXPECT_EQ(nullptr, GetProcAddress(symbols, "intercept_symbols_hidden"));
    auto hidden = reinterpret_cast<Hidden>(InterceptFindFunction("intercept_symbols.dll", "intercept_symbols_hidden"));
    std::printf("debug-symbol lookup of intercept_symbols_hidden: %p\n", reinterpret_cast<void*>(hidden));
    ASSERT_NE(nullptr, hidden) << "dbghelp did not resolve the non-exported function";
    EXPECT_EQ(4242 + 7 * 3, hidden(3));

    EXPECT_EQ(nullptr, InterceptFindFunction("intercept_no_such_module.dll", "GetTickCount"));
    EXPECT_EQ(nullptr, InterceptFindFunction("kernel32.dll", "NoSuchFunctionAnywhere"));
    EXPECT_EQ(nullptr, InterceptFindFunction("intercept_symbols.dll", "intercept_symbols_missing"));
    EXPECT_EQ(nullptr, InterceptFindFunction(nullptr, "GetTickCount"));
    EXPECT_EQ(nullptr, InterceptFindFunction("kernel32.dll", nullptr));
    EXPECT_EQ(nullptr, InterceptFindFunction("", ""));
    const std::string overlong(5000, 'x');
    EXPECT_EQ(nullptr, InterceptFindFunction(overlong.c_str(), "GetTickCount"));
    EXPECT_EQ(nullptr, InterceptFindFunction("intercept_symbols.dll", overlong.c_str()));
}

TEST(EnumerateModules, AllLoadedModulesInAStableOrder) {
    const std::vector<HMODULE> first = EnumerateAll();
    ASSERT_FALSE(first.empty());
    for (size_t i = 1; i < first.size(); ++i) EXPECT_LT(first[i - 1], first[i]);
    EXPECT_EQ(LoaderModules(), std::set<HMODULE>(first.begin(), first.end()));
    EXPECT_EQ(first, EnumerateAll());

    // A module loaded since shows up; one mapped as a data file does not.
    HMODULE added = LoadLibraryW(L"comdlg32.dll");
    ASSERT_NE(nullptr, added);
    HMODULE asData = LoadLibraryExW(L"uxtheme.dll", nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    const std::vector<HMODULE> second = EnumerateAll();
    EXPECT_NE(second.end(), std::find(second.begin(), second.end(), added));
    EXPECT_EQ(LoaderModules(), std::set<HMODULE>(second.begin(), second.end()));
    if (asData != nullptr) FreeLibrary(asData);

    EXPECT_EQ(nullptr, InterceptEnumerateModules(reinterpret_cast<HMODULE>(~uintptr_t{0})));
}
