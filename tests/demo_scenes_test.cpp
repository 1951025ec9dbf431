// The demo: every scene runs under Wine, exits cleanly and writes a picture,
// and the pictures with Tessel2U differ from the one without it where they
// must: the row-number side bar, the hover band, the selection frame with its
// statistics, and icon glyphs where the plain window shows marker text.
#include <gtest/gtest.h>
#include <windows.h>

#include <cairo.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "temp_folder.h"

namespace {

// The demo window's layout, in client pixels: the grid and the line of
// texts under it (demo/scene.cpp).
const RECT kGrid = {164, 74, 720, 474};
const RECT kSideBar = {165, 75, 210, 474};
const RECT kStatusColumn = {580, 120, 700, 474};
const RECT kInfo = {164, 480, 720, 556};

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    COLORREF At(int x, int y) const {
        const uint32_t p = pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    int Count(const RECT& r, const std::function<bool(COLORREF)>& match) const {
        int n = 0;
        for (int y = r.top; y < r.bottom && y < height; ++y)
            for (int x = r.left; x < r.right && x < width; ++x)
                if (match(At(x, y))) ++n;
        return n;
    }
};

// Runs demo.exe with the arguments and waits for it; its exit code.
DWORD RunDemo(const std::wstring& arguments) {
    std::wstring command = L"demo.exe " + arguments + L" --exit";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 0xFFFFFFFF;
    DWORD code = 0xFFFFFFFE;
    if (WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &code);
    else TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

std::unique_ptr<Picture> Load(const std::string& file) {
    cairo_surface_t* surface = cairo_image_surface_create_from_png(file.c_str());
    std::unique_ptr<Picture> picture;
    if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
        picture.reset(new Picture);
        picture->width = cairo_image_surface_get_width(surface);
        picture->height = cairo_image_surface_get_height(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        const unsigned char* data = cairo_image_surface_get_data(surface);
        for (int y = 0; y < picture->height; ++y)
            for (int x = 0; x < picture->width; ++x)
                picture->pixels.push_back(
                    reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * static_cast<size_t>(stride))[x]);
    }
    cairo_surface_destroy(surface);
    return picture;
}

// The side bar's current-row fill (SelectRowColor of demo.ini).
bool SideBarFill(COLORREF c) { return c == static_cast<COLORREF>(16766378); }
// The hover band: the demo's hover colour, half transparent over the rows.
bool HoverBand(COLORREF c) {
    return GetRValue(c) > 235 && GetGValue(c) > 200 && GetBValue(c) > 120 && GetBValue(c) < 200;
}
// The selection frame: red, anti-aliased into its neighbours.
bool Frame(COLORREF c) {
    const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
    return r > 150 && r - g > 60 && r - b > 60 && std::abs(g - b) < 30;
}

int Differing(const Picture& a, const Picture& b, const RECT& r) {
    int n = 0;
    for (int y = r.top; y < r.bottom && y < a.height && y < b.height; ++y)
        for (int x = r.left; x < r.right && x < a.width && x < b.width; ++x)
            if (a.At(x, y) != b.At(x, y)) ++n;
    return n;
}
// Glyphs of the status column: orange warnings, green checks.
bool Glyph(COLORREF c) {
    return (GetRValue(c) > 200 && GetGValue(c) > 90 && GetGValue(c) < 190 && GetBValue(c) < 90) ||
           (GetGValue(c) > 100 && GetRValue(c) < 90 && GetBValue(c) < 90);
}

class DemoScenes : public ::testing::Test {
protected:
    // Every scene once, its picture in the suite's own folder.
    static void SetUpTestSuite() {
        TempFolder folder;
        for (const wchar_t* scene :
             {L"overview", L"hover", L"selection", L"pageinfo", L"titles", L"progress", L"icons", L"skin", L"preview"})
            Run(folder, scene, std::wstring(L"--scene ") + scene);
        Run(folder, L"without", L"--without-tessel");
        Run(folder, L"selection-220", L"--runtime 220 --scene selection");  // the unversioned runtime
    }
    static void Run(const TempFolder& folder, const std::wstring& name, const std::wstring& arguments) {
        const std::wstring file = folder.File(L"demo-" + name + L".png");
        codes()[name] = RunDemo(arguments + L" --screenshot \"" + file + L"\"");
        char narrow[MAX_PATH * 3] = {};
        WideCharToMultiByte(CP_UTF8, 0, file.c_str(), -1, narrow, sizeof narrow, nullptr, nullptr);
        pictures()[name] = Load(narrow);
    }
    static std::map<std::wstring, DWORD>& codes() {
        static std::map<std::wstring, DWORD> c;
        return c;
    }
    static std::map<std::wstring, std::unique_ptr<Picture>>& pictures() {
        static std::map<std::wstring, std::unique_ptr<Picture>> p;
        return p;
    }
    static const Picture& Shot(const std::wstring& name) { return *pictures()[name]; }
};

}  // namespace

TEST_F(DemoScenes, EverySceneRunsAndWritesItsPicture) {
    for (const auto& entry : codes()) {
        const std::string name(entry.first.begin(), entry.first.end());
        EXPECT_EQ(0u, entry.second) << name;
        ASSERT_TRUE(pictures()[entry.first]) << name;
        EXPECT_GE(pictures()[entry.first]->width, 900) << name;
        EXPECT_GE(pictures()[entry.first]->height, 560) << name;
    }
    EXPECT_EQ(11u, codes().size());
    EXPECT_EQ(2u, RunDemo(L"--scene nosuchscene"));
    EXPECT_EQ(1u, RunDemo(L"--runtime 999 --exit"));  // no such stand-in runtime
}

TEST_F(DemoScenes, DecorationsShowOnlyWithTessel) {
    ASSERT_TRUE(pictures()[L"overview"] && pictures()[L"without"] && pictures()[L"hover"] && pictures()[L"selection"]);
    // The side bar's current row.
    EXPECT_GT(Shot(L"overview").Count(kSideBar, SideBarFill), 400);  // a filled cell, not a focus frame
    EXPECT_EQ(0, Shot(L"without").Count(kSideBar, SideBarFill));
    // Icons instead of the markers' text.
    EXPECT_GT(Shot(L"overview").Count(kStatusColumn, Glyph), 100);
    EXPECT_EQ(0, Shot(L"without").Count(kStatusColumn, Glyph));
    // The hover band, over one row only.
    const int band = Shot(L"hover").Count(kGrid, HoverBand) - Shot(L"overview").Count(kGrid, HoverBand);
    EXPECT_GT(band, 1000);
    EXPECT_LT(band, 20 * 560);
    // The selection's frame and its statistics in the information text.
    EXPECT_GT(Shot(L"selection").Count(kGrid, Frame), 100);
    EXPECT_EQ(0, Shot(L"overview").Count(kGrid, Frame));
    EXPECT_GT(Differing(Shot(L"selection"), Shot(L"overview"), kInfo), 300);
}

TEST_F(DemoScenes, TheUnversionedRuntimeIsDecoratedAlike) {
    ASSERT_TRUE(pictures()[L"selection-220"] && pictures()[L"selection"]);
    const Picture& unversioned = Shot(L"selection-220");
    EXPECT_GT(unversioned.Count(kSideBar, SideBarFill), 400);
    EXPECT_GT(unversioned.Count(kStatusColumn, Glyph), 100);
    EXPECT_GT(unversioned.Count(kGrid, Frame), 100);
    // The grid is the same DataWindow painted the same way; only the caption
    // line above it names the other runtime.
    EXPECT_EQ(0, Differing(unversioned, Shot(L"selection"), kGrid));
}
