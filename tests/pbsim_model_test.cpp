// The stand-in's DataWindow model: definition syntax, describe, modify,
// expressions, units, selection and paging, driven with the library's strings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/datawindow_model.h"
#include "model/sample_rows.h"
#include "model/samples.h"
#include "model/units.h"

using pbsim::DataWindowModel;
using pbsim::DwObject;

namespace {

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

DataWindowModel LoadGrid() {
    DataWindowModel dw;
    std::wstring error;
    EXPECT_TRUE(dw.Load(pbsim::kEmployeeGridSyntax, &error)) << Narrow(error);
    return dw;
}

// A grouped report as PowerBuilder 2019 exports one, with sections the model keeps unread.
// Rows: region, city, amount, sold.
const wchar_t kGroupedSource[] =
    L"\ufeff$PBExportHeader$d_grouped.srd\r\nrelease 19;\r\n"
    L"datawindow(units=0 timer_interval=0 color=1073741824 processing=0 print.margin.left = 110 )\r\n"
    L"header(height=120 color=\"536870912\" gradient.color=\"8421504\" )\r\nsummary(height=80 color=\"536870912\" )\r\n"
    L"footer(height=0 color=\"536870912\" )\r\ndetail(height=64 color=\"536870912\" height.autosize=yes )\r\n"
    L"table(column=(type=char(20) updatewhereclause=yes name=region dbname=\"sales.region\" )\r\n"
    L" column=(type=char(20) name=city dbname=\"sales.city\" values=\"North\tN/South\tS/\" )\r\n"
    L" column=(type=decimal(2) name=amount dbname=\"sales.amount\" )\r\n"
    L" column=(type=datetime name=sold dbname=\"sales.sold\" )\r\n"
    L" retrieve=\"PBSELECT( VERSION(400) TABLE(NAME=~\"sales~\" )) \" arguments=((\"as_region\", string)) )\r\n"
    L"group(level=1 header.height=72 trailer.height=76 by=(\"region\" ) header.color=\"12632256\" newpage=no )\r\n"
    L"group(level=2 header.height=0 trailer.height=68 by=(\"region\" \"city\" ) trailer.color=\"15790320\" )\r\n"
    L"column(band=header.1 id=1 x=\"9\" y=\"4\" height=\"64\" width=\"600\" format=\"[general]\" name=region "
    L"edit.limit=0 font.face=\"Tahoma\" font.height=\"-10\" )\r\n"
    L"column(band=detail id=3 alignment=\"1\" x=\"618\" y=\"0\" height=\"64\" width=\"400\" name=amount )\r\n"
    L"compute(band=trailer.2 expression=\"sum(amount for group 2)\"border=\"0\" x=\"618\" y=\"4\" height=\"64\" "
    L"width=\"400\" name=compute_city )\r\n"
    L"compute(band=trailer.1 expression=\"sum(amount\tfor group 1)\"border=\"0\" x=\"618\" y=\"4\" height=\"64\" "
    L"width=\"400\" name=compute_region tag=\"Region\ttotal\" )\r\n"
    L"rectangle(band=header x=\"850\" y=\"4\" height=\"100\" width=\"200\"  name=r_1 brush.hatch=\"6\" "
    L"pen.color=\"8388608\" )\r\n"
    L"report(band=summary dataobject=\"d_notes\" x=\"1460\" y=\"0\" height=\"76\" width=\"300\" "
    L"nest_arguments=((\" as_region \")) trail_footer = yes  name=dw_notes slideup=directlyabove )\r\n"
    L"text(band=foreground text=\"A\u00f1o\" x=\"1800\" y=\"4\" height=\"60\" width=\"200\" name=a\u00f1o_t )\r\n"
    L"text(band=header.2 text=\"\uc774\ub984\" x=\"9\" y=\"0\" height=\"0\" width=\"200\" name=\uc774\ub984_t )\r\n"
    L"htmlgen(clientevents=\"1\" pagingmethod=0 )\r\nexport.xml(headgroups=\"1\" "
    L")\r\nsparse(names=\"region\tcity\")\r\n"
    L"data( \"East\", \"North\", 10.5, 2024-01-31 10:20:30.000000,\r\n \"East\", \"North\", 4, 2024-02-01 08:00:00,\r\n"
    L" \"East\", \"South\", 1.25, null,\r\n \"West\", \"South\", 100, 2024-03-05 00:00:00.000000,)\r\n";

}  // namespace

