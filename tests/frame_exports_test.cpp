// The export table of Tessel2U.dll as a PowerBuilder application sees it:
// seventeen plain, undecorated names that GetProcAddress resolves.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {

const std::set<std::string> kExports = {
    "StartTessel",      "StopTessel",          "AttachDatawindow", "DettachDatawindow",
    "ReplaceSysColor",  "SetSkinFile",         "AddDatawindowTitle", "ModifyDatawindowTitle",
    "SetSpanTitle",     "SetIconfont",         "PrintDebugString", "SetDebugWindowColor",
    "OpenDebugWindow",  "CloseDebugWindow",    "DWAbout",          "GetAddColumnSyntax",
    "AddSystemEnv"};

// Names in the module's export directory, read from the mapped image.
std::vector<std::string> ExportNames(HMODULE h) {
    std::vector<std::string> names;
    auto base = reinterpret_cast<const BYTE*>(h);
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (!dir.VirtualAddress) return names;
    auto exp = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
    auto nameRvas = reinterpret_cast<const DWORD*>(base + exp->AddressOfNames);
    for (DWORD i = 0; i < exp->NumberOfNames; ++i)
        names.emplace_back(reinterpret_cast<const char*>(base + nameRvas[i]));
    return names;
}

}  // namespace

TEST(Exports, ExactlySeventeenUndecoratedNames) {
    HMODULE h = LoadLibraryW(L"Tessel2U.dll");
    ASSERT_NE(h, nullptr) << "LoadLibrary failed: " << GetLastError();

    std::vector<std::string> names = ExportNames(h);
    std::set<std::string> got(names.begin(), names.end());
    EXPECT_EQ(names.size(), kExports.size());
    EXPECT_EQ(got, kExports);
    for (const std::string& n : names) {
        EXPECT_EQ(n.find('@'), std::string::npos) << n;
        EXPECT_NE(n[0], '_') << n;
    }
    for (const std::string& n : kExports)
        EXPECT_NE(GetProcAddress(h, n.c_str()), nullptr) << n;
    // Decorated stdcall names must not resolve.
    EXPECT_EQ(GetProcAddress(h, "_StartTessel@0"), nullptr);
    EXPECT_EQ(GetProcAddress(h, "StartTessel@0"), nullptr);
    FreeLibrary(h);
}

TEST(Exports, SafeCallsReturnTheirFixedResults) {
    HMODULE h = LoadLibraryW(L"Tessel2U.dll");
    ASSERT_NE(h, nullptr);
    using Fn5 = int(WINAPI*)(HWND, int, int, int, int);
    using FnText = int(WINAPI*)(LPCWSTR);
    auto getAdd = reinterpret_cast<Fn5>(reinterpret_cast<void*>(GetProcAddress(h, "GetAddColumnSyntax")));
    auto print = reinterpret_cast<FnText>(reinterpret_cast<void*>(GetProcAddress(h, "PrintDebugString")));
    ASSERT_TRUE(getAdd && print);
    // stdcall: a wrong argument count would unbalance the stack and crash here.
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(getAdd(nullptr, 1, 2, 3, 4), 0);
        EXPECT_EQ(print(L"not shown"), 0);
        EXPECT_EQ(print(nullptr), 0);
    }
    FreeLibrary(h);
}
