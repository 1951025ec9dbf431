// System colours from the skin file: section "SysColor" of a file beside the
// library or at a full path becomes the replacement table every caller of
// GetSysColor in the process sees; ReplaceSysColor's colours are lost to an
// existing file and kept by a missing one.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "ini_file.h"
#include "tessel_host.h"

namespace {

// The system's own colours of the indexes the files leave out are set to
// literals for the test and given back after it.
const INT kFree[] = {8, 12, 15};
const COLORREF kSystem[] = {RGB(11, 12, 13), RGB(21, 22, 23), RGB(31, 32, 33)};

class SkinSysColors : public TesselHost {
protected:
    void SetUp() override {
        for (int i = 0; i < 3; ++i) m_saved[i] = GetSysColor(kFree[i]);
        ASSERT_TRUE(SetSysColors(3, kFree, kSystem));
        TesselHost::SetUp();
    }
    void TearDown() override {
        // The table outlives the stop: an existing file without the section empties it.
        dll.SetSkinFile(temp.Write(L"empty.ini", "[Other]\r\nx=1\r\n").c_str());
        TesselHost::TearDown();
        SetSysColors(3, kFree, m_saved);
    }
    COLORREF m_saved[3] = {};
};

}  // namespace

// A bare name is looked up beside the library (the name is this program's
// own); blanks, an empty value, a repeated index.
TEST_F(SkinSysColors, FileBesideTheLibraryByBareName) {
    IniFile skin(dll.h, L"skin_sys_colors_test_bare.ini",
                 "; the demo's colours\r\n[SysColor]\r\n5=16777215\r\n8=  255\r\n15=\r\n16=65280\r\n"
                 "16=16711680\r\n[ScrollBar]\r\nScrollDefault=1\r\n");
    dll.ReplaceSysColor(15, RGB(1, 2, 3));
    ASSERT_EQ(RGB(1, 2, 3), GetSysColor(15));
    EXPECT_EQ(1, dll.SetSkinFile(skin.Name()));
    EXPECT_EQ(0xFFFFFFu, GetSysColor(5));
    EXPECT_EQ(255u, GetSysColor(8));
    EXPECT_EQ(16711680u, GetSysColor(16));        // the later line wins
    EXPECT_EQ(RGB(21, 22, 23), GetSysColor(12));  // not in the file: the system's
    EXPECT_EQ(RGB(31, 32, 33), GetSysColor(15));  // "15=": the system's when read
    // A later change of the system's colours reaches index 12 but not the fixed 15.
    const INT indexes[] = {15, 12};
    const COLORREF changed[] = {RGB(41, 42, 43), RGB(51, 52, 53)};
    ASSERT_TRUE(SetSysColors(2, indexes, changed));
    EXPECT_EQ(RGB(31, 32, 33), GetSysColor(15));
    EXPECT_EQ(RGB(51, 52, 53), GetSysColor(12));
}

TEST_F(SkinSysColors, FullPathMissingFilesAndReplacedColours) {
    const std::wstring full = temp.Write(L"full.ini", "[SysColor]\r\n8=4210752\r\n");
    dll.ReplaceSysColor(COLOR_BTNFACE, RGB(200, 10, 10));
    EXPECT_EQ(1, dll.SetSkinFile(full.c_str()));
    EXPECT_EQ(4210752u, GetSysColor(8));
    EXPECT_EQ(RGB(31, 32, 33), GetSysColor(COLOR_BTNFACE));  // the replaced colour is lost
    // Missing files, a folder and a null path leave the table as it is.
    dll.ReplaceSysColor(COLOR_BTNFACE, RGB(200, 10, 10));
    for (const wchar_t* name : {L"Z:\\no\\such\\folder\\skin.ini", L"skin_sys_colors_test_missing.ini",
                                temp.Path().c_str(), static_cast<const wchar_t*>(nullptr)}) {
        EXPECT_EQ(1, dll.SetSkinFile(name));
        EXPECT_EQ(RGB(200, 10, 10), GetSysColor(COLOR_BTNFACE));
        EXPECT_EQ(4210752u, GetSysColor(8));
    }
    // An existing file without the section gives every colour back.
    EXPECT_EQ(1, dll.SetSkinFile(temp.Write(L"none.ini", "[ScrollBar]\r\nStyle=2\r\n").c_str()));
    EXPECT_EQ(RGB(31, 32, 33), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(RGB(11, 12, 13), GetSysColor(8));
}

TEST_F(SkinSysColors, GarbageLinesInTheSection) {
    const std::wstring path = temp.Write(L"garbage.ini",
                                         "[SysColor]\r\n"
                                         "just some words\r\n"  // no "=": skipped
                                         "abc=123\r\n"          // a key that is no number is index 0
                                         "6=7=8\r\n"            // the second piece is the colour
                                         "9=12abc\r\n"          // the number stops at the first non-digit
                                         "10=-1\r\n"            // one sign is allowed
                                         "11=blue\r\n"          // no digits: 0
                                         "\r\n"
                                         "13=8421504\r\n");
    EXPECT_EQ(1, dll.SetSkinFile(path.c_str()));
    const struct {
        int index;
        COLORREF expected;
    } expected[] = {{0, 123u}, {6, 7u}, {9, 12u}, {10, 0xFFFFFFFFu}, {11, 0u}, {13, 8421504u}, {12, RGB(21, 22, 23)}};
    for (const auto& e : expected) EXPECT_EQ(e.expected, GetSysColor(e.index)) << e.index;
}
