// An application folder made from a release package: the package unpacked
// into an empty folder, this program and the stand-in runtime copied beside
// it, nothing of the build on the search path (tests/package_run.cmake sets
// that up). The library must load from the folder with what the package
// ships (a DLL it imports that neither the package nor the system provides
// makes the load fail), attach a DataWindow and draw icon glyphs with the
// font beside it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "dib.h"
#include "message_pump.h"
#include "pbsim_runtime.h"
#include "tessel_dll.h"

// Catches a file missing from the package; the library loaded from elsewhere or not at all, or unable to reach the
// runtime beside it (attaching a grid in PowerBuilder units lines its header text and column up with the borders) or
// the font beside it (glyph 61447, a star, in red).
TEST(ApplicationFolder, TheLibraryLoadsFromTheFolderAttachesAGridAndDrawsWithTheShippedFont) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring folder(path, wcsrchr(path, L'\\') + 1);
    for (const wchar_t* file : {L"Tessel2U.dll", L"iconfont.ttf", L"n_tessel.sru", L"tessel.ini", L"skin.ini",
                                L"README.md", L"CHANGELOG.md", L"LICENSE", L"THIRD-PARTY-NOTICES.txt"})
        EXPECT_NE(GetFileAttributesW((folder + file).c_str()), INVALID_FILE_ATTRIBUTES) << std::wstring(file);
    TesselDll dll;
    ASSERT_NE(dll.h, nullptr) << "LoadLibrary failed with error " << GetLastError();
    GetModuleFileNameW(dll.h, path, MAX_PATH);
    EXPECT_EQ(lstrcmpiW(path, (folder + L"Tessel2U.dll").c_str()), 0);

    PbsimRuntime pb(105);
    ASSERT_TRUE(pb.ok()) << "the stand-in runtime beside the exe";
    ASSERT_EQ(dll.StartTessel(), 1);
    HWND dw = pb.Create(
        L"release 10;\ndatawindow(units=0 processing=1)\nheader(height=100)\ndetail(height=68)\n"
        L"table(column=(type=long name=a dbname=\"a\"))\n"
        L"text(band=header text=\"A\" x=\"5\" y=\"4\" height=\"64\" width=\"300\" name=a_t)\n"
        L"column(band=detail id=1 x=\"5\" y=\"4\" height=\"60\" width=\"300\" name=a)\n");
    ASSERT_NE(dw, nullptr) << pb.LastError();
    PumpMessages();
    pb.ClearModifyLog(dw);
    EXPECT_EQ(dll.AttachDatawindow(dw, nullptr), 1);
    EXPECT_EQ(pb.ModifyLog(dw),
              (std::vector<std::wstring>{L"#1.Y='0'", L"#1.Height='64'", L"a_t.Y='0'", L"a_t.Height='100'"}));
    DestroyWindow(dw);

    Dib canvas(200, 40);
    canvas.Fill(RGB(255, 255, 255));
    TextOutW(canvas.Dc(), 10, 10, L"iconfont{61447:255}", 19);
    EXPECT_GT(canvas.Count(RECT{0, 0, 200, 40},
                           [](COLORREF c) { return GetRValue(c) > 200 && GetGValue(c) < 80 && GetBValue(c) < 80; }),
              20);
    EXPECT_EQ(dll.StopTessel(), 1);
}
