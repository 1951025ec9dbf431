// Attaching DataWindows: what the record learns and the exact modify strings
// with which the grid is prepared and coloured, read from the stand-in
// runtime's modify log.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "message_pump.h"
#include "pbsim_runtime.h"
#include "stdout_capture.h"
#include "tessel_dll.h"

namespace {

// A grid in PowerBuilder units: header 100, detail 68, a bordered header text
// a_t, an unbordered one b_t, an invisible third column, and a text object
// whose name is too long for the record.
const wchar_t kGridPB[] =
    L"release 10;\n"
    L"datawindow(units=0 processing=1 color=16777215 selected.mouse=no)\n"
    L"header(height=100 color=\"12632256\")\n"
    L"detail(height=68 color=\"16777215\")\n"
    L"table(column=(type=long name=a dbname=\"a\") column=(type=char(10) name=b dbname=\"b\") "
    L"column=(type=number name=c dbname=\"c\"))\n"
    L"text(band=header text=\"A\" border=\"2\" x=\"5\" y=\"4\" height=\"64\" width=\"300\" name=a_t)\n"
    L"text(band=header text=\"B\" border=\"0\" x=\"309\" y=\"4\" height=\"64\" width=\"300\" name=b_t)\n"
    L"text(band=header text=\"L\" border=\"0\" x=\"613\" y=\"4\" height=\"64\" width=\"100\" "
    L"name=a_very_long_header_text_name_over_31)\n"
    L"column(band=detail id=1 x=\"5\" y=\"4\" height=\"60\" width=\"300\" name=a visible=\"1\")\n"
    L"column(band=detail id=2 x=\"309\" y=\"4\" height=\"60\" width=\"300\" name=b visible=\"1\")\n"
    L"column(band=detail id=3 x=\"613\" y=\"4\" height=\"60\" width=\"300\" name=c visible=\"0\")\n";

const wchar_t kGridPixels[] =
    L"release 10;\n"
    L"datawindow(units=1 processing=1)\n"
    L"header(height=40)\n"
    L"detail(height=24)\n"
    L"table(column=(type=long name=a dbname=\"a\"))\n"
    L"text(band=header text=\"A\" border=\"2\" x=\"1\" y=\"1\" height=\"20\" width=\"80\" name=a_t)\n"
    L"column(band=detail id=1 x=\"1\" y=\"1\" height=\"20\" width=\"80\" name=a visible=\"1\")\n";

const wchar_t kForm[] =
    L"release 10;\n"
    L"datawindow(units=0 processing=0)\n"
    L"header(height=0)\n"
    L"detail(height=200)\n"
    L"table(column=(type=long name=a dbname=\"a\"))\n"
    L"text(band=detail text=\"A\" border=\"2\" x=\"5\" y=\"4\" height=\"64\" width=\"300\" name=a_t)\n"
    L"column(band=detail id=1 x=\"320\" y=\"4\" height=\"60\" width=\"300\" name=a visible=\"1\")\n"
    L"button(band=detail text=\"Go\" x=\"5\" y=\"100\" height=\"60\" width=\"200\" name=b_go)\n";

const std::vector<std::wstring> kGridPreparation = {
    L"#1.Y='0'", L"#1.Height='64'", L"#2.Y='0'", L"#2.Height='64'",
    L"a_t.Y='0'", L"a_t.Height='92'", L"b_t.Y='0'", L"b_t.Height='100'",
    L"a_very_long_header_text_name_over_31.Y='0'", L"a_very_long_header_text_name_over_31.Height='100'"};

int PostedAttachMessages(HWND h) {
    MSG msg;
    int n = 0;
    while (PeekMessageW(&msg, h, 11023, 11023, PM_REMOVE)) ++n;
    return n;
}

std::wstring DllFolder() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(GetModuleHandleW(L"Tessel2U.dll"), path, MAX_PATH);
    std::wstring s(path);
    return s.substr(0, s.rfind(L'\\'));
}

void WriteTextFile(const std::wstring& path, const char* text) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written;
    WriteFile(f, text, static_cast<DWORD>(strlen(text)), &written, nullptr);
    CloseHandle(f);
}

