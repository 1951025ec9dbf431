// Tessel2U on the exported DataWindows of tests/corpus/datawindows: each opened on the stand-in, attached with every
// decoration on, painted, hovered, selected, scrolled, printed and detached, no modify of the library failing.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "private_messages.h"
#include "resource_census.h"
#include "tessel_host.h"
#include "window_surface.h"

namespace {

const char kSettings[] =
    "[datawindow]\r\nlineStyle=0\r\nlineColor=14211288\r\nbackColor=16777215\r\nAlterColor=15124640\r\n"
    "SelectRowColor=16766378\r\nSelectedColor=16766378\r\nHoverColor=255\r\nHeaderColor=15658734\r\n";

std::wstring CorpusFile(const std::wstring& name) {
    std::string root = TESSEL2U_SOURCE_DIR;
    if (!root.empty() && root[0] == '/') root = "Z:" + root;  // a Unix path seen through Wine
    std::wstring path = std::wstring(root.begin(), root.end()) + L"/tests/corpus/datawindows/" + name;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

class Corpus : public TesselHost {
protected:
    // A client point in a cell of the row, asked of the runtime; (-1, -1) when the row shows no cell.
    POINT CellOf(HWND dw, long row) const {
        RECT client;
        GetClientRect(dw, &client);
        for (int x = 2; x < client.right; x += 4)
            for (int y = 0; y < client.bottom; y += 2) {
                LONG r = 0, c = 0;
                pb->GetRowColUnderPoint(dw, x, y, &r, &c);
                if (r == row && c > 0) return POINT{x, y};
            }
        return POINT{-1, -1};
    }
    HWND Open(const std::wstring& name, LONG rows) {
        HWND dw = pb->CreateFromFile(CorpusFile(name).c_str(), rows, 700, 400);
        EXPECT_NE(nullptr, dw) << pb->LastError();
        if (!dw) return nullptr;
        pb->ClearModifyLog(dw);
        EXPECT_EQ(1, dll.AttachDatawindow(dw, settings.c_str()));
        PumpMessages();
        SendMessageW(dw, kSideBarMessage, 0, 1);
        SendMessageW(dw, kHoverColorMessage, 0, 0x0000FF);
        pb->ScriptModify(dw, L"DataWindow.Selected.Mouse=yes", nullptr, 0);
        RedrawWindow(dw, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
        PumpMessages();
        return dw;
    }
    void ExpectEveryModifyTakenAndDetach(HWND dw, const std::string& name) {
        std::vector<std::wstring> results;
        const std::vector<std::wstring> texts = pb->ModifyLog(dw, &results);
        for (size_t i = 0; i < texts.size(); ++i)
            EXPECT_EQ(L"", results[i]) << name << ": " << std::string(texts[i].begin(), texts[i].end());
        EXPECT_EQ(1, dll.DettachDatawindow(dw)) << name;
        DestroyWindow(dw);
        PumpMessages();
    }
    // One life of a DataWindow; true when it was a grid with rows checked.
    bool Exercise(const std::wstring& file) {
        const std::string name(file.begin(), file.end());
        HWND dw = Open(file, 40);
        if (!dw) return false;
        const POINT row1 = pb->Describe(dw, L"DataWindow.Processing") == L"1" ? CellOf(dw, 1) : POINT{-1, -1};
        const POINT row3 = row1.x >= 0 ? CellOf(dw, 3) : row1;
        const bool grid = row3.x >= 0;
        if (grid) {  // the mouse over row 1, then row 3: the band turns row 3's cell red
            SendMessageW(dw, WM_MOUSEMOVE, 0, MAKELPARAM(row1.x, row1.y));
            PumpMessages();
            SendMessageW(dw, WM_MOUSEMOVE, 0, MAKELPARAM(row3.x, row3.y));
            const COLORREF c = WindowSurface(dw, WindowSurface::Client).At(row3.x, row3.y);
            EXPECT_GT(GetRValue(c), GetBValue(c) + 40) << name << ": no hover band";
            PumpMessages();
            SendMessageW(dw, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(row1.x, row1.y));
            SendMessageW(dw, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(row3.x, row3.y));
            SendMessageW(dw, WM_LBUTTONUP, 0, MAKELPARAM(row3.x, row3.y));
            PumpMessages();
            EXPECT_EQ(L"1/3/", pb->Describe(dw, L"DataWindow.Selected").substr(0, 4)) << name;
        }
        for (int i = 0; i < 5; ++i) SendMessageW(dw, WM_VSCROLL, SB_LINEDOWN, 0);
        SendMessageW(dw, WM_HSCROLL, SB_PAGERIGHT, 0);
        UpdateWindow(dw);
        PumpMessages();
        Dib print(800, 1000);
        pb->PrintToDC(dw, print.Dc());
        ExpectEveryModifyTakenAndDetach(dw, name);
        return grid;
    }
    const std::wstring settings = temp.Write(L"corpus.ini", kSettings);
};

}  // namespace

// Catches failing modifies, a missing hover band or selection on real grids, and GDI objects or heap blocks that
// grow over the corpus (counted on the second pass: the first makes what the library keeps for the process).
TEST_F(Corpus, EveryDataWindowAttachedDecoratedAndDetached) {
    std::vector<std::wstring> files;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(CorpusFile(L"*.srd").c_str(), &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    do files.push_back(found.cFileName);
    while (FindNextFileW(find, &found));
    FindClose(find);
    ASSERT_GE(files.size(), 30u);
    for (const std::wstring& file : files) Exercise(file);
    census::ResourceCensus census(dll.h);  // counts from here: nothing made in the second pass may stay
    int grids = 0;
    for (const std::wstring& file : files) grids += Exercise(file);
    const census::Counts& made = census::Now();
    std::printf(
        "corpus: %zu sources, %d grids; library GDI objects made %ld, still live %zu; heap blocks still live %zu\n",
        files.size(), grids, made.gdiCreated, made.gdiLive.size(), made.heapLive.size());
    EXPECT_GE(grids, 5) << "too few grids with rows in the corpus";
    EXPECT_GT(made.gdiCreated, 0) << "the census saw nothing";
    EXPECT_TRUE(made.gdiLive.empty() && made.heapLive.empty());
}

// Catches row numbers beside a grid without rows, and any modify of the library failing on it.
TEST_F(Corpus, GridWithoutRowsShowsNoRowNumbers) {
    HWND empty = Open(L"own_lf_nobom_grid.srd", 0);
    ASSERT_NE(nullptr, empty);
    for (int y = 10; y < 300; y += 20) SendMessageW(empty, WM_MOUSEMOVE, 0, MAKELPARAM(100, y));
    SendMessageW(empty, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 60));
    SendMessageW(empty, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(300, 200));
    SendMessageW(empty, WM_LBUTTONUP, 0, MAKELPARAM(300, 200));
    PumpMessages();
    const WindowSurface window(empty, WindowSurface::WholeWindow);
    EXPECT_EQ(0, window.Count(RECT{4, 60, 44, window.Height() - 2},
                              [](COLORREF c) { return GetRValue(c) + GetGValue(c) < 200; }));
    ExpectEveryModifyTakenAndDetach(empty, "empty");
}