// Catches wrong describe answers, letter case, quoting, escapes, error positions, partly applied
// statements, a wrong column count, an inverted failure flag or an unlogged modify.
TEST(PbsimModel, ModifyThenDescribe) {
#define E L"Line 1 Column "
    const struct {
        const wchar_t *modify, *result, *describe, *answer;
    } cases[] = {
        {L"", L"",
         L"DataWindow.Units DataWindow.Processing DataWindow.Column.Count DataWindow.Detail.Height "
         L"DataWindow.Header.Color DataWindow.Selected.Mouse DataWindow.Print.Preview DataWindow.Row.Resize "
         L"DataWindow.Grid.ColumnMove DataWindow.FirstRowOnPage DataWindow.LastRowOnPage datawindow.header.height",
         L"0\n1\n4\n68\n12632256\nyes\nno\n0\nyes\n1\n8\n80"},
        {L"", L"",
         L"emp_id_t.X EMP_ID_T.y emp_id_t.Width emp_id_t.Height emp_id_t.Text emp_id_t.Band emp_id_t.Font.Face "
         L"emp_id_t.Font.Height emp_id_t.background.color emp_id_t.Name salary_t.Type emp_name.coltype "
         L"salary.coltype dept.ID #2.name #4.X #4.Width",
         L"5\n4\n320\n64\nEmp ID\nheader\nTahoma\n-10\n536870912\nemp_id_t\ntext\nchar(20)\nnumber\n3\nemp_name\n"
         L"1137\n350"},
        {L"", L"", L"Evaluate('salary * 2', 2) emp_id_t.tag DataWindow.Detail.Pointer Evaluate('x + 1', 2) #1.x",
         L"9600\n?\n\"Arrow!\"\n!"},
        {L"emp_id_t.text='Who?' emp_name_t.text='Hey!' dept_t.text=''", L"",
         L"emp_id_t.text emp_name_t.text dept_t.text", L"\"Who?\"\n\"Hey!\"\n?"},
        {L"emp_id_t.visible='1~tif(IsRowNew(), 0, 1)'", L"", L"emp_id_t.visible", L"\"1\tif(IsRowNew(), 0, 1)\""},
        {L"emp_id_t.x='10' emp_id_t.y=\"12\" emp_id_t.width=300  #2.Y='0'\n#2.Height='64'\tDataWindow.Selected.Mouse = "
         L"No",
         L"", L"emp_id_t.x emp_id_t.y emp_id_t.width emp_name.y emp_name.height DataWindow.Selected.Mouse",
         L"10\n12\n300\n0\n64\nno"},
        {L"dept_t.text='a~r~nb' salary_t.text=\"~\"q~\"\" emp_name_t.text='~065~h42'", L"",
         L"dept_t.text salary_t.text emp_name_t.text", L"a\r\nb\n\"q\"\nAB"},
        {L"DataWindow.ReadOnly='perhaps'", E L"21 incorrect syntax", L"DataWindow.ReadOnly", L"no"},
        {L"emp_id_t.bogus='5' DataWindow.Bogus.Deep='x' DataWindow.Header.Bogus=7", L"",
         L"emp_id_t.bogus DataWindow.Bogus.Deep DataWindow.Header.Bogus", L"5\nx\n7"},
        {L"create line(band=foreground x1='0' y1='60' x2='800' y2='60' name=ln_a pen.width='5')", L"",
         L"ln_a.band ln_a.x1 ln_a.y2 ln_a.pen.width ln_a.pen.style ln_a.type ln_a.x",
         L"foreground\n0\n60\n5\n0\nline\n!"},
        {L"emp_id_t.name='t_b'", E L"10 incorrect syntax", L"t_b.band", L"!"},
        {L"destroy column dept", L"", L"DataWindow.Column.Count #3.name dept_t.x", L"3\nsalary\n833"},
        {L"destroy dept", L"", L"DataWindow.Column.Count #3.name #3.coltype #3.dbname #3.x",
         L"4\ndept\nchar(10)\nemployee.dept\n!"},
        {L"create compute(band=detail expression='salary * 2' name=c_double) "
         L"create compute(band=detail expression='emp_name + ~'!~'' name=c_shout)",
         L"", L"c_double.type c_double.coltype c_shout.coltype emp_id.type", L"compute\nnumber\nchar(255)\ncolumn"},
        {L"create text(band=header text='a' name=_a-b$c#d%9)", L"", L"_a-b$c#d%9.type", L"text"},
        {L"create text(band=header text='a' name=9lives)", E L"39 incorrect syntax", L"9lives.x", L"!"},
        {L"emp_id_t.x=", E L"12 incorrect syntax", L"emp_id_t.x", L"5"},
        {L"nosuch.x='5'", E L"1 incorrect syntax", L"nosuch.x", L"!"},
        {L"DataWindow.Units='1'", E L"12 incorrect syntax", L"DataWindow.Units", L"0"},
        {L"emp_id_t.x='1~t(long(describe(~'a~'))'", E L"12 incorrect syntax", L"emp_id_t.x", L"5"},
        {L"emp_id_t.x='7' emp_id_t.y='abc' emp_id_t.width='9'", E L"27 incorrect syntax",
         L"emp_id_t.x emp_id_t.y emp_id_t.width", L"7\n4\n320"},
        {L"emp_id_t.x='1'\nemp_id_t.y=", L"Line 2 Column 27 incorrect syntax", L"emp_id_t.x", L"1"},
        {L"create text(band=header name=emp_id_t text='dup')", E L"30 incorrect syntax", L"emp_id_t.text", L"Emp ID"},
        {L"create column(band=detail id=7 name=c7)", E L"30 incorrect syntax", L"c7.x", L"!"},
        {L"DataWindow.Selected='2/4/emp_id/emp_name/dept'", L"", L"DataWindow.Selected DataWindow.Selected.Data",
         L"2/4/emp_id/emp_name/dept\n102\tBob Marsh\tSales\n103\tCarla Ortiz\tR&D\n104\tDinh Van An\tR&D\n"},
        {L"DataWindow.Selected='6/5/#4'", L"", L"DataWindow.Selected DataWindow.Selected.Data",
         L"6/5/#4\n3900\n4100.75\n"},
        {L"DataWindow.Selected='1/2/dept/emp_id;4/4/salary/salary'", L"", L"DataWindow.Selected.Data",
         L"101\tAnn Lee\tSales\n102\tBob Marsh\tSales\n"},
        {L"DataWindow.Selected='2/4/nosuch'", E L"21 incorrect syntax", L"DataWindow.Selected", L""},
        {L"Datawindow.Detail.color='16777215 ~t if (mod(getrow(),2)=1,16777215,15790320)'", L"",
         L"DataWindow.Detail.Color", L"\"16777215 \t if (mod(getrow(),2)=1,16777215,15790320)\""},
    };
#undef E
    for (const auto& c : cases) {
        DataWindowModel dw = LoadGrid();
        SCOPED_TRACE(Narrow(c.modify) + " | " + Narrow(c.describe));
        EXPECT_EQ(dw.Modify(c.modify), c.result);
        EXPECT_EQ(dw.LastModifyError() ? std::wstring(dw.LastModifyError()) : std::wstring(), c.result);
        EXPECT_EQ(dw.Describe(c.describe), c.answer);
        ASSERT_EQ(dw.ModifyLog().size(), 1u);
        EXPECT_EQ(dw.ModifyLog().back().text + L"|" + dw.ModifyLog().back().result,
                  std::wstring(c.modify) + L"|" + c.result);
    }
}