class Attach : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pb.ok());
        ASSERT_NE(dll.h, nullptr);
        ASSERT_EQ(dll.StartTessel(), 1);
    }
    void TearDown() override {
        dll.StopTessel();
        for (HWND h : windows) DestroyWindow(h);
    }
    HWND Create(const wchar_t* syntax, DWORD style = 0) {
        HWND h = pb.Create(syntax, style);
        EXPECT_NE(h, nullptr) << pb.LastError();
        windows.push_back(h);
        PostedAttachMessages(h);
        return h;
    }
    PbsimRuntime pb{TestRuntimeGeneration()};
    TesselDll dll;
    std::vector<HWND> windows;
};

}  // namespace

TEST_F(Attach, GridInPowerBuilderUnitsIsPrepared) {
    HWND dw = Create(kGridPB);
    EXPECT_EQ(dll.AttachDatawindow(dw, nullptr), 1);
    EXPECT_EQ(pb.ModifyLog(dw), kGridPreparation);
    EXPECT_EQ(PostedAttachMessages(dw), 1);

    // Attaching again: no new analysis, nothing posted.
    pb.ClearModifyLog(dw);
    EXPECT_EQ(dll.AttachDatawindow(dw, nullptr), 1);
    EXPECT_TRUE(pb.ModifyLog(dw).empty());
    EXPECT_EQ(PostedAttachMessages(dw), 0);
}

TEST_F(Attach, GridInPixelsAndFreeform) {
    HWND px = Create(kGridPixels);
    dll.AttachDatawindow(px, nullptr);
    const std::vector<std::wstring> pixels = {L"#1.Y='0'", L"#1.Height='20'", L"a_t.Y='0'", L"a_t.Height='38'"};
    EXPECT_EQ(pb.ModifyLog(px), pixels);

    HWND form = Create(kForm);
    dll.AttachDatawindow(form, L"Z:\\does\\not\\exist.ini");
    EXPECT_TRUE(pb.ModifyLog(form).empty());
}

TEST_F(Attach, SettingsFileBesideTheLibraryByFullPathOrIgnored) {
    const std::wstring beside = DllFolder() + L"\\t2u_attach.ini";
    WriteTextFile(beside,
              "[datawindow]\r\nbackColor=255\r\nAlterColor=65280\r\nHeaderColor=16711680\r\nlineStyle=2\r\n");
    const std::wstring noSection = DllFolder() + L"\\t2u_empty.ini";
    WriteTextFile(noSection, "[other]\r\nx=1\r\n");

    const std::vector<std::wstring> coloured = {
        L"#1.background.mode='1'", L"#2.background.mode='1'",
        L"Datawindow.Detail.color='255 ~t if (mod(getrow(),2)=1,255,65280)'",
        L"a_t.Background.color='16711680'", L"b_t.Background.color='16711680'",
        L"a_very_long_header_text_name_over_31.Background.color='16711680'"};

    HWND byName = Create(kGridPB);
    EXPECT_EQ(dll.AttachDatawindow(byName, L"t2u_attach.ini"), 1);
    std::vector<std::wstring> log = pb.ModifyLog(byName);
    ASSERT_GE(log.size(), kGridPreparation.size());
    log.erase(log.begin(), log.begin() + static_cast<long>(kGridPreparation.size()));
    EXPECT_EQ(log, coloured);

    HWND byPath = Create(kGridPB);
    dll.AttachDatawindow(byPath, nullptr);
    pb.ClearModifyLog(byPath);
    EXPECT_EQ(dll.AttachDatawindow(byPath, beside.c_str()), 1);  // reload on an attached window
    EXPECT_EQ(pb.ModifyLog(byPath), coloured);
    EXPECT_EQ(PostedAttachMessages(byPath), 1);  // only the first attach posted

    // Too short a name, or a missing file: the defaults, nothing written.
    pb.ClearModifyLog(byPath);
    dll.AttachDatawindow(byPath, L"a.in");
    dll.AttachDatawindow(byPath, L"missing.ini");
    EXPECT_TRUE(pb.ModifyLog(byPath).empty());

    // A file without the section: the defaults are applied and written.
    dll.AttachDatawindow(byPath, noSection.c_str());
    const std::vector<std::wstring> defaults = {
        L"#1.background.mode='1'", L"#2.background.mode='1'",
        L"Datawindow.Detail.color='16777215 ~t if (mod(getrow(),2)=1,16777215,16777215)'",
        L"a_t.Background.color='16777215'", L"b_t.Background.color='16777215'",
        L"a_very_long_header_text_name_over_31.Background.color='16777215'"};
    EXPECT_EQ(pb.ModifyLog(byPath), defaults);

    // The same colours again: the stripes stand and are not written; once the
    // application has set a colour of its own they are written over it.
    pb.ClearModifyLog(byPath);
    dll.AttachDatawindow(byPath, noSection.c_str());
    const std::vector<std::wstring> columnsAndHeader = {
        L"#1.background.mode='1'", L"#2.background.mode='1'",
        L"a_t.Background.color='16777215'", L"b_t.Background.color='16777215'",
        L"a_very_long_header_text_name_over_31.Background.color='16777215'"};
    EXPECT_EQ(pb.ModifyLog(byPath), columnsAndHeader);
    pb.ScriptModify(byPath, L"DataWindow.Detail.Color='12345'", nullptr, 0);
    pb.ClearModifyLog(byPath);
    dll.AttachDatawindow(byPath, noSection.c_str());
    EXPECT_EQ(pb.ModifyLog(byPath), defaults);

    DeleteFileW(beside.c_str());
    DeleteFileW(noSection.c_str());
}

