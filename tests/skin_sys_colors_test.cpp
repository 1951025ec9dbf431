// System colours from the skin file: section "SysColor" of a file beside the library or at a full path becomes the
// table every caller of GetSysColor in the process sees; ReplaceSysColor's colours are lost to an existing file.
#include <gtest/gtest.h>
#include <windows.h>

#include "ini_file.h"
#include "tessel_host.h"

namespace {

// The system's own colours of indexes the files leave out are literals during the test.
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
        TesselHost::TearDown();
        SetSysColors(3, kFree, m_saved);
    }
    COLORREF m_saved[3] = {};
};

}  // namespace

// A bare name is looked up beside the library, a full path read as it is; how each line of the section reads; an
// existing file without the section gives every colour back, replaced ones too.
TEST_F(SkinSysColors, SectionLinesFromFileToFile) {
    IniFile skin(dll.h, L"skin_sys_colors_test_bare.ini",
                 "; the demo's colours\r\n[SysColor]\r\n5=16777215\r\n8=  255\r\n15=\r\n16=65280\r\n16=16711680\r\n"
                 "just some words\r\n9=12abc\r\n11=blue\r\n\r\n13=8421504\r\n[ScrollBar]\r\n14=1\r\n");
    dll.ReplaceSysColor(15, RGB(1, 2, 3));
    ASSERT_EQ(RGB(1, 2, 3), GetSysColor(15));
    EXPECT_EQ(1, dll.SetSkinFile(skin.Name()));
    const struct {
        int index;
        COLORREF expected;
    } expected[] = {{5, 0xFFFFFFu},        {8, 255u}, {16, 16711680u}, {12, RGB(21, 22, 23)},
                    {15, RGB(31, 32, 33)}, {9, 12u},  {11, 0u},        {13, 8421504u}};
    for (const auto& e : expected) EXPECT_EQ(e.expected, GetSysColor(e.index)) << e.index;
    EXPECT_NE(1u, GetSysColor(14)) << "a line of another section";

    EXPECT_EQ(1, dll.SetSkinFile(temp.Write(L"full.ini", "[SysColor]\r\n8=4210752\r\n").c_str()));
    EXPECT_EQ(4210752u, GetSysColor(8));
    dll.ReplaceSysColor(12, RGB(200, 10, 10));
    EXPECT_EQ(1, dll.SetSkinFile(temp.Write(L"none.ini", "[ScrollBar]\r\nStyle=2\r\n").c_str()));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(kSystem[i], GetSysColor(kFree[i])) << kFree[i];
}
