// The demo: every scene runs, exits cleanly and writes a picture; with Tessel2U the pictures differ from the one
// without it where they must: the side bar, the hover band, the selection frame and its statistics, icon glyphs.
#include <gtest/gtest.h>
#include <windows.h>

#include <cairo.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "temp_folder.h"

namespace {

// The demo window's layout in client pixels (demo/scene.cpp): the grid, its side bar, the status column with its
// icons and the line of texts under the grid.
const RECT kGrid = {164, 74, 720, 474};
const RECT kSideBar = {165, 75, 210, 474};
const RECT kStatusColumn = {580, 120, 700, 474};
const RECT kInfo = {164, 480, 720, 556};

// A PNG the demo wrote, read through cairo; empty when it could not be read.
struct Picture {
    explicit Picture(const std::string& file) : surface(cairo_image_surface_create_from_png(file.c_str())) {}
    ~Picture() { cairo_surface_destroy(surface); }
    bool Ok() const {
        return cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS && cairo_image_surface_get_width(surface) >= 900 &&
               cairo_image_surface_get_height(surface) >= 560;
    }
    COLORREF At(int x, int y) const {
        const unsigned char* row = cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
        const uint32_t p = reinterpret_cast<const uint32_t*>(row)[x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    int Count(const RECT& r, const std::function<bool(COLORREF)>& match) const {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) n += match(At(x, y));
        return n;
    }
    int Differing(const Picture& other, const RECT& r) const {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) n += At(x, y) != other.At(x, y);
        return n;
    }
    cairo_surface_t* surface;
};

// Runs demo.exe with the arguments; its exit code.
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

bool SideBarFill(COLORREF c) { return c == 16766378u; }  // SelectRowColor of demo.ini
bool HoverBand(COLORREF c) {
    return GetRValue(c) > 235 && GetGValue(c) > 200 && GetBValue(c) > 120 && GetBValue(c) < 200;
}
bool Frame(COLORREF c) {  // red, anti-aliased into its neighbours
    const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
    return r > 150 && r - g > 60 && r - b > 60 && std::abs(g - b) < 30;
}
bool Glyph(COLORREF c) {  // orange warnings, green checks
    return (GetRValue(c) > 200 && GetGValue(c) > 90 && GetGValue(c) < 190 && GetBValue(c) < 90) ||
           (GetGValue(c) > 100 && GetRValue(c) < 90 && GetBValue(c) < 90);
}

}  // namespace

TEST(DemoScenes, EverySceneRunsAndIsDecoratedOnlyWithTessel) {
    TempFolder folder;
    std::map<std::string, std::unique_ptr<Picture>> shots;
    const char* const scenes[] = {"overview", "hover", "selection", "pageinfo", "titles",     "progress",
                                  "icons",    "skin",  "preview",   "without",  "unversioned"};
    for (const char* scene : scenes) {
        const std::string name = scene;
        const std::wstring file = folder.File(L"demo-" + std::to_wstring(shots.size()) + L".png"),
                           args = name == "without"       ? L"--without-tessel"
                                  : name == "unversioned" ? L"--runtime 220 --scene selection"
                                                          : L"--scene " + std::wstring(name.begin(), name.end());
        EXPECT_EQ(0u, RunDemo(args + L" --screenshot \"" + file + L"\"")) << scene;
        shots[name].reset(new Picture(std::string(file.begin(), file.end())));
        ASSERT_TRUE(shots[name]->Ok()) << scene;
    }
    EXPECT_EQ(2u, RunDemo(L"--scene nosuchscene"));
    EXPECT_EQ(1u, RunDemo(L"--runtime 999"));  // no such stand-in runtime

    const Picture &overview = *shots["overview"], &without = *shots["without"], &selection = *shots["selection"],
                  &unversioned = *shots["unversioned"];
    for (const Picture* decorated : {&overview, &unversioned}) {
        EXPECT_GT(decorated->Count(kSideBar, SideBarFill), 400);  // a filled cell, not a focus frame
        EXPECT_GT(decorated->Count(kStatusColumn, Glyph), 100);
    }
    EXPECT_EQ(0, without.Count(kSideBar, SideBarFill));
    EXPECT_EQ(0, without.Count(kStatusColumn, Glyph));
    const int band = shots["hover"]->Count(kGrid, HoverBand) - overview.Count(kGrid, HoverBand);
    EXPECT_GT(band, 1000);
    EXPECT_LT(band, 20 * 560) << "more than one row";
    EXPECT_GT(selection.Count(kGrid, Frame), 100);
    EXPECT_EQ(0, overview.Count(kGrid, Frame));
    EXPECT_GT(selection.Differing(overview, kInfo), 300) << "the selection's statistics";
    // The unversioned runtime's grid is the same DataWindow painted the same way.
    EXPECT_EQ(0, unversioned.Differing(selection, kGrid));
}
