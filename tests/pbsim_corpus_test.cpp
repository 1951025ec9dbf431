// The stand-in against the exported DataWindow sources of tests/corpus/datawindows: every encoding PowerBuilder
// writes them in, sample rows for sources without data, and an old ANSI export written here.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <utility>

#include "dib.h"
#include "pbsim_runtime.h"
#include "temp_folder.h"

// Catches a reader that refuses real exports, reads them in the wrong encoding, makes up rows despite a data section
// or rows of the wrong type, prints nothing of them, or writes a definition it cannot read back identically.
TEST(PbsimCorpus, EverySourceReadsInItsEncodingPrintsAndReloadsItsSyntax) {
    PbsimRuntime rt;
    ASSERT_TRUE(rt.ok() && rt.HasCreateFromFile());
    // A describe of some sources and "its answer|row count": eight sample rows asked for, unless the source has data.
    const std::map<std::wstring, std::pair<const wchar_t*, std::wstring>> readAs = {
        {L"own_nonascii_names.srd", {L"\ud569\uacc4_t.Text", L"\ud569\uacc4 / Total del a\u00f1o|8"}},  // UTF-8
        {L"own_utf16le_label.srd", {L"price_label_t.Text", L"Preis/Prix/Precio/\u4fa1\u683c|8"}},
        {L"own_ha_korean.srd", {L"t_title.Text", L"\uc6d4\ubcc4 \uc0dd\uc0b0 \uc2e4\uc801|8"}},  // $$HEX$$ runs
        {L"own_ha_spanish_names.srd", {L"a\u00f1o_t.Text", L"A\u00f1o|8"}},
        {L"own_binary_section.srd", {L"sku_t.Text", L"SKU:|8"}},
        {L"own_lf_nobom_grid.srd", {L"Evaluate('subject + string(ticket_id)', 4)", L"subject 4-40|8"}},
        {L"own_data_datetimes.srd", {L"Evaluate('task', 2)", L"Check bearing noise|4"}}};
    const std::wstring folder = L"Z:" PBSIM_CORPUS_DIR L"/";  // a Unix path through Wine's Z: drive
    int files = 0;
    WIN32_FIND_DATAW found = {};
    HANDLE search = FindFirstFileW((folder + L"*.srd").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do {
        ++files;
        HWND dw = rt.CreateFromFile((folder + found.cFileName).c_str(), 8, 800, 600);
        EXPECT_EQ(rt.LastError() + (dw ? L"" : L"!"), L"") << files;
        const auto expected = readAs.find(found.cFileName);
        if (expected != readAs.end()) {
            EXPECT_EQ(rt.Describe(dw, expected->second.first) + L"|" + std::to_wstring(rt.GetRowCount(dw)),
                      expected->second.second);
        }
        Dib page(850, 1100);
        page.Fill(RGB(1, 2, 3));
        EXPECT_EQ(rt.PrintToDC(dw, page.Dc()), 1) << files;
        EXPECT_LT(page.Count(RECT{0, 0, 850, 1100}, [](COLORREF c) { return c == RGB(1, 2, 3); }), 850 * 1100) << files;
        const std::wstring syntax = rt.Describe(dw, L"DataWindow.Syntax");
        HWND copy = rt.Create(syntax.c_str());
        EXPECT_EQ(syntax.substr(0, 8) + (copy ? rt.Describe(copy, L"DataWindow.Syntax") : L"-"), L"release " + syntax)
            << files;
        DestroyWindow(copy);
        DestroyWindow(dw);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    EXPECT_GE(files, 30) << "the corpus is there";

    // An export without byte-order mark that is no UTF-8 reads in the system code page; a missing file fails.
    TempFolder temp;
    wchar_t ansi[8] = {};
    MultiByteToWideChar(CP_ACP, 0, "A\xF1o", -1, ansi, 8);
    const std::string old = "HA$PBExportHeader$d_old.srd\r\nrelease 9;\r\ntext(band=header text=\"A\xF1o\" name=t)\r\n";
    EXPECT_EQ(rt.Describe(rt.CreateFromFile(temp.Write(L"d_old.srd", old).c_str(), 0), L"t.Text"), ansi);
    EXPECT_EQ(rt.CreateFromFile(temp.File(L"no_such.srd").c_str(), 5), nullptr);
}
