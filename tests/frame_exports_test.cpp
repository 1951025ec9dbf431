// The export table of Tessel2U.dll as a PowerBuilder application sees it:
// eighteen plain, undecorated names that GetProcAddress resolves.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <set>
#include <string>
#include <vector>

namespace {

const std::set<std::string> kExports = {
    "StartTessel",      "StopTessel",          "AttachDatawindow", "DettachDatawindow",
    "ReplaceSysColor",  "SetSkinFile",         "AddDatawindowTitle", "ModifyDatawindowTitle",
    "SetSpanTitle",     "SetIconfont",         "PrintDebugString", "SetDebugWindowColor",
    "OpenDebugWindow",  "CloseDebugWindow",    "DWAbout",          "GetAddColumnSyntax",
    "AddSystemEnv",     "SetInfoLabel"};

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

TEST(Exports, ExactlyEighteenUndecoratedNames) {
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

namespace {

// SetInfoLabel's answer: 1 for the eight label keys (letter case ignored),
// whatever the label, null and empty included; 0 for anything else.
struct LabelCall {
    const wchar_t* key;
    const wchar_t* label;
    int expected;
};

const LabelCall kLabelCalls[] = {
    {L"sumlabel", L"Sum", 1},
    {L"avglabel", L"Average", 1},
    {L"maxlabel", L"Maximum", 1},
    {L"minlabel", L"Minimum", 1},
    {L"rowcountlabel", L"Rows", 1},
    {L"firstrowlabel", L"First row", 1},
    {L"lastrowlabel", L"Last row", 1},
    {L"currentrowlabel", L"Current row", 1},
    {L"SUMLABEL", L"Sum", 1},
    {L"CurrentRowLabel", L"%s%n", 1},
    {L"sumlabel", nullptr, 1},
    {L"sumlabel", L"", 1},
    {L"sumlabel", L"0123456789012345678901234567890123456789012345678901234567890123456789", 1},
    {L"sum", L"Sum", 0},
    {L"sumlabels", L"Sum", 0},
    {L" sumlabel", L"Sum", 0},
    {L"sumlabel ", L"Sum", 0},
    {L"lineColor", L"255", 0},
    {L"", L"Sum", 0},
    {nullptr, L"Sum", 0},
    {nullptr, nullptr, 0},
};

}  // namespace

// Before StartTessel as after StopTessel: the labels need no started library
// and show no message box.
TEST(Exports, SetInfoLabelAnswersForTheEightKeysOnly) {
    HMODULE h = LoadLibraryW(L"Tessel2U.dll");
    ASSERT_NE(h, nullptr);
    using FnLabel = int(WINAPI*)(LPCWSTR, LPCWSTR);
    auto setLabel = reinterpret_cast<FnLabel>(reinterpret_cast<void*>(GetProcAddress(h, "SetInfoLabel")));
    ASSERT_NE(setLabel, nullptr);
    for (const LabelCall& c : kLabelCalls) {
        EXPECT_EQ(setLabel(c.key, c.label), c.expected)
            << "key " << (c.key ? std::string(c.key, c.key + wcslen(c.key)) : std::string("null"));
    }
    for (const LabelCall& c : kLabelCalls)
        if (c.expected == 1) setLabel(c.key, nullptr);
    FreeLibrary(h);
}
