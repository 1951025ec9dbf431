// System colours from the skin file: SetSkinFile reads section "SysColor" of
// a file beside the library or at a full path into the replacement table,
// which every caller of GetSysColor in the process then sees; colours given by
// ReplaceSysColor are lost to an existing file and kept by a missing one.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "ini_file.h"
#include "pbsim_runtime.h"
#include "tessel_dll.h"

namespace {

class SkinSysColors : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pb.ok());
        ASSERT_NE(nullptr, dll.h);
        // The colours of the operating system, before anything is replaced.
        for (int i = 0; i < 31; ++i) system[i] = GetSysColor(i);
        ASSERT_EQ(dll.StartTessel(), 1);
    }
    void TearDown() override {
        // The table outlives the stop: an existing file without the section empties it.
        IniFile empty(dll.h, L"skin_sys_colors_empty.ini", "[Other]\r\nx=1\r\n");
        dll.SetSkinFile(empty.Name());
        dll.StopTessel();
    }
    PbsimRuntime pb{105};
    TesselDll dll;
    COLORREF system[31] = {};
};

}  // namespace

TEST_F(SkinSysColors, FileBesideTheLibraryByBareName) {
    IniFile skin(dll.h, L"skin_sys_colors_bare.ini",
                 "; the demo's colours\r\n"
                 "[SysColor]\r\n"
                 "5=16777215\r\n"
                 "8=  255\r\n"
                 "15=\r\n"
                 "16=65280\r\n"
                 "16=16711680\r\n"  // a later line with the same index wins
                 "[ScrollBar]\r\n"
                 "ScrollDefault=1\r\n");
    dll.ReplaceSysColor(15, RGB(1, 2, 3));
    ASSERT_EQ(RGB(1, 2, 3), GetSysColor(15));
    EXPECT_EQ(1, dll.SetSkinFile(skin.Name()));
    EXPECT_EQ(0xFFFFFFu, GetSysColor(5));
    EXPECT_EQ(255u, GetSysColor(8));
    EXPECT_EQ(16711680u, GetSysColor(16));
    EXPECT_EQ(system[12], GetSysColor(12));  // not in the file: the system's colour
    // "15=" fixes index 15 at the colour the system had when the file was
    // read: the replaced colour is gone, and a later change of the system's
    // colour does not reach the callers.
    EXPECT_EQ(system[15], GetSysColor(15));
    const INT indexes[] = {15, 12};
    const COLORREF changed[] = {system[15] ^ 0x00404040, system[12] ^ 0x00404040};
    ASSERT_TRUE(SetSysColors(2, indexes, changed));
    const COLORREF fixed = GetSysColor(15);
    const COLORREF free = GetSysColor(12);  // not in the file: follows the system
    const COLORREF original[] = {system[15], system[12]};
    SetSysColors(2, indexes, original);
    EXPECT_EQ(system[15], fixed);
    EXPECT_EQ(changed[1], free);
}

TEST_F(SkinSysColors, FullPathAndReplacedColours) {
    IniFile skin(dll.h, L"skin_sys_colors_full.ini", "[SysColor]\r\n8=4210752\r\n");
    // An existing file replaces the whole table: a replaced colour that the
    // file does not set again is lost.
    dll.ReplaceSysColor(COLOR_BTNFACE, RGB(200, 10, 10));
    EXPECT_EQ(1, dll.SetSkinFile(skin.Path()));
    EXPECT_EQ(4210752u, GetSysColor(8));
    EXPECT_EQ(system[COLOR_BTNFACE], GetSysColor(COLOR_BTNFACE));
    // A missing file leaves the table as it is, replaced colours included.
    dll.ReplaceSysColor(COLOR_BTNFACE, RGB(200, 10, 10));
    EXPECT_EQ(1, dll.SetSkinFile(L"Z:\\no\\such\\folder\\skin.ini"));
    EXPECT_EQ(1, dll.SetSkinFile(L"no_such_skin_file.ini"));
    EXPECT_EQ(RGB(200, 10, 10), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(4210752u, GetSysColor(8));
    // A folder is not a file.
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    EXPECT_EQ(1, dll.SetSkinFile(temp));
    EXPECT_EQ(RGB(200, 10, 10), GetSysColor(COLOR_BTNFACE));
    // An existing file without the section gives every colour back to the system.
    IniFile other(dll.h, L"skin_sys_colors_none.ini", "[ScrollBar]\r\nStyle=2\r\n");
    EXPECT_EQ(1, dll.SetSkinFile(other.Name()));
    EXPECT_EQ(system[COLOR_BTNFACE], GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(system[8], GetSysColor(8));
}

TEST_F(SkinSysColors, GarbageLinesInTheSection) {
    IniFile skin(dll.h, L"skin_sys_colors_garbage.ini",
                 "[SysColor]\r\n"
                 "just some words\r\n"       // no "=": skipped
                 "abc=123\r\n"               // a key that is no number is index 0
                 "6=7=8\r\n"                 // the second piece is the colour
                 "9=12abc\r\n"               // the number stops at the first non-digit
                 "10=-1\r\n"                 // one sign is allowed
                 "11=blue\r\n"               // no digits: 0
                 "\r\n"
                 "13=8421504\r\n");
    EXPECT_EQ(1, dll.SetSkinFile(skin.Name()));
    EXPECT_EQ(123u, GetSysColor(0));
    EXPECT_EQ(7u, GetSysColor(6));
    EXPECT_EQ(12u, GetSysColor(9));
    EXPECT_EQ(0xFFFFFFFFu, GetSysColor(10));
    EXPECT_EQ(0u, GetSysColor(11));
    EXPECT_EQ(8421504u, GetSysColor(13));
    EXPECT_EQ(system[12], GetSysColor(12));
    // A null path changes nothing.
    EXPECT_EQ(1, dll.SetSkinFile(nullptr));
    EXPECT_EQ(8421504u, GetSysColor(13));
}
