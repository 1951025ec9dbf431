// The stand-in against the corpus of exported DataWindow sources in
// tests/corpus/datawindows: every source opens as a control from its file,
// paints and prints, and the definition it writes back opens again the same.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "dib.h"
#include "pbsim_runtime.h"

namespace {

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

}  // namespace

// Catches a reader that refuses real exports, paints nothing of them, or
// writes a definition it cannot read back identically.
TEST(PbsimCorpus, EverySourceLoadsPaintsAndReloadsItsSyntax) {
    PbsimRuntime rt;
    ASSERT_TRUE(rt.ok() && rt.HasCreateFromFile());
    std::wstring folder = L"Z:" PBSIM_CORPUS_DIR;  // a Unix path through Wine's Z: drive
    std::replace(folder.begin(), folder.end(), L'/', L'\\');
    int files = 0, loaded = 0;
    WIN32_FIND_DATAW found = {};
    HANDLE search = FindFirstFileW((folder + L"\\*.srd").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE) << Narrow(folder);
    do {
        ++files;
        const std::string name = Narrow(found.cFileName);
        HWND dw = rt.CreateFromFile((folder + L"\\" + found.cFileName).c_str(), 8, 800, 600);
        if (!dw) {
            printf("corpus: failed %s: %s\n", name.c_str(), Narrow(rt.LastError()).c_str());
            continue;
        }
        ++loaded;
        Dib screen(800, 600), page(850, 1100);
        screen.Fill(RGB(1, 2, 3));
        SendMessageW(dw, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(screen.Dc()), PRF_CLIENT);
        EXPECT_LT(screen.Count(RECT{0, 0, 800, 600}, [](COLORREF c) { return c == RGB(1, 2, 3); }), 800 * 600)
            << name << ": the control painted nothing";
        EXPECT_EQ(rt.PrintToDC(dw, page.Dc()), 1) << name;
        const std::wstring syntax = rt.Describe(dw, L"DataWindow.Syntax");
        EXPECT_EQ(syntax.compare(0, 8, L"release "), 0) << name;
        HWND copy = rt.Create(syntax.c_str());
        EXPECT_NE(copy, nullptr) << name << ": its syntax does not load again: " << Narrow(rt.LastError());
        if (copy) {
            EXPECT_EQ(rt.Describe(copy, L"DataWindow.Syntax"), syntax) << name;
        }
        DestroyWindow(copy);
        DestroyWindow(dw);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    printf("corpus: loaded %d of %d\n", loaded, files);
    EXPECT_GE(files, 30) << "the corpus is there";
    EXPECT_GE(loaded * 100, files * 99) << "fewer than 99% of the sources load";
}