TEST_F(Attach, ExportedSyntaxLinesAreNotReadAsObjects) {
    // Object lines that start with band= (as an exported source writes them)
    // are neither header texts nor buttons: no text object is prepared and
    // no header colour reaches one.
    const std::wstring settings = DllFolder() + L"\\t2u_export.ini";
    WriteTextFile(settings, "[datawindow]\r\nHeaderColor=16711680\r\n");
    HWND dw = pb.Create(kGridPB);
    ASSERT_NE(dw, nullptr);
    windows.push_back(dw);
    ASSERT_EQ(1, pb.SetExportedSyntax(dw, 1));
    ASSERT_EQ(0u, pb.Describe(dw, L"DataWindow.Syntax").find(L"release 10;\ndatawindow("));
    ASSERT_NE(std::wstring::npos, pb.Describe(dw, L"DataWindow.Syntax").find(L"\ntext(band=header "));
    EXPECT_EQ(dll.AttachDatawindow(dw, settings.c_str()), 1);
    for (const std::wstring& modify : pb.ModifyLog(dw)) {
        EXPECT_EQ(std::wstring::npos, modify.find(L"_t.")) << "a text object was changed: " << std::string(modify.begin(), modify.end());
    }
    EXPECT_FALSE(pb.ModifyLog(dw).empty());  // the columns are still prepared
    DeleteFileW(settings.c_str());
}

TEST_F(Attach, LongSettingsPathIsNoFile) {
    HWND dw = Create(kGridPB);
    dll.AttachDatawindow(dw, nullptr);
    pb.ClearModifyLog(dw);
    std::wstring longPath = L"C:\\" + std::wstring(3000, L'x') + L".ini";
    StdoutCapture out;
    EXPECT_EQ(dll.AttachDatawindow(dw, longPath.c_str()), 1);
    const std::string log = out.Stop();
    EXPECT_TRUE(pb.ModifyLog(dw).empty());
    EXPECT_NE(log.find("too long"), std::string::npos) << log;
}

