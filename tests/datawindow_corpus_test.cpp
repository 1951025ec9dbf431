// Tessel2U on DataWindows as real applications have them: every exported
// source of tests/corpus/datawindows (real ones from public PowerBuilder
// applications and our own of the same constructs) is opened on the
// stand-in runtime, attached with every decoration visible, painted,
// hovered, selected, scrolled, printed to a memory context and detached.
// No modify that Tessel2U sends may fail; grids show the stripes on even
// rows and the hover band under the pointer; the library's GDI objects and
// heap blocks do not grow over the corpus.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "message_pump.h"
#include "pbsim_runtime.h"
#include "resource_census.h"
#include "tessel_dll.h"
#include "window_surface.h"

namespace {

// AlterColor of the settings: the colour of rows 2, 4, ...
constexpr COLORREF kAlter = 0xE6C8A0;
constexpr COLORREF kHover = 0x0000FF;
constexpr UINT kHoverColor = 11039;
constexpr UINT kSideBar = 11040;

const char kSettings[] =
    "[datawindow]\r\nlineStyle=0\r\nlineColor=14211288\r\nbackColor=16777215\r\nAlterColor=15124640\r\n"
    "SelectRowColor=16766378\r\nSelectedColor=16766378\r\nHoverColor=255\r\nHeaderColor=15658734\r\n";

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

std::wstring CorpusFolder() {
    std::string root = TESSEL2U_SOURCE_DIR;
    if (!root.empty() && root[0] == '/') root = "Z:" + root;  // a Unix path seen through Wine
    std::wstring folder = Wide(root) + L"\\tests\\corpus\\datawindows";
    std::replace(folder.begin(), folder.end(), L'/', L'\\');
    return folder;
}

std::vector<std::wstring> CorpusFiles() {
    std::vector<std::wstring> files;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((CorpusFolder() + L"\\*.srd").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return files;
    do {
        files.push_back(found.cFileName);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    std::sort(files.begin(), files.end());
    return files;
}

std::wstring TempFolder() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    std::wstring folder = std::wstring(base) + L"t2u_corpus_" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

typedef LONG(WINAPI* PFN_RowColUnderPoint)(HWND, LONG, LONG, LONG*, LONG*);

// The client rows that show a DataWindow row at x, found by asking the
// runtime which row lies under each point: top and bottom (exclusive).
bool RowSpan(PFN_RowColUnderPoint under, HWND dw, int x, long row, int* top, int* bottom) {
    RECT client;
    GetClientRect(dw, &client);
    *top = -1;
    for (int y = 0; y < client.bottom; ++y) {
        LONG r = 0, c = 0;
        under(dw, x, y, &r, &c);
        if (r == row && *top < 0) *top = y;
        if (r != row && *top >= 0) {
            *bottom = y;
            return true;
        }
    }
    return false;
}

// The x of the first cell of row 1, or -1.
int CellX(PFN_RowColUnderPoint under, HWND dw, long* column) {
    RECT client;
    GetClientRect(dw, &client);
    for (int y = 0; y < client.bottom; y += 2)
        for (int x = 2; x < client.right; x += 4) {
            LONG r = 0, c = 0;
            under(dw, x, y, &r, &c);
            if (r == 1 && c > 0) {
                *column = c;
                return x;
            }
        }
    return -1;
}

int CountColour(const std::vector<COLORREF>& pixels, int width, int top, int bottom, COLORREF colour) {
    int n = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < width; ++x) n += pixels[y * width + x] == colour;
    return n;
}

class Corpus : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pb.ok());
        ASSERT_TRUE(pb.HasCreateFromFile()) << "the runtime cannot open source files";
        ASSERT_EQ(dll.StartTessel(), 1);
        settings = TempFolder() + L"\\corpus.ini";
        HANDLE f = CreateFileW(settings.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(f, kSettings, sizeof(kSettings) - 1, &written, nullptr);
        CloseHandle(f);
        under = reinterpret_cast<PFN_RowColUnderPoint>(
            reinterpret_cast<void*>(GetProcAddress(pb.engine(), "dwGetRowColUnderPoint")));
        ASSERT_NE(nullptr, under);
    }
    void TearDown() override {
        dll.StopTessel();
        DeleteFileW(settings.c_str());
        RemoveDirectoryW(settings.substr(0, settings.rfind(L'\\')).c_str());
    }

