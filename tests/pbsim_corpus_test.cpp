// The stand-in against the exported DataWindow sources of tests/corpus/datawindows.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "dib.h"
#include "pbsim_runtime.h"

// Catches a reader that refuses real exports, paints or prints nothing of them, or writes a definition it cannot
// read back identically.
TEST(PbsimCorpus, EverySourceLoadsPaintsPrintsAndReloadsItsSyntax) {
    PbsimRuntime rt;
    ASSERT_TRUE(rt.ok() && rt.HasCreateFromFile());
    std::wstring folder = L"Z:" PBSIM_CORPUS_DIR;  // a Unix path through Wine's Z: drive
    std::replace(folder.begin(), folder.end(), L'/', L'\\');
    int files = 0, loaded = 0;
    WIN32_FIND_DATAW found = {};
    HANDLE search = FindFirstFileW((folder + L"\\*.srd").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do {
        ++files;
        const std::wstring name = found.cFileName;
        HWND dw = rt.CreateFromFile((folder + L"\\" + name).c_str(), 8, 800, 600);
        EXPECT_EQ(rt.LastError() + (dw ? L"" : L"!"), L"") << files;
        if (!dw) continue;
        ++loaded;
        Dib screen(800, 600), page(850, 1100);
        screen.Fill(RGB(1, 2, 3));
        SendMessageW(dw, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(screen.Dc()), PRF_CLIENT);
        EXPECT_LT(screen.Count(RECT{0, 0, 800, 600}, [](COLORREF c) { return c == RGB(1, 2, 3); }), 800 * 600) << files;
        EXPECT_EQ(rt.PrintToDC(dw, page.Dc()), 1) << files;
        const std::wstring syntax = rt.Describe(dw, L"DataWindow.Syntax");
        HWND copy = rt.Create(syntax.c_str());
        EXPECT_EQ(syntax.substr(0, 8) + (copy ? rt.Describe(copy, L"DataWindow.Syntax") : L"-"), L"release " + syntax)
            << files;
        DestroyWindow(copy);
        DestroyWindow(dw);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::printf("corpus: loaded %d of %d\n", loaded, files);
    EXPECT_GE(files, 30) << "the corpus is there";
}
