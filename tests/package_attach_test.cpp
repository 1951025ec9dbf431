// An application folder made from a release package: the package unpacked
// into an empty folder, this program and the stand-in runtime copied beside
// it, nothing of the build on the search path (tests/package_run.cmake sets
// that up). The library must load from the folder with what the package
// ships, attach a DataWindow and draw icon glyphs with the font beside it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "dib.h"
#include "message_pump.h"
#include "pbsim_runtime.h"
#include "tessel_dll.h"

namespace {

std::wstring Folder(HMODULE module) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(module, path, MAX_PATH);
    const std::wstring s = path;
    return s.substr(0, s.find_last_of(L"\\/"));
}

bool FileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The application's folder: where this program lies and runs.
class ApplicationFolder : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t current[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, current);
        ASSERT_EQ(lstrcmpiW(current, exeFolder.c_str()), 0) << "the application runs in its own folder";
    }
    const std::wstring exeFolder = Folder(nullptr);
};

}  // namespace

// Catches a file missing from the package, the library loaded from elsewhere,
// and an imported DLL that neither the package nor the system provides.
TEST_F(ApplicationFolder, PackageFilesAndTheLibraryLoadFromTheFolder) {
    for (const wchar_t* file : {L"Tessel2U.dll", L"iconfont.ttf", L"n_tessel.sru", L"tessel.ini", L"skin.ini",
                                L"README.md", L"CHANGELOG.md", L"LICENSE", L"THIRD-PARTY-NOTICES.txt"})
        EXPECT_TRUE(FileExists(exeFolder + L"\\" + file)) << std::wstring(file);
    HMODULE dll = LoadLibraryW(L"Tessel2U.dll");
    ASSERT_NE(dll, nullptr) << "LoadLibrary failed with error " << GetLastError();
    EXPECT_EQ(lstrcmpiW(Folder(dll).c_str(), exeFolder.c_str()), 0);
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const BYTE* base = reinterpret_cast<const BYTE*>(dll);
    const auto* nt =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    std::vector<std::string> imports;
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
         dir.VirtualAddress && d->Name; ++d)
        imports.emplace_back(reinterpret_cast<const char*>(base + d->Name));
    const IMAGE_DATA_DIRECTORY& delayed = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT];
    for (auto* d = reinterpret_cast<const IMAGE_DELAYLOAD_DESCRIPTOR*>(base + delayed.VirtualAddress);
         delayed.VirtualAddress && d->DllNameRVA; ++d)
        imports.emplace_back(reinterpret_cast<const char*>(base + d->DllNameRVA));
    EXPECT_FALSE(imports.empty());
    for (const std::string& name : imports) {
        const std::wstring wide(name.begin(), name.end());
        EXPECT_TRUE(FileExists(exeFolder + L"\\" + wide) || FileExists(std::wstring(system) + L"\\" + wide))
            << name << " is neither in the package nor a system library";
    }
    FreeLibrary(dll);
}

// Catches a library that cannot reach the runtime beside it: attaching a grid
// in PowerBuilder units lines its header texts and columns up with the borders.
TEST_F(ApplicationFolder, AttachPreparesTheGridOfTheRuntime) {
    PbsimRuntime pb(105);
    ASSERT_TRUE(pb.ok()) << "the stand-in runtime beside the exe";
    TesselDll dll;
    ASSERT_EQ(dll.StartTessel(), 1);
    HWND dw = pb.Create(
        L"release 10;\ndatawindow(units=0 processing=1 color=16777215 selected.mouse=no)\n"
        L"header(height=100 color=\"12632256\")\ndetail(height=68 color=\"16777215\")\n"
        L"table(column=(type=long name=a dbname=\"a\") column=(type=char(10) name=b dbname=\"b\"))\n"
        L"text(band=header text=\"A\" border=\"2\" x=\"5\" y=\"4\" height=\"64\" width=\"300\" name=a_t)\n"
        L"text(band=header text=\"B\" border=\"0\" x=\"309\" y=\"4\" height=\"64\" width=\"300\" name=b_t)\n"
        L"column(band=detail id=1 x=\"5\" y=\"4\" height=\"60\" width=\"300\" name=a visible=\"1\")\n"
        L"column(band=detail id=2 x=\"309\" y=\"4\" height=\"60\" width=\"300\" name=b visible=\"1\")\n");
    ASSERT_NE(dw, nullptr) << pb.LastError();
    PumpMessages();
    pb.ClearModifyLog(dw);
    EXPECT_EQ(dll.AttachDatawindow(dw, nullptr), 1);
    EXPECT_EQ(pb.ModifyLog(dw),
              (std::vector<std::wstring>{L"#1.Y='0'", L"#1.Height='64'", L"#2.Y='0'", L"#2.Height='64'", L"a_t.Y='0'",
                                         L"a_t.Height='92'", L"b_t.Y='0'", L"b_t.Height='100'"}));
    EXPECT_EQ(dll.DettachDatawindow(dw), 1);
    EXPECT_EQ(dll.StopTessel(), 1);
    DestroyWindow(dw);
}

// Catches iconfont.ttf missing or unreadable: glyph 61447 (a star) in red.
TEST_F(ApplicationFolder, IconTextDrawsTheGlyphOfTheShippedFont) {
    TesselDll dll;
    ASSERT_EQ(dll.StartTessel(), 1);
    Dib canvas(200, 40);
    ASSERT_TRUE(canvas.Ok());
    canvas.Fill(RGB(255, 255, 255));
    HFONT font = CreateFontW(-20, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial");
    HGDIOBJ previous = SelectObject(canvas.Dc(), font);
    SetBkMode(canvas.Dc(), TRANSPARENT);
    TextOutW(canvas.Dc(), 10, 10, L"iconfont{61447:255}", 19);
    const int red = canvas.Count(
        RECT{0, 0, 200, 40}, [](COLORREF c) { return GetRValue(c) > 200 && GetGValue(c) < 80 && GetBValue(c) < 80; });
    SelectObject(canvas.Dc(), previous);
    DeleteObject(font);
    EXPECT_EQ(dll.StopTessel(), 1);
    EXPECT_GT(red, 20);
}