// Catches wrong precedence, functions, conversions, failures that pass, or no nesting limit.
TEST(PbsimModel, ExpressionsEvaluate) {
    // "expression => value" on row 1, "@5 " first for row 5; "!": it fails.
    std::wstring cases =
        L"1 + 2 * 3 => 7\n(1 + 2) * 3 => 9\n7 / 2 => 3.5\n2 ^ 10 => 1024\nmod(7, 3) + mod(-7, 3) => 0\n"
        L"IF (1 >= 2, 10, 20) => 20\nnot (1 = 1) or 1 <> 2 => 0\n(not (1 = 1)) or 1 <> 2 => 1\n"
        L"1 = 1 or 1 = 2 and 1 = 2 => 0\n1 = 2 and 1 = 1 or 1 = 1 => 1\n"
        L"(1 <= 1) + (2 <= 1) + (3 >= 3) + (2 >= 3) + (1 < 2) + (2 > 1) + (2 < 2) => 4\n"
        L"salary between 5000 and 5200.5 => 1\nsalary between 5201 and 6000 => 0\n"
        L"dept in ('R&D', 'Sales') => 1\nemp_name like 'A%e_' => 1\nlong('42') + real('1.5') => 43.5\n"
        L"long('x1') + integer('') + real('1.5.2') => 0\nlong(describe('nosuch.x')) + 1 => 1\n"
        L"rgb(255, 0, 128) => 8388863\n@5 rowcount() + currentrow() + getrow() => 14\nsalary * 2 => 10401\n"
        L"long(describe('salary_t.x')) + long(describe('salary_t.width')) => 1487\n"
        L"string(1.25) + 'x' => 1.25x\n1 / 0 => !\nnosuch(1) => !\nnosuchcolumn + 1 => !\n@0 salary => !\n"
        L"1 + 'a' => !\nif(1, 2) => !\n1 + => !\n'abc => !\n1 2 => !\n";
    const DataWindowModel dw = LoadGrid();
    cases += std::wstring(5000, L'(') + L"1" + std::wstring(5000, L')') + L" => !\n";
    for (size_t at = 0, end; (end = cases.find(L'\n', at)) != std::wstring::npos; at = end + 1) {
        const std::wstring c = cases.substr(at, end - at);
        const size_t arrow = c.rfind(L" => ");
        const long row = c[0] == L'@' ? c[1] - L'0' : 1;
        std::wstring value;
        const std::wstring expression = c.substr(row == 1 && c[0] != L'@' ? 0 : 3, arrow - (c[0] == L'@' ? 3 : 0));
        EXPECT_EQ(dw.EvaluateExpression(expression.c_str(), row, &value) ? value : L"!", c.substr(arrow + 4))
            << Narrow(c.substr(0, 60));
    }
}

