// The export table of Tessel2U.dll as a PowerBuilder application binds it:
// eighteen plain stdcall names, and the exports that need no started library.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>

#include "export_names.h"
#include "tessel_dll.h"

// Catches a decorated (_Name@n) or missing export.
TEST(Exports, ExactlyTheEighteenUndecoratedNames) {
    TesselDll dll;
    ASSERT_NE(dll.h, nullptr);
    EXPECT_EQ(
        ExportNames(dll.h),
        (std::set<std::string>{"StartTessel", "StopTessel", "AttachDatawindow", "DettachDatawindow", "ReplaceSysColor",
                               "SetSkinFile", "AddDatawindowTitle", "ModifyDatawindowTitle", "SetSpanTitle",
                               "SetIconfont", "PrintDebugString", "SetDebugWindowColor", "OpenDebugWindow",
                               "CloseDebugWindow", "DWAbout", "GetAddColumnSyntax", "AddSystemEnv", "SetInfoLabel"}));
    EXPECT_EQ(GetProcAddress(dll.h, "_StartTessel@0"), nullptr);
    // stdcall with the declared argument count: a wrong one unbalances the
    // stack of the 32-bit caller over a hundred calls.
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(dll.GetAddColumnSyntax(nullptr, 1, 2, 3, 4), 0);
        EXPECT_EQ(dll.PrintDebugString(nullptr), 0);
    }
}

// SetInfoLabel answers 1 for the eight label keys (any letter case, any label)
// and 0 for anything else, started or not and without a message box.
TEST(Exports, SetInfoLabelAnswersForTheEightKeysOnly) {
    TesselDll dll;
    ASSERT_NE(dll.SetInfoLabel, nullptr);
    const struct {
        const wchar_t* key;
        const wchar_t* label;
        int expected;
    } calls[] = {
        {L"sumlabel", L"Sum", 1},
        {L"avglabel", L"Average", 1},
        {L"maxlabel", L"Maximum", 1},
        {L"minlabel", L"Minimum", 1},
        {L"rowcountlabel", L"Rows", 1},
        {L"firstrowlabel", L"First", 1},
        {L"lastrowlabel", L"Last", 1},
        {L"currentrowlabel", L"%s%n", 1},
        {L"SUMLABEL", L"Sum", 1},
        {L"sumlabel", nullptr, 1},
        {L"sumlabel", L"", 1},
        {L"sum", L"Sum", 0},
        {L"sumlabels", L"Sum", 0},
        {L" sumlabel", L"Sum", 0},
        {L"sumlabel ", L"Sum", 0},
        {L"lineColor", L"255", 0},
        {L"", L"Sum", 0},
        {nullptr, L"Sum", 0},
    };
    for (const auto& c : calls) {
        EXPECT_EQ(dll.SetInfoLabel(c.key, c.label), c.expected) << (c.key ? c.key : L"(null)");
        if (c.expected) dll.SetInfoLabel(c.key, nullptr);
    }
}
