// The stand-in's DataWindow model: definition syntax, describe, modify,
// expressions, units and malformed sources, driven with the library's strings.
#include <gtest/gtest.h>

#include <string>

#include "model/datawindow_model.h"
#include "model/samples.h"
#include "model/units.h"

using pbsim::DataWindowModel;

namespace {

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

DataWindowModel LoadGrid() {
    DataWindowModel dw;
    EXPECT_TRUE(dw.Load(pbsim::kEmployeeGridSyntax));
    return dw;
}

}  // namespace

// Catches wrong describe answers, letter case, quoting, escapes, error positions, partly applied
// statements, a wrong column count or an inverted failure flag.
TEST(PbsimModel, ModifyThenDescribe) {
    // clang-format off
    const struct { const wchar_t *modify, *result, *describe, *answer; } cases[] = {
        // clang-format on
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
        {L"emp_id_t.x='10' emp_id_t.y=\"12\" emp_id_t.width=300  #2.Y='0'\n#2.Height='64'\tDataWindow.Selected.Mouse = "
         L"No",
         L"", L"emp_id_t.x emp_id_t.y emp_id_t.width emp_name.y emp_name.height DataWindow.Selected.Mouse",
         L"10\n12\n300\n0\n64\nno"},
        {L"dept_t.text='a~r~nb' salary_t.text=\"~\"q~\"\" emp_name_t.text='~065~h42'", L"",
         L"dept_t.text salary_t.text emp_name_t.text", L"a\r\nb\n\"q\"\nAB"},
        {L"create line(band=foreground x1='0' y1='60' x2='800' y2='60' name=ln_a pen.width='5')", L"",
         L"ln_a.band ln_a.x1 ln_a.y2 ln_a.pen.width ln_a.pen.style ln_a.type ln_a.x",
         L"foreground\n0\n60\n5\n0\nline\n!"},
        {L"destroy column dept", L"", L"DataWindow.Column.Count #3.name dept_t.x", L"3\nsalary\n833"},
        {L"nosuch.x='5'", L"Line 1 Column 1 incorrect syntax", L"nosuch.x", L"!"},
        {L"DataWindow.Units='1'", L"Line 1 Column 12 incorrect syntax", L"DataWindow.Units", L"0"},
        {L"emp_id_t.x='7' emp_id_t.y='abc' emp_id_t.width='9'", L"Line 1 Column 27 incorrect syntax",
         L"emp_id_t.x emp_id_t.y emp_id_t.width", L"7\n4\n320"},
        {L"emp_id_t.x='1'\nemp_id_t.y=", L"Line 2 Column 27 incorrect syntax", L"emp_id_t.x", L"1"},
        {L"DataWindow.Selected='2/4/emp_id/emp_name/dept'", L"", L"DataWindow.Selected DataWindow.Selected.Data",
         L"2/4/emp_id/emp_name/dept\n102\tBob Marsh\tSales\n103\tCarla Ortiz\tR&D\n104\tDinh Van An\tR&D\n"},
        {L"DataWindow.Selected='2/4/nosuch'", L"Line 1 Column 21 incorrect syntax", L"DataWindow.Selected", L""},
        {L"Datawindow.Detail.color='16777215 ~t if (mod(getrow(),2)=1,16777215,15790320)'", L"",
         L"DataWindow.Detail.Color", L"\"16777215 \t if (mod(getrow(),2)=1,16777215,15790320)\""},
    };
    for (const auto& c : cases) {
        DataWindowModel dw = LoadGrid();
        SCOPED_TRACE(Narrow(c.modify) + " | " + Narrow(c.describe));
        EXPECT_EQ(dw.Modify(c.modify), c.result);
        EXPECT_STREQ(dw.LastModifyError(), *c.result ? c.result : nullptr);
        EXPECT_EQ(dw.Describe(c.describe), c.answer);
    }
}

// Catches wrong precedence, functions, conversions, failures that pass, or no nesting limit.
TEST(PbsimModel, ExpressionsEvaluate) {
    // "expression => value" on row 1, "@5 " first for row 5; "!": it fails.
    std::wstring cases =
        L"1 + 2 * 3 => 7\n(1 + 2) * 3 => 9\n7 / 2 => 3.5\n2 ^ 10 => 1024\nmod(7, 3) + mod(-7, 3) => 0\n"
        L"IF (1 >= 2, 10, 20) => 20\nnot (1 = 1) or 1 <> 2 => 0\n1 = 1 or 1 = 2 and 1 = 2 => 0\n"
        L"(1 <= 1) + (2 <= 1) + (3 >= 3) + (2 >= 3) + (1 < 2) + (2 > 1) + (2 < 2) => 4\n"
        L"salary between 5000 and 5200.5 => 1\ndept in ('R&D', 'Sales') => 1\nemp_name like 'A%e_' => 1\n"
        L"long('42') + real('1.5') => 43.5\nlong('x1') + integer('') + real('1.5.2') => 0\n"
        L"long(describe('nosuch.x')) + 1 => 1\nrgb(255, 0, 128) => 8388863\nstring(1.25) + 'x' => 1.25x\n"
        L"@5 rowcount() + currentrow() + getrow() => 14\n1 / 0 => !\nnosuch(1) => !\nnosuchcolumn + 1 => !\n"
        L"@0 salary => !\n1 + 'a' => !\nif(1, 2) => !\n1 + => !\n'abc => !\n1 2 => !\n";
    cases += std::wstring(5000, L'(') + L"1" + std::wstring(5000, L')') + L" => !\n";
    const DataWindowModel dw = LoadGrid();
    for (size_t at = 0, end; (end = cases.find(L'\n', at)) != std::wstring::npos; at = end + 1) {
        const std::wstring c = cases.substr(at, end - at);
        const size_t from = c[0] == L'@' ? 3 : 0, arrow = c.rfind(L" => ");
        std::wstring value;
        const bool ok = dw.EvaluateExpression(c.substr(from, arrow - from).c_str(), from ? c[1] - L'0' : 1, &value);
        EXPECT_EQ(ok ? value : L"!", c.substr(arrow + 4)) << Narrow(c.substr(0, 60));
    }
}