// Catches object expressions not evaluated per row, no fallback before the tab, a syntax that drops
// objects or escapes or does not read back, or title expressions that do not follow their columns.
TEST(PbsimModel, ObjectExpressionsAndSyntaxRoundTrip) {
    DataWindowModel dw = LoadGrid();
    ASSERT_EQ(dw.Modify(L"Datawindow.Detail.color='16777215 ~t if (mod(getrow(),2)=1,16777215,15790320)' "
                        L"emp_id_t.text='none~tif(salary > 5000, ~'high~', ~'low~')' dept_t.x='9 ~t 1 / 0' "
                        L"emp_name_t.x='1 ~t (long(describe(~'emp_id_t.x~')) + 2)' salary_t.text='Say ~\"hi~\" ~~ "
                        L"it~'s' create line(band=foreground x1='0' y1='60' x2='1' y2='60' name=ln_t pen.width='5') "
                        L"ln_t.x2='1 ~t (long(describe(~'salary_t.x~')) + long(describe(~'salary_t.width~')))' "
                        L"Datawindow.Header.Height='140'"),
              L"");
    EXPECT_EQ(dw.BandColor(L"detail", 1) * 100 + dw.BandColor(L"detail", 2), 16777215LL * 100 + 15790320);
    const DwObject& t = *dw.FindObject(L"EMP_ID_T");
    EXPECT_EQ(dw.DisplayText(t, 1) + dw.DisplayText(t, 2) + dw.DisplayText(t, 0), L"highlownone");
    EXPECT_EQ(dw.EvaluateInt(*dw.FindObject(L"dept_t"), L"x", 1) * 100 +
                  dw.EvaluateInt(*dw.FindObject(L"emp_name_t"), L"x", 1),
              9 * 100 + 7);
    const DwObject& line = *dw.FindObject(L"ln_t");
    EXPECT_EQ(dw.LinePixels(line, 0).x2 * 1000 + dw.LinePixels(line, 0).y1, 325 * 1000 + 15);
    ASSERT_EQ(dw.Modify(L"salary_t.width='400'"), L"");
    EXPECT_EQ(dw.LinePixels(line, 0).x2, 336);
    EXPECT_EQ(dw.BandHeightPixels(L"header"), 35);

    const std::wstring syntax = dw.Describe(L"DataWindow.Syntax");
    EXPECT_EQ(syntax.compare(0, 11, L"release 10;"), 0);
    for (const wchar_t* line : {L"\ntext(name=emp_id_t ", L"\ncolumn(name=salary ", L"\nhtmltable(border=\"1\" )",
                                L"x=\"1 ~t (long(describe('emp_id_t.x')) + 2)\""})
        EXPECT_NE(syntax.find(line), std::wstring::npos) << Narrow(line);
    EXPECT_EQ(syntax.find(L"data("), std::wstring::npos) << "DataWindow.Syntax carries no rows";
    DataWindowModel copy;
    ASSERT_TRUE(copy.Load(dw.Syntax() + dw.DataSyntax()));
    EXPECT_EQ(copy.Syntax() + copy.DataSyntax(), dw.Syntax() + dw.DataSyntax());
    EXPECT_EQ(copy.CellText(7, 2) + L"|" + copy.CellText(3, 4) + L"|" + copy.CellText(9, 1), L"Grace O\"Neil|6100.25|");
    EXPECT_EQ(copy.Describe(L"salary_t.text"), L"Say \"hi\" ~ it's");
}

