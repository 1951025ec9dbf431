// Finding functions by module and name (export, then debug symbols) and
// walking the loaded modules.
#include <gtest/gtest.h>

#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include <set>
#include <string>
#include <vector>

#include "intercept/intercept.h"

namespace {

std::vector<HMODULE> EnumerateAll() {
    std::vector<HMODULE> modules;
    for (HMODULE m = InterceptEnumerateModules(nullptr); m != nullptr && modules.size() < 4096;
         m = InterceptEnumerateModules(m))
        modules.push_back(m);
    return modules;
}

std::set<HMODULE> LoaderModules() {
    std::set<HMODULE> modules;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, GetCurrentProcessId());
    MODULEENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Module32FirstW(snapshot, &entry); more; more = Module32NextW(snapshot, &entry))
        modules.insert(entry.hModule);
    CloseHandle(snapshot);
    return modules;
}

}  // namespace

TEST(FindFunction, ExportsSymbolsAndMisses) {
    EXPECT_EQ(reinterpret_cast<PVOID>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetTickCount")),
              InterceptFindFunction("kernel32.dll", "GetTickCount"));
    // A module not loaded yet is loaded and stays loaded; only its debug information knows the hidden function.
    ASSERT_EQ(nullptr, GetModuleHandleW(L"intercept_symbols.dll"));
    using Fn = int (*)(int);
    const auto visible =
        reinterpret_cast<Fn>(InterceptFindFunction("intercept_symbols.dll", "intercept_symbols_visible"));
    ASSERT_NE(nullptr, visible);
    EXPECT_EQ(4256, visible(2));
    ASSERT_EQ(nullptr, GetProcAddress(GetModuleHandleW(L"intercept_symbols.dll"), "intercept_symbols_hidden"));
    const auto hidden =
        reinterpret_cast<Fn>(InterceptFindFunction("intercept_symbols.dll", "intercept_symbols_hidden"));
    ASSERT_NE(nullptr, hidden) << "the debug symbols did not resolve the hidden function";
    EXPECT_EQ(4263, hidden(3));

    const std::string overlong(5000, 'x');
    const struct {
        const char* module;
        const char* function;
    } misses[] = {{"intercept_no_such_module.dll", "GetTickCount"},
                  {"kernel32.dll", "NoSuchFunctionAnywhere"},
                  {"intercept_symbols.dll", "intercept_symbols_missing"},
                  {nullptr, "GetTickCount"},
                  {"kernel32.dll", nullptr},
                  {"", ""},
                  {overlong.c_str(), "GetTickCount"},
                  {"intercept_symbols.dll", overlong.c_str()}};
    for (const auto& miss : misses) EXPECT_EQ(nullptr, InterceptFindFunction(miss.module, miss.function));
}

TEST(EnumerateModules, AllLoadedModulesInAStableOrder) {
    const std::vector<HMODULE> first = EnumerateAll();
    ASSERT_FALSE(first.empty());
    for (size_t i = 1; i < first.size(); ++i) EXPECT_LT(first[i - 1], first[i]);
    EXPECT_EQ(LoaderModules(), std::set<HMODULE>(first.begin(), first.end()));
    EXPECT_EQ(first, EnumerateAll());
    // A module loaded since shows up; one mapped as a data file does not.
    ASSERT_NE(nullptr, LoadLibraryW(L"comdlg32.dll"));
    HMODULE asData = LoadLibraryExW(L"uxtheme.dll", nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    const std::vector<HMODULE> second = EnumerateAll();
    EXPECT_EQ(LoaderModules(), std::set<HMODULE>(second.begin(), second.end()));
    EXPECT_NE(first.size(), second.size());
    if (asData != nullptr) FreeLibrary(asData);
    EXPECT_EQ(nullptr, InterceptEnumerateModules(reinterpret_cast<HMODULE>(~uintptr_t{0})));
}
