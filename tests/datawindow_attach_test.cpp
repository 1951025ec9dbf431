// Attaching DataWindows: the exact modify strings with which grids are
// prepared and coloured (read from the stand-in's modify log), and how
// settings files are found, read, kept and read again.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "private_messages.h"
#include "tessel_host.h"

namespace {

using Modifies = std::vector<std::wstring>;

// Modifies packed into one string, separated by '|'.
Modifies Split(const std::wstring& packed) {
    Modifies out;
    for (size_t begin = 0, end; begin <= packed.size(); begin = end + 1)
        out.push_back(packed.substr(begin, (end = std::min(packed.find(L'|', begin), packed.size())) - begin));
    return out;
}

// PowerBuilder units: a bordered header text, an unbordered one, an
// invisible column and a text whose name is too long for the record.
std::wstring GridPB() {
    return GridSyntax(0)
        .Header(100)
        .Detail(68)
        .DataWindow(L"color=16777215 selected.mouse=no")
        .Column(L"a", L"long", 300, L"A", 2)
        .Column(L"b", L"char(10)", 300, L"B")
        .Column(L"c", L"number", 300, L"", 0, false)
        .Line(
            L"text(band=header text=\"L\" border=\"0\" x=\"613\" y=\"4\" height=\"64\" width=\"100\" "
            L"name=a_very_long_header_text_name_over_31)")
        .Text();
}
std::wstring GridPixels() { return GridSyntax(1).Header(40).Column(L"a", L"long", 80, L"A", 2).Text(); }

const std::wstring kPrepared =
    L"#1.Y='0'|#1.Height='64'|#2.Y='0'|#2.Height='64'|a_t.Y='0'|a_t.Height='92'|b_t.Y='0'|b_t.Height='100'|a_very_long_"
    L"header_text_name_over_31.Y='0'|a_very_long_header_text_name_over_31.Height='100'";

const wchar_t kStripesOfFile[] = L"Datawindow.Detail.color='255 ~t if (mod(getrow(),2)=1,255,65280)'";
const wchar_t kStripesOfDefaults[] = L"Datawindow.Detail.color='16777215 ~t if (mod(getrow(),2)=1,16777215,16777215)'";
const char kStriped[] = "[datawindow]\r\nbackColor=255\r\nAlterColor=65280\r\n";

int PostedAttachDone(HWND h) {
    MSG msg;
    int n = 0;
    while (PeekMessageW(&msg, h, kAttachDoneMessage, kAttachDoneMessage, PM_REMOVE)) ++n;
    return n;
}

// Sets a file's write time to a day of the past (high: the upper half of the time), through a handle that holds it if
// given.
bool Touch(const std::wstring& path, DWORD high, HANDLE held = nullptr) {
    const FILETIME time = {0, high};
    HANDLE h = held ? held : CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    const bool ok = SetFileTime(h, nullptr, nullptr, &time);
    if (!held) CloseHandle(h);
    return ok;
}

class Attach : public TesselHost {
protected:
    // The stripes last written to the detail band.
    std::wstring LastStripes(HWND dw) const {
        const Modifies log = pb->ModifyLog(dw);
        for (auto it = log.rbegin(); it != log.rend(); ++it)
            if (it->compare(0, 24, L"Datawindow.Detail.color=") == 0) return *it;
        return std::wstring();
    }
    std::wstring StripesAttaching(const std::wstring& settings) {
        HWND dw = Create(GridPixels());
        dll.AttachDatawindow(dw, settings.c_str());
        return LastStripes(dw);
    }
};

}  // namespace

// A changed Y/Height of the preparation, in either units, or a freeform prepared (the grid attached again: below).
TEST_F(Attach, GridsArePreparedFreeformNot) {
    HWND dw = Create(GridPB());
    EXPECT_EQ(dll.AttachDatawindow(dw, nullptr), 1);
    EXPECT_EQ(pb->ModifyLog(dw), Split(kPrepared));
    EXPECT_EQ(PostedAttachDone(dw), 1);
    HWND px = Create(GridPixels());
    dll.AttachDatawindow(px, nullptr);
    EXPECT_EQ(pb->ModifyLog(px), Modifies({L"#1.Y='0'", L"#1.Height='20'", L"a_t.Y='0'", L"a_t.Height='38'"}));
    std::wstring freeform = GridPixels();
    HWND form = Create(freeform.replace(freeform.find(L"processing=1"), 12, L"processing=0"));
    dll.AttachDatawindow(form, L"Z:\\does\\not\\exist.ini");
    EXPECT_TRUE(pb->ModifyLog(form).empty());
}