// Catches conversions that truncate, round the wrong way or swap axes.
TEST(PbsimModel, UnitConversions) {
    const int conversions[][5] = {// value, kind, dpi x, dpi y, result
                                  {2, 2, 96, 96, 8},  {-2, 2, 96, 96, -8},  {8, 4, 96, 96, 2},    {7, 1, 96, 96, 32},
                                  {32, 3, 96, 96, 7}, {-32, 3, 96, 96, -7}, {2, 4, 96, 96, 1},    {-2, 4, 96, 96, -1},
                                  {5, 5, 96, 96, 0},  {5, 0, 96, 96, 0},    {10, 3, 120, 120, 3}, {10, 4, 120, 120, 3},
                                  {10, 1, 0, 0, 0},   {10, 2, 96, 120, 32}, {10, 3, 96, 120, 2}};
    for (const auto& c : conversions)
        EXPECT_EQ(pbsim::ConvertUnits(c[0], c[1], c[2], c[3]), c[4]) << c[0] << " kind " << c[1] << " at " << c[2];
    DataWindowModel dw = LoadGrid();
    const pbsim::PixelRect r = dw.ObjectRectPixels(*dw.FindObject(L"emp_id_t"), 0);
    EXPECT_EQ(
        std::vector<int>({r.x, r.y, r.width, r.height, dw.BandHeightPixels(L"header"), dw.BandHeightPixels(L"detail"),
                          dw.PixelsToUnitsX(7), dw.PixelsToUnitsY(2), dw.ContentWidthPixels()}),
        std::vector<int>({1, 1, 70, 16, 20, 17, 32, 8, 325}));
    dw.SetScreenDpi(120, 120);
    EXPECT_EQ(dw.UnitsToPixelsY(80), 25);
    std::wstring inches = pbsim::kEmployeeGridSyntax;
    DataWindowModel other;
    ASSERT_TRUE(other.Load(inches.replace(inches.find(L"units=0"), 7, L"units=2")));  // thousandths of an inch
    EXPECT_EQ(other.UnitsToPixelsX(1000) * 10000 + other.PixelsToUnitsY(96), 96 * 10000 + 1000);
}