namespace {

// Headers of real grids, in PowerBuilder units (header 140, detail 68, 96
// dots per inch: a bordered text loses 8 units), and the exact preparation
// each gets after the columns.
struct HeaderLayout {
    const char* name;
    const wchar_t* objects;  // the header and other objects of the grid
    std::vector<std::wstring> expected;
};

std::wstring GridWith(const wchar_t* objects) {
    return std::wstring(
               L"release 10;\n"
               L"datawindow(units=0 processing=1 color=16777215 selected.mouse=no)\n"
               L"header(height=140 color=\"12632256\")\n"
               L"summary(height=80)\n"
               L"footer(height=60)\n"
               L"detail(height=68 color=\"16777215\")\n"
               L"table(column=(type=char(20) name=a dbname=\"a\") column=(type=long name=b dbname=\"b\") "
               L"column=(type=decimal(2) name=c dbname=\"c\"))\n"
               L"column(band=detail id=1 x=\"5\" y=\"4\" height=\"60\" width=\"300\" name=a visible=\"1\")\n"
               L"column(band=detail id=2 x=\"309\" y=\"4\" height=\"60\" width=\"300\" name=b visible=\"1\")\n"
               L"column(band=detail id=3 x=\"613\" y=\"4\" height=\"60\" width=\"300\" name=c visible=\"1\")\n") +
           objects;
}

const std::vector<std::wstring> kColumns = {L"#1.Y='0'", L"#1.Height='64'", L"#2.Y='0'", L"#2.Height='64'",
                                            L"#3.Y='0'", L"#3.Height='64'"};

const HeaderLayout kHeaderLayouts[] = {
    // One row of labels: each over the whole header; texts of the summary
    // and footer bands stay where they are.
    {"one_row",
     L"text(band=header text=\"Name\" border=\"0\" x=\"5\" y=\"4\" height=\"64\" width=\"300\" name=a_t)\n"
     L"text(band=header text=\"Count\" border=\"2\" x=\"309\" y=\"8\" height=\"56\" width=\"300\" name=b_t)\n"
     L"text(band=summary text=\"Total\" border=\"0\" x=\"5\" y=\"4\" height=\"64\" width=\"300\" name=total_t)\n"
     L"text(band=footer text=\"Page\" border=\"0\" x=\"5\" y=\"4\" height=\"52\" width=\"300\" name=page_t)\n",
     {L"a_t.Y='0'", L"a_t.Height='140'", L"b_t.Y='0'", L"b_t.Height='132'"}},
    // "Planning" above "Consult" and "Modif": the upper label keeps its
    // place, the lower ones reach from their own top to the bottom; "Name"
    // spans both rows and reaches down from its top.
    {"two_rows",
     L"text(band=header text=\"Name\" border=\"0\" x=\"5\" y=\"4\" height=\"128\" width=\"300\" name=name_t)\n"
     L"text(band=header text=\"Planning\" border=\"0\" x=\"309\" y=\"4\" height=\"56\" width=\"604\" name=plan_t)\n"
     L"text(band=header text=\"Consult\" border=\"0\" x=\"309\" y=\"72\" height=\"56\" width=\"300\" name=consult_t)\n"
     L"text(band=header text=\"Modif\" border=\"2\" x=\"613\" y=\"72\" height=\"56\" width=\"300\" name=modif_t)\n"
     L"text(band=summary text=\"Total\" border=\"0\" x=\"5\" y=\"4\" height=\"64\" width=\"300\" name=total_t)\n",
     {L"name_t.Height='136'", L"consult_t.Height='68'", L"modif_t.Height='60'"}},
    // A computed field under a label (a filter row): the label stops at its
    // top and the field is not covered; the other labels reach the bottom.
    {"field_under_label",
     L"text(band=header text=\"Name\" border=\"0\" x=\"5\" y=\"4\" height=\"56\" width=\"300\" name=a_t)\n"
     L"compute(band=header alignment=\"0\" expression=\"'filter'\" border=\"0\" x=\"5\" y=\"72\" height=\"56\" "
     L"width=\"300\" name=filter_c)\n"
     L"text(band=header text=\"Count\" border=\"0\" x=\"309\" y=\"4\" height=\"56\" width=\"300\" name=b_t)\n",
     {L"a_t.Height='68'", L"b_t.Height='136'"}},
    // A field beside the labels (not under one) leaves one row of labels.
    {"field_beside",
     L"text(band=header text=\"Name\" border=\"0\" x=\"5\" y=\"4\" height=\"56\" width=\"300\" name=a_t)\n"
     L"compute(band=header alignment=\"0\" expression=\"'p'\" border=\"0\" x=\"700\" y=\"72\" height=\"56\" "
     L"width=\"200\" name=page_c)\n",
     {L"a_t.Y='0'", L"a_t.Height='140'"}},
};

class HeaderLayouts : public ::testing::TestWithParam<HeaderLayout> {
protected:
    void SetUp() override {
        ASSERT_TRUE(pb.ok());
        ASSERT_EQ(dll.StartTessel(), 1);
    }
    void TearDown() override {
        dll.StopTessel();
        if (dw) DestroyWindow(dw);
    }
    PbsimRuntime pb{TestRuntimeGeneration()};
    TesselDll dll;
    HWND dw = nullptr;
};

}  // namespace