    // One life of a DataWindow: open, attach, paint, hover, select, scroll,
    // print, detach, destroy. Failures are reported with the file's name.
    void Exercise(const std::wstring& file, int* grids) {
        const std::string name(file.begin(), file.end());
        const std::wstring path = CorpusFolder() + L"\\" + file;
        HWND dw = pb.CreateFromFile(path.c_str(), 40, 700, 400);
        ASSERT_NE(nullptr, dw) << name << ": " << std::string(pb.LastError().begin(), pb.LastError().end());
        pb.ClearModifyLog(dw);
        ASSERT_EQ(1, dll.AttachDatawindow(dw, settings.c_str())) << name;
        PumpMessages();
        SendMessageW(dw, kSideBar, 0, 1);
        SendMessageW(dw, kHoverColor, 0, kHover);
        pb.ScriptModify(dw, L"DataWindow.Selected.Mouse=yes", nullptr, 0);
        RedrawWindow(dw, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
        PumpMessages();

        const bool grid = pb.Describe(dw, L"DataWindow.Processing") == L"1";
        long column = 0;
        const int x = CellX(under, dw, &column);
        int top1 = 0, bottom1 = 0, top2 = 0, bottom2 = 0, top3 = 0, bottom3 = 0;
        const bool rows = x >= 0 && RowSpan(under, dw, x, 1, &top1, &bottom1) &&
                          RowSpan(under, dw, x, 2, &top2, &bottom2) && RowSpan(under, dw, x, 3, &top3, &bottom3);
        if (grid && rows) {
            ++*grids;
            // Stripes: row 2 shows the alternate colour, row 1 none of it.
            const WindowSurface surface(dw, WindowSurface::Client);
            const std::vector<COLORREF> pixels = surface.Pixels();
            EXPECT_GT(CountColour(pixels, surface.Width(), top2, bottom2, kAlter), 10) << name << ": no stripe";
            EXPECT_EQ(0, CountColour(pixels, surface.Width(), top1, bottom1, kAlter)) << name;
            // Hover over row 1, then row 3: row 3's middle turns towards red,
            // and row 1 is as it was before the first band.
            const std::vector<COLORREF> before = WindowSurface(dw, WindowSurface::Client).Pixels();
            SendMessageW(dw, WM_MOUSEMOVE, 0, MAKELPARAM(x, (top1 + bottom1) / 2));
            PumpMessages();
            SendMessageW(dw, WM_MOUSEMOVE, 0, MAKELPARAM(x, (top3 + bottom3) / 2));
            const std::vector<COLORREF> hovered = WindowSurface(dw, WindowSurface::Client).Pixels();
            const int middle = (top3 + bottom3) / 2 * surface.Width() + x;
            EXPECT_GT(GetRValue(hovered[middle]), GetBValue(hovered[middle]) + 40) << name << ": no hover band";
            const int row1 = (top1 + bottom1) / 2 * surface.Width() + x;
            EXPECT_EQ(before[row1], hovered[row1]) << name << ": the band over row 1 was not taken away";
            PumpMessages();
            // A selection dragged from row 1 to row 3.
            SendMessageW(dw, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, (top1 + bottom1) / 2));
            SendMessageW(dw, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, (top3 + bottom3) / 2));
            SendMessageW(dw, WM_LBUTTONUP, 0, MAKELPARAM(x, (top3 + bottom3) / 2));
            PumpMessages();
            EXPECT_EQ(L"1/3/", pb.Describe(dw, L"DataWindow.Selected").substr(0, 4)) << name;
        }
        for (int i = 0; i < 5; ++i) SendMessageW(dw, WM_VSCROLL, SB_LINEDOWN, 0);
        SendMessageW(dw, WM_HSCROLL, SB_PAGERIGHT, 0);
        UpdateWindow(dw);
        PumpMessages();
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, 800, 1000);
        HGDIOBJ old = SelectObject(memory, bitmap);
        pb.PrintToDC(dw, memory);
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);

        // No modify that the library sent was refused.
        std::vector<std::wstring> texts, results;
        pb.ModifyLogWithResults(dw, &texts, &results);
        for (size_t i = 0; i < texts.size(); ++i) {
            EXPECT_EQ(L"", results[i]) << name << ": " << std::string(texts[i].begin(), texts[i].end()) << " -> "
                                       << std::string(results[i].begin(), results[i].end());
        }
        EXPECT_EQ(1, dll.DettachDatawindow(dw)) << name;
        DestroyWindow(dw);
        PumpMessages();
    }

    PbsimRuntime pb{TestRuntimeGeneration()};
    TesselDll dll;
    std::wstring settings;
    PFN_RowColUnderPoint under = nullptr;
};

}  // namespace