// Wrong colour modifies, a file read when it should not be, defaults not written, the application's colour left; a
// grid attached again is not prepared again.
TEST_F(Attach, SettingsColourTheGrid) {
    auto colours = [](const std::wstring& stripes, const std::wstring& h) {
        return L"#1.background.mode='1'|#2.background.mode='1'|" + stripes + L"|a_t.Background.color='" + h +
               L"'|b_t.Background.color='" + h + L"'|a_very_long_header_text_name_over_31.Background.color='" + h +
               L"'";
    };
    const Modifies coloured = Split(kPrepared + L"|" + colours(kStripesOfFile, L"16711680"));
    const Modifies defaults = Split(colours(kStripesOfDefaults, L"16777215"));
    const std::string text = std::string(kStriped) + "HeaderColor=16711680\r\n";
    // A bare name is looked up beside the library: the prepared grid coloured.
    wchar_t library[MAX_PATH];
    GetModuleFileNameW(dll.h, library, MAX_PATH);
    const std::wstring beside = std::wstring(library).substr(0, std::wstring(library).rfind(L'\\')) + L"\\t2u_bare.ini";
    CopyFileW(temp.Write(L"bare.ini", text).c_str(), beside.c_str(), FALSE);
    HWND byName = Create(GridPB());
    EXPECT_EQ(dll.AttachDatawindow(byName, L"t2u_bare.ini"), 1);
    DeleteFileW(beside.c_str());
    EXPECT_EQ(pb->ModifyLog(byName), coloured);
    // A reload; names too short or missing change nothing; a file without the section gives the defaults.
    pb->ClearModifyLog(byName);
    for (const wchar_t* none : {L"a.in", L"missing.ini"}) dll.AttachDatawindow(byName, none);
    EXPECT_TRUE(pb->ModifyLog(byName).empty());
    const std::wstring noSection = temp.Write(L"other.ini", "[other]\r\nx=1\r\n");
    dll.AttachDatawindow(byName, noSection.c_str());
    EXPECT_EQ(pb->ModifyLog(byName), defaults);
    // The application set a colour of its own: the same stripes written over it.
    pb->ScriptModify(byName, L"DataWindow.Detail.Color='12345'", nullptr, 0);
    pb->ClearModifyLog(byName);
    dll.AttachDatawindow(byName, noSection.c_str());
    EXPECT_EQ(pb->ModifyLog(byName), defaults);
}

// Stripes written over a column's own opaque colour or colour expression.
TEST_F(Attach, ColumnsWithAColourOfTheirOwnKeepIt) {
    HWND dw = Create(GridSyntax(0)
                         .Column(L"a", L"char(20)", 300, L"")
                         .With(L"background.mode=\"0\" background.color=\"16777215\"")
                         .Column(L"b", L"long", 300, L"")
                         .With(L"background.mode=\"0\" background.color=\"12632256\"")
                         .Column(L"c", L"long", 300, L"")
                         .With(L"background.mode=\"0\" background.color=\"16777215~tif(c > 5, 65535, 16777215)\"")
                         .Text());
    dll.AttachDatawindow(dw, nullptr);
    pb->ClearModifyLog(dw);
    dll.AttachDatawindow(dw, temp.Write(L"alter.ini", "[datawindow]\r\nAlterColor=15790320\r\n").c_str());
    EXPECT_EQ(pb->ModifyLog(dw),
              Modifies({L"#1.background.mode='1'",
                        L"Datawindow.Detail.color='16777215 ~t if (mod(getrow(),2)=1,16777215,15790320)'"}));
}