// Catches selections, current cells, paging or row changes that accept rows and columns out of range.
TEST(PbsimModel, SelectionCurrentCellAndRowsOnPage) {
    DataWindowModel dw = LoadGrid();
    ASSERT_TRUE(dw.SetCellSelection(2, 3, {2, 3, 4}));
    EXPECT_EQ(dw.SelectedText(), L"2/3/emp_name/salary");
    EXPECT_FALSE(dw.SetCellSelection(0, 2, {1}) || dw.SetCellSelection(1, 2, {}));
    EXPECT_TRUE(dw.SelectRow(0, true) && dw.IsRowSelected(8) && dw.SelectRow(3, false));
    EXPECT_EQ(std::vector<bool>({dw.IsRowSelected(2), dw.IsRowSelected(3), dw.IsRowSelected(0), dw.SelectRow(9, true)}),
              std::vector<bool>({true, false, false, false}));
    EXPECT_TRUE(dw.SetCurrentRow(5) && dw.SetCurrentColumn(4));
    EXPECT_FALSE(dw.SetCurrentRow(9) || dw.SetCurrentRow(0) || dw.SetCurrentColumn(5));
    EXPECT_EQ(dw.CurrentRow() * 10 + dw.CurrentColumn(), 54);
    dw.SetPageHeightPixels(20 + 3 * 17 + 5);  // three whole rows
    EXPECT_EQ(dw.Describe(L"DataWindow.FirstRowOnPage DataWindow.LastRowOnPage"), L"1\n3");
    EXPECT_TRUE(dw.SetFirstRowOnPage(4));
    EXPECT_EQ(dw.Describe(L"DataWindow.FirstRowOnPage DataWindow.LastRowOnPage"), L"4\n6");
    EXPECT_TRUE(dw.SetFirstRowOnPage(7));
    EXPECT_EQ(dw.FirstRowOnPage() * 10 + dw.LastRowOnPage(), 68) << "the last page stays full";
    ASSERT_EQ(dw.Modify(L"DataWindow.Header.Height='148'"), L"");
    EXPECT_EQ(dw.RowsPerPage(), 2);
    dw.SetPageHeightPixels(0);
    EXPECT_EQ(dw.LastRowOnPage(), 8);
}

// Catches malformed text accepted, a wrong error position, or a refused load that changes the DataWindow.
TEST(PbsimModel, MalformedDefinitionsAreRefusedWithoutChange) {
    // clang-format off
    const struct {
        const wchar_t *text, *error;
    } cases[] = {{L"release 10;\ndatawindow(units=0 processing=1\n", L"Line 3 Column 1: incorrect syntax."},
                 {L"release 10;\ntext(band=nowhere name=a)", L"Line 2 Column 11: unknown band."},
                 {L"release 10;\ntext(band=header name=a x=\"1~t(\")", L"Line 2 Column 27: expression is not valid."},
                 {L"text(name=a) text(name=A)", L"Line 1 Column 24: object name already exists."},
                 {L"$PBExportHeader$w_main.srw\r\nforward\r\nglobal type w_main from window\r\n",
                  L"Line 3 Column 1: incorrect syntax."},
                 {L"release 19;\ngroup(level=1) group(level=1)", L"Line 2 Column 28: invalid value."},
                 {L"release x;", nullptr}, {L"column(name=emp_id)", nullptr}, {L"data(1, 2)", nullptr},
                 {L"text(name=a text=\"open)", nullptr}};
    // clang-format on
    DataWindowModel dw = LoadGrid();
    const std::wstring before = dw.Syntax();
    for (const auto& c : cases) {
        std::wstring error;
        EXPECT_FALSE(dw.Load(c.text, &error)) << Narrow(c.text);
        EXPECT_EQ(error, c.error ? c.error : error) << Narrow(c.text);
    }
    EXPECT_EQ(dw.Syntax(), before);
    EXPECT_EQ(dw.RowCount(), 8);
}