TEST_P(HeaderLayouts, OnlyTheHeaderIsPreparedAndItsRowsKept) {
    const std::wstring syntax = GridWith(GetParam().objects);
    dw = pb.Create(syntax.c_str());
    ASSERT_NE(dw, nullptr) << pb.LastError();
    ASSERT_EQ(dll.AttachDatawindow(dw, nullptr), 1);
    std::vector<std::wstring> expected = kColumns;
    expected.insert(expected.end(), GetParam().expected.begin(), GetParam().expected.end());
    EXPECT_EQ(pb.ModifyLog(dw), expected);
}

INSTANTIATE_TEST_SUITE_P(Attach, HeaderLayouts, ::testing::ValuesIn(kHeaderLayouts),
                         [](const ::testing::TestParamInfo<HeaderLayout>& info) { return std::string(info.param.name); });

TEST_F(Attach, TitleRowsMoveTheFieldsOfTheHeaderToo) {
    const std::wstring syntax = GridWith(kHeaderLayouts[2].objects);
    HWND dw = Create(syntax.c_str());
    ASSERT_EQ(dll.AttachDatawindow(dw, nullptr), 1);
    pb.ClearModifyLog(dw);
    ASSERT_EQ(1, dll.AddDatawindowTitle(dw, L"Title", L"Tahoma", 10, 100));
    // The label and the field under it move down together; nothing of the
    // summary or detail band moves.
    EXPECT_EQ(L"104", pb.Describe(dw, L"a_t.Y"));
    EXPECT_EQ(L"172", pb.Describe(dw, L"filter_c.Y"));
    EXPECT_EQ(L"104", pb.Describe(dw, L"b_t.Y"));
    EXPECT_EQ(L"68", pb.Describe(dw, L"a_t.Height"));
}

TEST_F(Attach, ColumnsWithAColourOfTheirOwnKeepIt) {
    // a: opaque white, b: opaque grey (read only), c: a colour expression;
    // the stripes replace only the white.
    const std::wstring syntax = std::wstring(
        L"release 10;\n"
        L"datawindow(units=0 processing=1 color=16777215)\n"
        L"header(height=80)\n"
        L"detail(height=68 color=\"16777215\")\n"
        L"table(column=(type=char(20) name=a dbname=\"a\") column=(type=long name=b dbname=\"b\") "
        L"column=(type=long name=c dbname=\"c\"))\n"
        L"column(band=detail id=1 x=\"5\" y=\"4\" height=\"60\" width=\"300\" name=a visible=\"1\" "
        L"background.mode=\"0\" background.color=\"16777215\")\n"
        L"column(band=detail id=2 x=\"309\" y=\"4\" height=\"60\" width=\"300\" name=b visible=\"1\" "
        L"background.mode=\"0\" background.color=\"12632256\")\n"
        L"column(band=detail id=3 x=\"613\" y=\"4\" height=\"60\" width=\"300\" name=c visible=\"1\" "
        L"background.mode=\"0\" background.color=\"16777215~tif(c > 5, 65535, 16777215)\")\n");
    const std::wstring settings = DllFolder() + L"\\t2u_own_colours.ini";
    WriteTextFile(settings, "[datawindow]\r\nAlterColor=15790320\r\n");
    HWND dw = Create(syntax.c_str());
    dll.AttachDatawindow(dw, nullptr);
    pb.ClearModifyLog(dw);
    dll.AttachDatawindow(dw, settings.c_str());
    const std::vector<std::wstring> log = pb.ModifyLog(dw);
    DeleteFileW(settings.c_str());
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(L"#1.background.mode='1'", log.front());
    for (const std::wstring& modify : log) {
        EXPECT_EQ(std::wstring::npos, modify.find(L"#2.background")) << std::string(modify.begin(), modify.end());
        EXPECT_EQ(std::wstring::npos, modify.find(L"#3.background")) << std::string(modify.begin(), modify.end());
    }
    EXPECT_EQ(L"0", pb.Describe(dw, L"b.background.mode"));
    EXPECT_EQ(L"12632256", pb.Describe(dw, L"b.background.color"));
}

