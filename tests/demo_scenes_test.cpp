// The demo: every scene runs, exits cleanly and writes a picture; with Tessel2U the pictures differ from the one
// without it where they must: the side bar, the hover band, the selection frame and its statistics, icon glyphs.
#include <gtest/gtest.h>
#include <windows.h>

#include <cairo.h>
#include <process.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include "temp_folder.h"

namespace {

// The demo window's layout in client pixels (demo/scene.cpp): the grid, its side bar, the status column with its
// icons and the line of texts under the grid.
const RECT kGrid = {164, 74, 720, 474}, kSideBar = {165, 75, 210, 474}, kStatusColumn = {580, 120, 700, 474},
           kInfo = {164, 480, 720, 556};

// A PNG the demo wrote, read through cairo.
struct Picture {
    explicit Picture(const std::wstring& file)
        : surface(cairo_image_surface_create_from_png(std::string(file.begin(), file.end()).c_str())) {}
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
    // Pixels of r that match; with `other`, pixels of r that differ from it.
    int Count(const RECT& r, bool (*match)(COLORREF), const Picture* other = nullptr) const {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) n += other ? At(x, y) != other->At(x, y) : match(At(x, y));
        return n;
    }
    cairo_surface_t* surface;
};

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
    std::map<std::wstring, std::unique_ptr<Picture>> shots;
    for (const std::wstring name : {L"overview", L"hover", L"selection", L"pageinfo", L"titles", L"progress", L"icons",
                                    L"skin", L"preview", L"without", L"unversioned"}) {
        SCOPED_TRACE(std::string(name.begin(), name.end()));
        const std::wstring file = folder.File(name + L".png");
        const std::wstring args = name == L"without"       ? L"--without-tessel"
                                  : name == L"unversioned" ? L"--runtime 220 --scene selection"
                                                           : L"--scene " + name;
        // msvcrt joins the arguments into the command line as they stand.
        const std::wstring command = args + L" --screenshot \"" + file + L"\" --exit";
        EXPECT_EQ(_wspawnl(_P_WAIT, L"demo.exe", L"demo.exe", command.c_str(), nullptr), 0);
        shots[name].reset(new Picture(file));
        ASSERT_TRUE(shots[name]->Ok());
    }

    const Picture &overview = *shots[L"overview"], &without = *shots[L"without"], &selection = *shots[L"selection"],
                  &unversioned = *shots[L"unversioned"];
    EXPECT_GT(overview.Count(kSideBar, SideBarFill), 400);  // a filled cell, not a focus frame
    EXPECT_GT(overview.Count(kStatusColumn, Glyph), 100);
    EXPECT_EQ(0, without.Count(kSideBar, SideBarFill) + without.Count(kStatusColumn, Glyph));
    const int band = shots[L"hover"]->Count(kGrid, HoverBand) - overview.Count(kGrid, HoverBand);
    EXPECT_TRUE(band > 1000 && band < 20 * 560) << band << " pixels: one row's band";
    EXPECT_GT(selection.Count(kGrid, Frame), 100);
    EXPECT_EQ(0, overview.Count(kGrid, Frame));
    EXPECT_GT(selection.Count(kInfo, nullptr, &overview), 300) << "the selection's statistics";
    // The unversioned runtime's grid is the same DataWindow painted and decorated the same way.
    EXPECT_EQ(0, unversioned.Count(kGrid, nullptr, &selection));
}