TEST_F(Corpus, EveryDataWindowAttachedDecoratedAndDetached) {
    const std::vector<std::wstring> files = CorpusFiles();
    ASSERT_GE(files.size(), 30u) << "corpus folder: " << std::string(CorpusFolder().begin(), CorpusFolder().end());
    int grids = 0;
    // The whole corpus once before counting: what the library keeps for the
    // whole process once it has been used is made then.
    for (const std::wstring& file : files) Exercise(file, &grids);
    census::ResourceCensus census(dll.h);
    const size_t gdiBefore = census::Now().gdiLive.size();
    const size_t heapBefore = census::Now().heapLive.size();
    grids = 0;
    for (const std::wstring& file : files) Exercise(file, &grids);
    printf("corpus: %d sources, %d grids checked for stripes and hover; DLL GDI objects live %d -> %d, heap "
           "blocks live %d -> %d\n",
           static_cast<int>(files.size()), grids, static_cast<int>(gdiBefore),
           static_cast<int>(census::Now().gdiLive.size()), static_cast<int>(heapBefore),
           static_cast<int>(census::Now().heapLive.size()));
    EXPECT_GE(grids, 5) << "too few grids with rows in the corpus";
    EXPECT_LE(census::Now().gdiLive.size(), gdiBefore);
    EXPECT_LE(census::Now().heapLive.size(), heapBefore);
}

// A grid without rows and the same grid with a hundred thousand rows (sample
// rows of the stand-in, typed after the table's columns).
TEST_F(Corpus, GridWithoutRowsAndWithAHundredThousand) {
    const std::wstring path = CorpusFolder() + L"\\own_lf_nobom_grid.srd";
    HWND empty = pb.CreateFromFile(path.c_str(), 0, 700, 400);
    ASSERT_NE(nullptr, empty) << std::string(pb.LastError().begin(), pb.LastError().end());
    ASSERT_EQ(L"1", pb.Describe(empty, L"DataWindow.Processing"));
    ASSERT_EQ(1, dll.AttachDatawindow(empty, settings.c_str()));
    PumpMessages();
    SendMessageW(empty, kSideBar, 0, 1);
    SendMessageW(empty, kHoverColor, 0, kHover);
    pb.ScriptModify(empty, L"DataWindow.Selected.Mouse=yes", nullptr, 0);
    RedrawWindow(empty, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
    for (int y = 10; y < 300; y += 20) SendMessageW(empty, WM_MOUSEMOVE, 0, MAKELPARAM(100, y));
    SendMessageW(empty, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 60));
    SendMessageW(empty, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(300, 200));
    SendMessageW(empty, WM_LBUTTONUP, 0, MAKELPARAM(300, 200));
    PumpMessages();
    // No row number beside an empty grid.
    const WindowSurface window(empty, WindowSurface::WholeWindow);
    int dark = 0;
    for (int y = 60; y < window.Height() - 2; ++y)
        for (int x = 4; x < 44; ++x) dark += GetRValue(window.At(x, y)) + GetGValue(window.At(x, y)) < 200;
    EXPECT_EQ(0, dark);
    std::vector<std::wstring> texts, results;
    pb.ModifyLogWithResults(empty, &texts, &results);
    for (size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(L"", results[i]) << std::string(texts[i].begin(), texts[i].end());
    EXPECT_EQ(1, dll.DettachDatawindow(empty));
    DestroyWindow(empty);

    HWND many = pb.CreateFromFile(path.c_str(), 100000, 700, 400);
    ASSERT_NE(nullptr, many);
    ASSERT_EQ(1, dll.AttachDatawindow(many, settings.c_str()));
    PumpMessages();
    SendMessageW(many, kSideBar, 0, 1);
    SendMessageW(many, kHoverColor, 0, kHover);
    SendMessageW(many, WM_VSCROLL, SB_BOTTOM, 0);
    RedrawWindow(many, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
    PumpMessages();
    EXPECT_EQ(L"100000", pb.Describe(many, L"DataWindow.LastRowOnPage"));
    const long first = std::stol(pb.Describe(many, L"DataWindow.FirstRowOnPage"));
    // The hover band over the second row on the page.
    RECT client;
    GetClientRect(many, &client);
    int x = -1, top = 0, bottom = 0, firstTop = 0, firstBottom = 0;
    for (int tryX = 2; tryX < client.right && x < 0; tryX += 4) {
        LONG r = 0, c = 0;
        for (int y = 0; y < client.bottom && x < 0; y += 2) {
            under(many, tryX, y, &r, &c);
            if (r == first && c > 0) x = tryX;
        }
    }
    ASSERT_GE(x, 0);
    ASSERT_TRUE(RowSpan(under, many, x, first, &firstTop, &firstBottom));
    ASSERT_TRUE(RowSpan(under, many, x, first + 1, &top, &bottom));
    SendMessageW(many, WM_MOUSEMOVE, 0, MAKELPARAM(x, (firstTop + firstBottom) / 2));
    PumpMessages();
    SendMessageW(many, WM_MOUSEMOVE, 0, MAKELPARAM(x, (top + bottom) / 2));
    const WindowSurface surface(many, WindowSurface::Client);
    const COLORREF middle = surface.At(x, (top + bottom) / 2);
    EXPECT_GT(GetRValue(middle), GetBValue(middle) + 40);
    EXPECT_EQ(1, dll.DettachDatawindow(many));
    DestroyWindow(many);
}