// Catches group bands, objects or values of a real export misread, unmodelled sections dropped, group
// bands unreachable by modify, trailers with another group's total, or wrong sample rows.
TEST(PbsimModel, RealSourceKeepsWhatItDoesNotModelAndShowsGroupTotals) {
    DataWindowModel dw;
    ASSERT_TRUE(dw.Load(kGroupedSource));
    const std::wstring syntax = dw.Syntax();
    for (const wchar_t* kept : {L"htmlgen(", L"export.xml(", L"sparse(names=\"region\tcity\")",
                                L"by=(\"region\" \"city\" )", L"rectangle(name=r_1 "})
        EXPECT_NE(syntax.find(kept), std::wstring::npos) << Narrow(kept);
    DataWindowModel copy;
    ASSERT_TRUE(copy.Load(syntax + dw.DataSyntax()));
    EXPECT_EQ(copy.Syntax(), syntax);
    EXPECT_EQ(copy.Describe(L"DataWindow.Bands"),
              L"header\theader.1\theader.2\tdetail\ttrailer.2\ttrailer.1\tsummary\tfooter");
    EXPECT_EQ(copy.Describe(L"DataWindow.Header.1.Height DataWindow.Trailer.2.Color region.Band compute_city.band "
                            L"r_1.Pen.Color dw_notes.DataObject a\u00f1o_t.Text \uc774\ub984_t.Text compute_region.Tag "
                            L"Evaluate('string(sold)', 1) Evaluate('string(sold)', 3) DataWindow.Header.3.Height"),
              L"72\n15790320\nheader.1\ntrailer.2\n8388608\nd_notes\nA\u00f1o\n\uc774\ub984\n\"Region\ttotal\"\n"
              L"2024-01-31 10:20:30.000000\n\n!");
    EXPECT_EQ(dw.Modify(L"DataWindow.Trailer.1.Height=100 DataWindow.Header.2.Color='255'"), L"");
    EXPECT_EQ(dw.Describe(L"DataWindow.Trailer.1.Height DataWindow.Header.2.Color"), L"100\n255");
    EXPECT_NE(dw.Syntax().find(L"trailer.height=100"), std::wstring::npos);
    EXPECT_NE(dw.Modify(L"DataWindow.Trailer.3.Height=100"), L"");
    EXPECT_EQ(dw.Modify(L"create ellipse(band=trailer.1 x='1' y='2' width='30' height='40' name=e_2)"), L"");
    EXPECT_EQ(dw.Describe(L"e_2.type e_2.band e_2.pen.style"), L"ellipse\ntrailer.1\n0");
    const DwObject& region = *dw.FindObject(L"compute_region");
    EXPECT_EQ(dw.DisplayText(region, 2) + L"|" + dw.DisplayText(*dw.FindObject(L"compute_city"), 3) + L"|" +
                  dw.DisplayText(region, 4),
              L"15.75|1.25|100");
    std::wstring starts;
    for (long row = 1; row <= 4; ++row)
        starts += std::to_wstring(dw.StartsGroup(1, row)) + std::to_wstring(dw.StartsGroup(2, row)) +
                  std::to_wstring(dw.EndsGroup(2, row)) + L" ";
    EXPECT_EQ(starts, L"110 001 011 111 ");
    EXPECT_FALSE(dw.StartsGroup(3, 1));

    std::wstring bare = kGroupedSource;
    ASSERT_TRUE(dw.Load(bare.erase(bare.find(L"data("))));
    EXPECT_EQ(pbsim::FillSampleRows(dw, 6) * 10 + dw.CurrentRow(), 61);
    EXPECT_EQ(dw.CellText(4, 1) + L"|" + dw.CellText(4, 2) + L"|" + dw.CellText(4, 3) + L"|" + dw.CellText(6, 4),
              L"region 4|S|-50.25|2024-01-06 08:05:00");
    for (long row = 1; row <= 6; ++row) EXPECT_TRUE(dw.StartsGroup(1, row)) << "every sample region differs";
    EXPECT_EQ(pbsim::FillSampleRows(dw, 0) + dw.RowCount(), 0);
}

// Catches a reader that crashes, loops, or loads what it cannot write back, on every cut of a real
// source and on damage at the characters it treats specially.
TEST(PbsimModel, CutAndDamagedSourcesLoadOrSayWhereTheyStop) {
    const std::wstring source = kGroupedSource;
    int loaded = 0, refused = 0;
    auto check = [&](const std::wstring& text) {
        DataWindowModel dw, copy;
        std::wstring error;
        if (dw.Load(text, &error)) {
            ++loaded;
            for (const DwObject& object : dw.Objects()) dw.DisplayText(object, 1);
            EXPECT_TRUE(copy.Load(dw.Syntax() + dw.DataSyntax(), &error)) << Narrow(error);
        } else {
            ++refused;
            EXPECT_EQ(error.compare(0, 5, L"Line "), 0) << Narrow(error);
        }
    };
    for (size_t n = 0; n <= source.size(); n += 5) check(source.substr(0, n));
    for (size_t at = 0; at < source.size(); at += 37)
        for (wchar_t c : {L'(', L')', L'"', L'~', L'$', L'\t', L'=', L'[', L'.', L'\0'})
            check(std::wstring(source).replace(at, 1, 1, c));
    EXPECT_GT(loaded * refused, 0);
}