// Header layouts in PowerBuilder units (header 140): the labels prepared after the three columns (one row of
// labels: the grids above).
TEST_F(Attach, OnlyTheHeaderIsPreparedAndItsRowsKept) {
    const struct {
        const wchar_t* objects;
        const wchar_t* expected;
    } layouts[] = {
        // Two rows: the upper label keeps its place, the lower ones reach down; summary and footer texts stay.
        {L"text(band=header text=\"Name\" border=\"0\" x=\"5\" y=\"4\" height=\"128\" width=\"300\" name=name_t)\n"
         L"text(band=header text=\"Plan\" border=\"0\" x=\"309\" y=\"4\" height=\"56\" width=\"604\" name=plan_t)\n"
         L"text(band=header text=\"Consult\" border=\"0\" x=\"309\" y=\"72\" height=\"56\" width=\"300\" name=con_t)\n"
         L"text(band=header text=\"Modif\" border=\"2\" x=\"613\" y=\"72\" height=\"56\" width=\"300\" name=mod_t)\n"
         L"text(band=summary text=\"Total\" border=\"0\" x=\"5\" y=\"4\" height=\"64\" width=\"300\" name=total_t)\n"
         L"text(band=footer text=\"Page\" border=\"0\" x=\"5\" y=\"4\" height=\"52\" width=\"300\" name=page_t)",
         L"name_t.Height='136'|con_t.Height='68'|mod_t.Height='60'"},
        // A computed field under a label (a filter row): the label stops at it; a field beside leaves one row.
        {L"text(band=header text=\"Name\" border=\"0\" x=\"5\" y=\"4\" height=\"56\" width=\"300\" name=a_t)\n"
         L"compute(band=header alignment=\"0\" expression=\"'filter'\" border=\"0\" x=\"5\" y=\"72\" height=\"56\" "
         L"width=\"300\" name=filter_c)\n"
         L"text(band=header text=\"Count\" border=\"0\" x=\"309\" y=\"4\" height=\"56\" width=\"300\" name=b_t)\n"
         L"compute(band=header alignment=\"0\" expression=\"'p'\" border=\"0\" x=\"700\" y=\"72\" height=\"56\" "
         L"width=\"200\" name=page_c)",
         L"a_t.Height='68'|b_t.Height='136'"},
    };
    for (const auto& layout : layouts) {
        HWND dw = Create(GridSyntax(0)
                             .Header(140)
                             .DataWindow(L"color=16777215 selected.mouse=no")
                             .Column(L"a", L"char(20)", 300, L"")
                             .Column(L"b", L"long", 300, L"")
                             .Column(L"c", L"decimal(2)", 300, L"")
                             .Line(L"summary(height=80)\nfooter(height=60)")
                             .Line(layout.objects)
                             .Text());
        ASSERT_EQ(dll.AttachDatawindow(dw, nullptr), 1);
        EXPECT_EQ(pb->ModifyLog(dw), Split(L"#1.Y='0'|#1.Height='64'|#2.Y='0'|#2.Height='64'|#3.Y='0'|#3.Height='64'|" +
                                           std::wstring(layout.expected)));
    }
}

// A runtime without FN_ConvertUnits and PBC_SetBorder (a process of its own).
TEST(Reduced, MissingEntryPointsFallBack) {
    PbsimRuntime pb(PBSIM_REDUCED_GENERATION);
    ASSERT_TRUE(pb.ok());
    TesselDll dll;
    ASSERT_EQ(dll.StartTessel(), 1);
    HWND grid = pb.Create(GridPB().c_str());
    dll.AttachDatawindow(grid, nullptr);
    EXPECT_EQ(pb.ModifyLog(grid), Split(kPrepared));  // 8 units to two pixels at 96 dots per inch
    // The client edge taken away by the library.
    HWND plain = pb.Create(GridPixels().c_str());
    ASSERT_TRUE(GetWindowLongW(plain, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    dll.AttachDatawindow(plain, nullptr);
    EXPECT_FALSE(GetWindowLongW(plain, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(dll.StopTessel(), 1);
}

// The settings cache: a file held without sharing cannot be read, so an attach
// that still gets its colours got them from what was read before.
TEST_F(Attach, SettingsFileIsReadAgainOnlyWhenItChanges) {
    const std::wstring file = temp.Write(L"once.ini", kStriped);
    ASSERT_TRUE(Touch(file, 30000000));
    EXPECT_EQ(StripesAttaching(file), kStripesOfFile);
    // Held without sharing: nobody else can read it.
    HANDLE lock = CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(StripesAttaching(file), kStripesOfFile) << "the unchanged file was read again";
    // A new write time: read again, finding nothing while locked; that empty read is not kept.
    EXPECT_TRUE(Touch(file, 29000000, lock));
    EXPECT_EQ(StripesAttaching(file), kStripesOfDefaults);
    CloseHandle(lock);
    EXPECT_EQ(StripesAttaching(file), kStripesOfFile);
}

// The first attach's completion repaints; settings read into a completed attach repaint at once.
TEST_F(Attach, SettingsRepaintWaitsForTheCompletionOfTheFirstAttach) {
    const std::wstring file = temp.Write(L"repaint.ini", kStriped);
    ASSERT_TRUE(Touch(file, 30000000));
    HWND dw = Create(GridPixels());
    UpdateWindow(dw);
    ASSERT_FALSE(GetUpdateRect(dw, nullptr, FALSE));
    dll.AttachDatawindow(dw, file.c_str());
    EXPECT_EQ(LastStripes(dw), kStripesOfFile);
    EXPECT_TRUE(GetUpdateRect(dw, nullptr, FALSE)) << "painted before the attach completed";
    PumpMessages();
    EXPECT_FALSE(GetUpdateRect(dw, nullptr, FALSE));
    dll.AttachDatawindow(dw, file.c_str());
    EXPECT_FALSE(GetUpdateRect(dw, nullptr, FALSE)) << "a reload is painted at once";
    EXPECT_EQ(PostedAttachDone(dw), 0);
}