// A runtime whose modules lack FN_ConvertUnits, PBC_SetBorder,
// dwInfoGetDWWidth and dwGetRowColUnderPoint (runs in a process of its own).
TEST(Reduced, MissingEntryPointsFallBack) {
    PbsimRuntime pb(PBSIM_REDUCED_GENERATION);
    ASSERT_TRUE(pb.ok());
    TesselDll dll;
    ASSERT_EQ(dll.StartTessel(), 1);
    // Without FN_ConvertUnits: two pixels down are 8 units at 96 dots per inch.
    HWND grid = pb.Create(kGridPB);
    ASSERT_NE(grid, nullptr) << pb.LastError();
    dll.AttachDatawindow(grid, nullptr);
    EXPECT_EQ(pb.ModifyLog(grid), kGridPreparation);

    // Without PBC_SetBorder the library takes the client edge away itself,
    // but only from a window without a title bar.
    HWND plain = pb.Create(kGridPixels);
    HWND captioned = pb.Create(kGridPixels, WS_CAPTION);
    ASSERT_TRUE(GetWindowLongW(plain, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    ASSERT_TRUE(GetWindowLongW(captioned, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    dll.AttachDatawindow(plain, nullptr);
    dll.AttachDatawindow(captioned, nullptr);
    EXPECT_FALSE(GetWindowLongW(plain, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_TRUE(GetWindowLongW(captioned, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(dll.StopTessel(), 1);
}

// Settings files are read once and kept while they stay the same. A file held
// open without sharing cannot be read by anyone: an attach that still gets
// the file's colours then got them from what was read before.
namespace {

const wchar_t kStripesOfFile[] = L"Datawindow.Detail.color='255 ~t if (mod(getrow(),2)=1,255,65280)'";
const wchar_t kStripesOfDefaults[] =
    L"Datawindow.Detail.color='16777215 ~t if (mod(getrow(),2)=1,16777215,16777215)'";
const char kStripedSettings[] = "[datawindow]\r\nbackColor=255\r\nAlterColor=65280\r\n";

FILETIME HoursFromNow(int hours) {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER v;
    v.LowPart = now.dwLowDateTime;
    v.HighPart = now.dwHighDateTime;
    v.QuadPart += static_cast<ULONGLONG>(static_cast<LONGLONG>(hours) * 36000000000LL);
    FILETIME out;
    out.dwLowDateTime = v.LowPart;
    out.dwHighDateTime = v.HighPart;
    return out;
}

// A settings file beside the library, last written an hour ago unless a
// test says otherwise.
class SettingsFile {
public:
    SettingsFile(const wchar_t* name, const char* text) : m_name(name), m_path(DllFolder() + L"\\" + name) {
        Write(text, HoursFromNow(-1));
    }
    ~SettingsFile() {
        Unlock();
        DeleteFileW(m_path.c_str());
    }
    const wchar_t* Name() const { return m_name.c_str(); }
    void Write(const char* text, const FILETIME& written) const {
        WriteTextFile(m_path, text);
        EXPECT_TRUE(SetWriteTime(written));
    }
    // Opens the file without sharing: from now on nobody else can read it.
    bool Lock() {
        m_hLock = CreateFileW(m_path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        return m_hLock != INVALID_HANDLE_VALUE;
    }
    void Unlock() {
        if (m_hLock != INVALID_HANDLE_VALUE) CloseHandle(m_hLock);
        m_hLock = INVALID_HANDLE_VALUE;
    }
    // Sets the last-write time, through the lock when the file is locked.
    bool SetWriteTime(const FILETIME& time) const {
        HANDLE h = m_hLock;
        if (h == INVALID_HANDLE_VALUE)
            h = CreateFileW(m_path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
        const bool ok = h != INVALID_HANDLE_VALUE && SetFileTime(h, nullptr, nullptr, &time);
        if (h != m_hLock && h != INVALID_HANDLE_VALUE) CloseHandle(h);
        return ok;
    }

private:
    std::wstring m_name;
    std::wstring m_path;
    HANDLE m_hLock = INVALID_HANDLE_VALUE;
};

// The stripes last written to the detail band, in the whole modify log.
std::wstring LastStripes(const PbsimRuntime& pb, HWND dw) {
    const std::vector<std::wstring> log = pb.ModifyLog(dw);
    for (auto it = log.rbegin(); it != log.rend(); ++it)
        if (it->compare(0, 24, L"Datawindow.Detail.color=") == 0) return *it;
    return std::wstring();
}

}  // namespace

TEST_F(Attach, SettingsFileIsReadOnceWhileItStaysTheSame) {
    SettingsFile file(L"t2u_cache_once.ini", kStripedSettings);
    HWND first = Create(kGridPixels);
    dll.AttachDatawindow(first, file.Name());
    EXPECT_EQ(LastStripes(pb, first), kStripesOfFile);

    ASSERT_TRUE(file.Lock());
    HWND second = Create(kGridPixels);
    dll.AttachDatawindow(second, file.Name());
    EXPECT_EQ(LastStripes(pb, second), kStripesOfFile) << "the unchanged file was read again";

    // A new write time makes the file a changed one: it is read again, and
    // while it is locked that read finds nothing.
    ASSERT_TRUE(file.SetWriteTime(HoursFromNow(-2)));
    HWND third = Create(kGridPixels);
    dll.AttachDatawindow(third, file.Name());
    EXPECT_EQ(LastStripes(pb, third), kStripesOfDefaults);

    // That empty read was not kept.
    file.Unlock();
    HWND fourth = Create(kGridPixels);
    dll.AttachDatawindow(fourth, file.Name());
    EXPECT_EQ(LastStripes(pb, fourth), kStripesOfFile);
}

TEST_F(Attach, SettingsFileWrittenJustNowIsReadEveryTime) {
    // Some file systems keep write times to two seconds: a file written in
    // the last two seconds may change again without its time changing. A
    // write time in the future never becomes old enough.
    SettingsFile file(L"t2u_cache_recent.ini", kStripedSettings);
    ASSERT_TRUE(file.SetWriteTime(HoursFromNow(1)));
    HWND first = Create(kGridPixels);
    dll.AttachDatawindow(first, file.Name());
    ASSERT_EQ(LastStripes(pb, first), kStripesOfFile);
    ASSERT_TRUE(file.Lock());
    HWND second = Create(kGridPixels);
    dll.AttachDatawindow(second, file.Name());
    EXPECT_EQ(LastStripes(pb, second), kStripesOfDefaults);
}

TEST_F(Attach, StopTesselForgetsTheSettingsFilesRead) {
    SettingsFile file(L"t2u_cache_stop.ini", kStripedSettings);
    HWND first = Create(kGridPixels);
    dll.AttachDatawindow(first, file.Name());
    ASSERT_EQ(LastStripes(pb, first), kStripesOfFile);
    ASSERT_TRUE(file.Lock());
    ASSERT_EQ(dll.StopTessel(), 1);
    ASSERT_EQ(dll.StartTessel(), 1);
    HWND second = Create(kGridPixels);
    dll.AttachDatawindow(second, file.Name());
    EXPECT_EQ(LastStripes(pb, second), kStripesOfDefaults);
}

TEST_F(Attach, OnlyTheSixteenMostRecentSettingsFilesAreKept) {
    std::vector<std::unique_ptr<SettingsFile>> files;
    HWND dw = Create(kGridPixels);
    for (int i = 0; i < 17; ++i) {
        const std::wstring name = L"t2u_cache_" + std::to_wstring(i) + L".ini";
        files.push_back(std::make_unique<SettingsFile>(name.c_str(), kStripedSettings));
        dll.AttachDatawindow(dw, files.back()->Name());
        ASSERT_EQ(LastStripes(pb, dw), kStripesOfFile) << i;
    }
    ASSERT_TRUE(files[0]->Lock());
    ASSERT_TRUE(files[1]->Lock());
    dll.AttachDatawindow(dw, files[1]->Name());
    EXPECT_EQ(LastStripes(pb, dw), kStripesOfFile) << "the second oldest file is still kept";
    dll.AttachDatawindow(dw, files[0]->Name());
    EXPECT_EQ(LastStripes(pb, dw), kStripesOfDefaults) << "the oldest file is kept beyond sixteen";
}

namespace {

// A settings file rewritten between two attaches of the same DataWindow.
struct SettingsChange {
    const char* name;
    const char* before;
    const char* after;
    int afterHoursAgo;  // the rewrite's write time; the first one is an hour ago
    const wchar_t* stripesAfter;
};

const SettingsChange kSettingsChanges[] = {
    {"LongerWithTheSameWriteTime", "[datawindow]\r\nbackColor=255\r\n", "[datawindow]\r\nbackColor=65535\r\n", 1,
     L"Datawindow.Detail.color='65535 ~t if (mod(getrow(),2)=1,65535,16777215)'"},
    {"ShorterWithTheSameWriteTime", "[datawindow]\r\nbackColor=65535\r\n", "[datawindow]\r\nbackColor=255\r\n",
     1, L"Datawindow.Detail.color='255 ~t if (mod(getrow(),2)=1,255,16777215)'"},
    {"SameSizeWithAnotherWriteTime", "[datawindow]\r\nbackColor=255\r\n", "[datawindow]\r\nbackColor=511\r\n", 3,
     L"Datawindow.Detail.color='511 ~t if (mod(getrow(),2)=1,511,16777215)'"},
    {"SectionGone", "[datawindow]\r\nbackColor=255\r\n", "[elsewhere]\r\nbackColor=255\r\n", 1,
     kStripesOfDefaults},
};

void PrintTo(const SettingsChange& change, std::ostream* os) { *os << change.name; }

class SettingsChanges : public Attach, public ::testing::WithParamInterface<SettingsChange> {};

}  // namespace

TEST_P(SettingsChanges, TheNewFileIsApplied) {
    const SettingsChange& change = GetParam();
    // Both write times are whole hours before one moment, so that "the
    // same write time" is exactly the same.
    const FILETIME hourAgo = HoursFromNow(-1);
    SettingsFile file(L"t2u_cache_change.ini", change.before);
    ASSERT_TRUE(file.SetWriteTime(hourAgo));
    HWND dw = Create(kGridPixels);
    dll.AttachDatawindow(dw, file.Name());
    ASSERT_NE(LastStripes(pb, dw), change.stripesAfter);

    ULARGE_INTEGER t;
    t.LowPart = hourAgo.dwLowDateTime;
    t.HighPart = hourAgo.dwHighDateTime;
    t.QuadPart -= static_cast<ULONGLONG>(change.afterHoursAgo - 1) * 36000000000ULL;
    FILETIME after;
    after.dwLowDateTime = t.LowPart;
    after.dwHighDateTime = t.HighPart;
    file.Write(change.after, after);
    pb.ClearModifyLog(dw);
    dll.AttachDatawindow(dw, file.Name());
    EXPECT_EQ(LastStripes(pb, dw), change.stripesAfter);
}

INSTANTIATE_TEST_SUITE_P(Attach, SettingsChanges, ::testing::ValuesIn(kSettingsChanges),
                         [](const ::testing::TestParamInfo<SettingsChange>& info) {
                             return std::string(info.param.name);
                         });

// The first attach's completion recalculates the frame and repaints the
// window: the settings read before it leave the repaint to it. Settings read
// into an attach already completed repaint at once.
TEST_F(Attach, SettingsRepaintWaitsForTheCompletionOfTheFirstAttach) {
    SettingsFile file(L"t2u_repaint.ini", kStripedSettings);
    HWND dw = Create(kGridPixels);
    ASSERT_TRUE(IsWindowVisible(dw));
    UpdateWindow(dw);
    ASSERT_FALSE(GetUpdateRect(dw, nullptr, FALSE));

    dll.AttachDatawindow(dw, file.Name());
    EXPECT_EQ(LastStripes(pb, dw), kStripesOfFile);
    EXPECT_TRUE(GetUpdateRect(dw, nullptr, FALSE)) << "painted before the attach completed";
    PumpMessages();
    EXPECT_FALSE(GetUpdateRect(dw, nullptr, FALSE));
    EXPECT_EQ(PostedAttachMessages(dw), 0);

    dll.AttachDatawindow(dw, file.Name());
    EXPECT_FALSE(GetUpdateRect(dw, nullptr, FALSE)) << "a reload is painted at once";
    EXPECT_EQ(PostedAttachMessages(dw), 0);
}