// Catches object expressions not evaluated per row, no fallback before the tab, or a syntax that drops objects or
// escapes or does not read back.
TEST(PbsimModel, ObjectExpressionsAndSyntaxRoundTrip) {
    DataWindowModel dw = LoadGrid();
    ASSERT_EQ(dw.Modify(L"emp_id_t.text='none~tif(salary > 5000, ~'high~', ~'low~')' dept_t.x='9 ~t 1 / 0' "
                        L"emp_name_t.x='1 ~t (long(describe(~'emp_id_t.x~')) + 2)' salary_t.text='Say ~\"hi~\" ~~ "
                        L"it~'s'"),
              L"");
    const auto& t = *dw.FindObject(L"EMP_ID_T");
    EXPECT_EQ(dw.DisplayText(t, 1) + dw.DisplayText(t, 2) + dw.DisplayText(t, 0), L"highlownone");
    EXPECT_EQ(dw.EvaluateInt(*dw.FindObject(L"dept_t"), L"x", 1), 9);
    EXPECT_EQ(dw.EvaluateInt(*dw.FindObject(L"emp_name_t"), L"x", 1), 7);

    DataWindowModel copy;
    ASSERT_TRUE(copy.Load(dw.Syntax() + dw.DataSyntax()));
    EXPECT_EQ(copy.Syntax() + copy.DataSyntax(), dw.Syntax() + dw.DataSyntax());
    EXPECT_EQ(copy.CellText(7, 2) + L"|" + copy.CellText(3, 4) + L"|" + copy.Describe(L"salary_t.text emp_name_t.x"),
              L"Grace O\"Neil|6100.25|Say \"hi\" ~ it's\n\"1 \t (long(describe('emp_id_t.x')) + 2)\"");
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
}

// Catches malformed text accepted, a wrong error position, or a refused load that changes the DataWindow; a reader
// that crashes, loops, or loads what it cannot write back, on every cut of a real source and on damage at the
// characters it treats specially.
TEST(PbsimModel, MalformedSourcesAreRefusedWithoutChangeOrReadBack) {
    // clang-format off
    const struct { const wchar_t *text, *error; } cases[] = {
        {L"release 10;\ndatawindow(units=0 processing=1\n", L"Line 3 Column 1: incorrect syntax."},
        {L"release 10;\ntext(band=nowhere name=a)", L"Line 2 Column 11: unknown band."},
        {L"release 10;\ntext(band=header name=a x=\"1~t(\")", L"Line 2 Column 27: expression is not valid."},
        {L"text(name=a) text(name=A)", L"Line 1 Column 24: object name already exists."},
        {L"$PBExportHeader$w_main.srw\r\nforward\r\nglobal type w_main from window\r\n",
         L"Line 3 Column 1: incorrect syntax."},
        {L"release 19;\ngroup(level=1) group(level=1)", L"Line 2 Column 28: invalid value."},
        {L"release x;", nullptr}, {L"column(name=emp_id)", nullptr}, {L"data(1, 2)", nullptr},
        {L"text(name=a text=\"open)", nullptr}};
    // clang-format on
    DataWindowModel grid = LoadGrid();
    const std::wstring before = grid.Syntax();
    for (const auto& c : cases) {
        std::wstring error;
        EXPECT_FALSE(grid.Load(c.text, &error)) << Narrow(c.text);
        EXPECT_EQ(error, c.error ? c.error : error) << Narrow(c.text);
    }
    EXPECT_EQ(grid.Syntax() + std::to_wstring(grid.RowCount()), before + L"8");

    auto check = [&](const std::wstring& text) {
        DataWindowModel dw, copy;
        std::wstring error;
        if (!dw.Load(text, &error)) EXPECT_EQ(error.compare(0, 5, L"Line "), 0) << Narrow(error);
        else EXPECT_TRUE(copy.Load(dw.Syntax() + dw.DataSyntax(), &error)) << Narrow(error);
        for (const auto& object : dw.Objects()) dw.DisplayText(object, 1);
    };
    for (const std::wstring source : {pbsim::kEmployeeGridSyntax, pbsim::kEmployeeFormSyntax}) {
        for (size_t n = 0; n <= source.size(); n += 5) check(source.substr(0, n));
        for (size_t at = 0; at < source.size(); at += 37)
            for (wchar_t c : {L'(', L')', L'"', L'~', L'$', L'\t', L'=', L'[', L'.', L'\0'})
                check(std::wstring(source).replace(at, 1, 1, c));
    }
}
