// The stand-in runtime's DataWindow model: definition syntax, describe,
// modify, expressions, units, selection and paging, driven with the strings
// Tessel2U sends to a DataWindow.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/datawindow_model.h"
#include "model/escapes.h"
#include "model/sample_rows.h"
#include "model/samples.h"
#include "model/units.h"
#include "model/wide_text.h"

using pbsim::DataWindowModel;
using pbsim::DwObject;

namespace {

std::wstring N(long long v) { return std::to_wstring(v); }

DataWindowModel LoadGrid() {
  DataWindowModel dw;
  std::wstring error;
  EXPECT_TRUE(dw.Load(pbsim::kEmployeeGridSyntax, &error)) << std::string(error.begin(), error.end());
  return dw;
}

std::vector<std::wstring> Lines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  size_t start = 0;
  for (;;) {
    const size_t lf = text.find(L'\n', start);
    lines.push_back(text.substr(start, lf == std::wstring::npos ? std::wstring::npos : lf - start));
    if (lf == std::wstring::npos) return lines;
    start = lf + 1;
  }
}

// The object names the attach analysis takes from "DataWindow.Syntax": lines
// that begin with the prefix, the name running up to the first blank.
std::vector<std::wstring> NamesAfterPrefix(const std::wstring& syntax, const std::wstring& prefix) {
  std::vector<std::wstring> names;
  for (const std::wstring& line : Lines(syntax)) {
    if (line.compare(0, prefix.size(), prefix) != 0) continue;
    const std::wstring rest = line.substr(prefix.size());
    names.push_back(rest.substr(0, rest.find(L' ')));
  }
  return names;
}

int Int(const std::wstring& s) { return std::stoi(s); }

}  // namespace

TEST(PbsimModel, DescribesTheGridSample) {
  DataWindowModel dw = LoadGrid();
  EXPECT_EQ(dw.Describe(L"DataWindow.Units"), L"0");
  EXPECT_EQ(dw.Describe(L"DataWindow.Processing"), L"1");
  EXPECT_EQ(dw.Describe(L"DataWindow.Column.Count"), L"4");
  EXPECT_EQ(dw.Describe(L"DataWindow.Detail.Height"), L"68");
  EXPECT_EQ(dw.Describe(L"DataWindow.Header.Height"), L"80");
  EXPECT_EQ(dw.Describe(L"DataWindow.Header.Color"), L"12632256");
  EXPECT_EQ(dw.Describe(L"DataWindow.Detail.Color"), L"16777215");
  EXPECT_EQ(dw.Describe(L"DataWindow.Selected.Mouse"), L"yes");
  EXPECT_EQ(dw.Describe(L"DataWindow.Print.Preview"), L"no");
  EXPECT_EQ(dw.Describe(L"DataWindow.Row.Resize"), L"0");
  EXPECT_EQ(dw.Describe(L"DataWindow.Grid.ColumnMove"), L"yes");
  EXPECT_EQ(dw.Describe(L"DataWindow.Selected"), L"");
  EXPECT_EQ(dw.Describe(L"DataWindow.Selected.Data"), L"");
  EXPECT_EQ(dw.Describe(L"DataWindow.FirstRowOnPage"), L"1");
  EXPECT_EQ(dw.Describe(L"DataWindow.LastRowOnPage"), L"8");

  // Names and property keywords ignore letter case.
  EXPECT_EQ(dw.Describe(L"emp_id_t.X"), L"5");
  EXPECT_EQ(dw.Describe(L"EMP_ID_T.x"), L"5");
  EXPECT_EQ(dw.Describe(L"datawindow.header.height"), L"80");
  EXPECT_EQ(dw.Describe(L"emp_id_t.Y"), L"4");
  EXPECT_EQ(dw.Describe(L"emp_id_t.Width"), L"320");
  EXPECT_EQ(dw.Describe(L"emp_id_t.Height"), L"64");
  EXPECT_EQ(dw.Describe(L"emp_id_t.Text"), L"Emp ID");
  EXPECT_EQ(dw.Describe(L"emp_id_t.Band"), L"header");
  EXPECT_EQ(dw.Describe(L"emp_id_t.Border"), L"0");
  EXPECT_EQ(dw.Describe(L"emp_id_t.Font.Face"), L"Tahoma");
  EXPECT_EQ(dw.Describe(L"emp_id_t.Font.Height"), L"-10");
  EXPECT_EQ(dw.Describe(L"emp_id_t.Background.Mode"), L"1");
  EXPECT_EQ(dw.Describe(L"emp_id_t.background.color"), L"536870912");
  EXPECT_EQ(dw.Describe(L"emp_id_t.Visible"), L"1");
  EXPECT_EQ(dw.Describe(L"emp_id_t.Name"), L"emp_id_t");
  EXPECT_EQ(dw.Describe(L"emp_id_t.Color"), L"0");
  EXPECT_EQ(dw.Describe(L"salary_t.Type"), L"text");

  // Columns, by name and by number.
  EXPECT_EQ(dw.Describe(L"emp_name.coltype"), L"char(20)");
  EXPECT_EQ(dw.Describe(L"salary.coltype"), L"number");
  EXPECT_EQ(dw.Describe(L"emp_id.coltype"), L"long");
  EXPECT_EQ(dw.Describe(L"dept.ID"), L"3");
  EXPECT_EQ(dw.Describe(L"#2.name"), L"emp_name");
  EXPECT_EQ(dw.Describe(L"#4.X"), L"1137");
  EXPECT_EQ(dw.Describe(L"#4.Width"), L"350");
  EXPECT_EQ(dw.Describe(L"#1.Visible"), L"1");
  EXPECT_EQ(dw.Describe(L"#3.Font.Height"), L"-10");

  // What does not exist answers "!", and a list stops at the first "!".
  EXPECT_EQ(dw.Describe(L"nosuch.x"), L"!");
  EXPECT_EQ(dw.Describe(L"emp_id_t.bogus"), L"!");
  EXPECT_EQ(dw.Describe(L"emp_id_t.pen.style"), L"!");
  EXPECT_EQ(dw.Describe(L"emp_id_t.ID"), L"!");
  EXPECT_EQ(dw.Describe(L"#9.x"), L"!");
  EXPECT_EQ(dw.Describe(L"DataWindow.Bogus"), L"!");
  EXPECT_EQ(dw.Describe(L"DataWindow.Trailer.Height"), L"!");
  EXPECT_EQ(dw.Describe(L"novalue"), L"!");
  EXPECT_EQ(dw.Describe(L"emp_id_t.x emp_id_t.y"), L"5\n4");
  EXPECT_EQ(dw.Describe(L"emp_id_t.x nosuch.x emp_id_t.y"), L"5\n!");
  EXPECT_EQ(dw.Describe(L""), L"");

  EXPECT_EQ(dw.Describe(L"Evaluate('salary * 2', 2)"), L"9600");
  EXPECT_EQ(dw.Describe(L"Evaluate('nosuch + 1', 2)"), L"!");

  EXPECT_EQ(dw.RowCount(), 8);
  EXPECT_EQ(dw.CellText(7, 2), L"Grace O\"Neil");
  EXPECT_EQ(dw.CellText(3, 4), L"6100.25");
  EXPECT_EQ(dw.CellText(9, 1), L"");
  EXPECT_EQ(dw.CurrentRow(), 1);
  EXPECT_EQ(dw.CurrentColumn(), 1);
}

TEST(PbsimModel, DescribeAnswersAsDocumented) {
  DataWindowModel dw = LoadGrid();
  // No value: "?". Values with "!" or "?", and expressions: in double quotes.
  EXPECT_EQ(dw.Describe(L"emp_id_t.tag"), L"?");
  ASSERT_EQ(dw.Modify(L"emp_id_t.text='Who?' emp_name_t.text='Hey!' dept_t.text=''"), L"");
  EXPECT_EQ(dw.Describe(L"emp_id_t.text emp_name_t.text dept_t.text"), L"\"Who?\"\n\"Hey!\"\n?");
  EXPECT_EQ(dw.Describe(L"DataWindow.Detail.Pointer"), L"\"Arrow!\"");
  ASSERT_EQ(dw.Modify(L"emp_id_t.visible='1~tif(IsRowNew(), 0, 1)'"), L"");
  EXPECT_EQ(dw.Describe(L"emp_id_t.visible"), L"\"1\tif(IsRowNew(), 0, 1)\"");
  // An invalid item ends the answer.
  EXPECT_EQ(dw.Describe(L"emp_id_t.x nosuch.x emp_id_t.y"), L"5\n!");

  // The controls, and what kind each is.
  const std::wstring objects = dw.Describe(L"DataWindow.Objects");
  EXPECT_EQ(0u, objects.find(L"emp_id_t\temp_name_t\tdept_t\tsalary_t\temp_id\t")) << objects;
  EXPECT_EQ(std::wstring::npos, objects.find(L"\t\t"));
  ASSERT_EQ(dw.Modify(L"create compute(band=detail x='2000' y='4' width='100' height='60' "
                      L"expression='salary * 2' name=c_double) "
                      L"create compute(band=detail x='2200' y='4' width='100' height='60' "
                      L"expression='emp_name + ~'!~'' name=c_shout)"),
            L"");
  EXPECT_EQ(dw.Describe(L"c_double.type c_double.coltype c_shout.coltype emp_id.type emp_id_t.type"),
            L"compute\nnumber\nchar(255)\ncolumn\ntext");
  EXPECT_NE(std::wstring::npos, dw.Describe(L"DataWindow.Objects").find(L"\tc_double\tc_shout"));
  EXPECT_EQ(dw.Modify(L"DataWindow.Objects='a'"), L"Line 1 Column 12 incorrect syntax");

  // Control names: a letter of any script or an underscore first, then
  // letters, digits and _ - $ # %, of any length.
  EXPECT_EQ(dw.Modify(L"create text(band=header text='a' name=_a-b$c#d%9)"), L"");
  EXPECT_EQ(dw.Modify(L"create text(band=header text='a' name=" + std::wstring(40, L'n') + L")"), L"");
  EXPECT_EQ(dw.Modify(L"create text(band=header text='a' name=" + std::wstring(61, L'm') + L")"), L"");
  EXPECT_EQ(dw.Modify(L"create text(band=header text='a' name=a\u00f1o_t)"), L"");
  EXPECT_EQ(dw.Modify(L"create text(band=header text='a' name=\uc774\ub984)"), L"");
  for (const wchar_t* bad : {L"9lives", L"a.b", L"a;b", L"a,b", L"-a", L"#1"}) {
    EXPECT_NE(dw.Modify(std::wstring(L"create text(band=header text='a' name=") + bad + L")"), L"") << bad;
  }

  // Yes/no properties take True and False too, and store yes and no.
  ASSERT_EQ(dw.Modify(L"DataWindow.ReadOnly=True"), L"");
  EXPECT_EQ(dw.Describe(L"DataWindow.ReadOnly"), L"yes");
  ASSERT_EQ(dw.Modify(L"DataWindow.ReadOnly='false'"), L"");
  EXPECT_EQ(dw.Describe(L"DataWindow.ReadOnly"), L"no");
  EXPECT_EQ(dw.Modify(L"DataWindow.ReadOnly='perhaps'"), L"Line 1 Column 21 incorrect syntax");
}

TEST(PbsimModel, SyntaxRegeneratesOneObjectPerLineWithNameFirst) {
  DataWindowModel dw = LoadGrid();
  const std::wstring syntax = dw.Describe(L"DataWindow.Syntax");
  EXPECT_EQ(syntax, dw.Syntax());
  EXPECT_EQ(syntax.compare(0, 11, L"release 10;"), 0);
  EXPECT_EQ(NamesAfterPrefix(syntax, L"text(name="),
            (std::vector<std::wstring>{L"emp_id_t", L"emp_name_t", L"dept_t", L"salary_t"}));
  EXPECT_EQ(NamesAfterPrefix(syntax, L"column(name="),
            (std::vector<std::wstring>{L"emp_id", L"emp_name", L"dept", L"salary"}));
  EXPECT_EQ(syntax.find(L"data("), std::wstring::npos) << "DataWindow.Syntax carries no rows";
  EXPECT_NE(syntax.find(L"htmltable(border=\"1\" )"), std::wstring::npos) << "unknown items are kept";

  // Definition and rows read back into an identical DataWindow.
  DataWindowModel copy;
  std::wstring error;
  ASSERT_TRUE(copy.Load(syntax + dw.DataSyntax(), &error));
  EXPECT_EQ(copy.Syntax(), syntax);
  EXPECT_EQ(copy.DataSyntax(), dw.DataSyntax());
  ASSERT_EQ(copy.RowCount(), 8);
  for (long row = 1; row <= 8; ++row) {
    for (int col = 1; col <= 4; ++col) EXPECT_EQ(copy.CellText(row, col), dw.CellText(row, col));
  }

  // Modified values, escapes and expressions survive the round trip.
  ASSERT_EQ(dw.Modify(L"emp_id_t.text='Say ~\"hi~\" ~~ it~'s' "
                      L"emp_name_t.x='1 ~t (long(describe(~'emp_id_t.x~')) + 2)' "
                      L"Datawindow.Detail.color='16777215 ~t if (mod(getrow(),2)=1,16777215,15790320)'"),
            L"");
  ASSERT_TRUE(copy.Load(dw.Syntax() + dw.DataSyntax(), &error));
  EXPECT_EQ(copy.Syntax(), dw.Syntax());
  EXPECT_EQ(copy.Describe(L"emp_id_t.text"), L"Say \"hi\" ~ it's");
  EXPECT_EQ(copy.Describe(L"emp_name_t.x"), L"\"1 \t (long(describe('emp_id_t.x')) + 2)\"");
  EXPECT_EQ(copy.BandColor(L"detail", 2), 15790320);
  EXPECT_NE(copy.Syntax().find(L"x=\"1 ~t (long(describe('emp_id_t.x')) + 2)\""), std::wstring::npos);

  // The freeform sample: compute, line and button objects.
  DataWindowModel form;
  ASSERT_TRUE(form.Load(pbsim::kEmployeeFormSyntax, &error));
  EXPECT_FALSE(form.IsGrid());
  EXPECT_EQ(NamesAfterPrefix(form.Syntax(), L"button(name="), std::vector<std::wstring>{L"b_save"});
  EXPECT_EQ(NamesAfterPrefix(form.Syntax(), L"compute(name="), std::vector<std::wstring>{L"c_bonus"});
  DataWindowModel formCopy;
  ASSERT_TRUE(formCopy.Load(form.Syntax() + form.DataSyntax(), &error));
  EXPECT_EQ(formCopy.Syntax(), form.Syntax());
  EXPECT_EQ(formCopy.DataSyntax(), form.DataSyntax());
}

TEST(PbsimModel, ModifyStatementsQuotingAndEscapes) {
  DataWindowModel dw = LoadGrid();
  EXPECT_EQ(dw.Modify(L"emp_id_t.x='10' emp_id_t.y=\"12\" emp_id_t.width=300"), L"");
  EXPECT_EQ(dw.Describe(L"emp_id_t.x emp_id_t.y emp_id_t.width"), L"10\n12\n300");
  EXPECT_EQ(dw.Modify(L"DataWindow.Selected.Mouse = No"), L"");
  EXPECT_EQ(dw.Describe(L"DataWindow.Selected.Mouse"), L"no");
  EXPECT_FALSE(dw.SelectedMouse());
  EXPECT_EQ(dw.Modify(L"  #2.Y='0'\n#2.Height='64'\t"), L"");
  EXPECT_EQ(dw.Describe(L"emp_name.y emp_name.height"), L"0\n64");

  EXPECT_EQ(dw.Modify(L"dept_t.text='a~r~nb' salary_t.text=\"~\"q~\"\" emp_name_t.text='~065~h42'"), L"");
  EXPECT_EQ(dw.Describe(L"dept_t.text"), L"a\r\nb");
  EXPECT_EQ(dw.Describe(L"salary_t.text"), L"\"q\"");
  EXPECT_EQ(dw.Describe(L"emp_name_t.text"), L"AB");

  // Statements the attach analysis, colours and titles send.
  EXPECT_EQ(dw.Modify(L"emp_id_t.Y='0'"), L"");
  EXPECT_EQ(dw.Modify(L"emp_id_t.Height='80'"), L"");
  EXPECT_EQ(dw.Modify(L"#1.background.mode='1'"), L"");
  EXPECT_EQ(dw.Modify(L"emp_id_t.Background.color='16777215'"), L"");
  EXPECT_EQ(dw.Modify(L"DataWindow.Row.Resize='0'"), L"");
  EXPECT_EQ(dw.Modify(L"DataWindow.Grid.ColumnMove='No'"), L"");
  EXPECT_EQ(dw.Describe(L"DataWindow.Grid.ColumnMove"), L"no");
  EXPECT_EQ(dw.Modify(L"emp_id_t.font.face='Segoe UI' emp_id_t.font.height='-12'"), L"");
  EXPECT_EQ(dw.Describe(L"emp_id_t.font.face emp_id_t.font.height"), L"Segoe UI\n-12");
  EXPECT_EQ(dw.Describe(L"emp_id_t.Height emp_id_t.background.color"), L"80\n16777215");

  // Print preview.
  EXPECT_EQ(dw.Modify(L"DataWindow.Print.Preview='yes'"), L"");
  EXPECT_TRUE(dw.PrintPreview());
  EXPECT_EQ(dw.Describe(L"DataWindow.Print.Preview"), L"yes");
  EXPECT_EQ(dw.Modify(L"DataWindow.Print.Preview=No"), L"");
  EXPECT_FALSE(dw.PrintPreview());

  // A column whose visibility is an expression does not describe as 1.
  EXPECT_EQ(dw.Modify(L"#2.visible='1~tif(getrow() > 0, 1, 0)'"), L"");
  EXPECT_EQ(dw.Describe(L"#2.visible"), L"\"1\tif(getrow() > 0, 1, 0)\"");
  EXPECT_TRUE(dw.IsVisible(*dw.FindColumnObject(2), 1));

  // Create, destroy; a name is described, never modified.
  EXPECT_EQ(dw.Modify(L"create line(band=foreground x1='0' y1='60' x2='800' y2='60' name=ln_a visible='1' "
                      L"pen.style='0' pen.width='5')"),
            L"");
  EXPECT_EQ(dw.Describe(L"ln_a.band ln_a.x1 ln_a.y2 ln_a.pen.width ln_a.pen.style ln_a.type ln_a.name"),
            L"foreground\n0\n60\n5\n0\nline\nln_a");
  EXPECT_EQ(dw.Describe(L"ln_a.x"), L"!");
  EXPECT_EQ(dw.Modify(L"ln_a.name='ln_b'"), L"Line 1 Column 6 incorrect syntax");
  EXPECT_EQ(dw.Describe(L"ln_b.band"), L"!");
  EXPECT_EQ(dw.Modify(L"destroy ln_a"), L"");
  EXPECT_EQ(dw.Describe(L"ln_a.band"), L"!");

  EXPECT_EQ(dw.Modify(L"destroy column dept"), L"");
  EXPECT_EQ(dw.Describe(L"DataWindow.Column.Count"), L"3");
  EXPECT_EQ(dw.Describe(L"#3.name"), L"salary");
  EXPECT_EQ(dw.CellText(1, 3), L"5200.5");
  EXPECT_NE(dw.Describe(L"dept_t.x"), L"!") << "only the column object goes";

  // Every text and its result is in the log.
  const auto& log = dw.ModifyLog();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.front().text, L"emp_id_t.x='10' emp_id_t.y=\"12\" emp_id_t.width=300");
  EXPECT_EQ(log.back().text, L"destroy column dept");
  EXPECT_EQ(log.back().result, L"");
  EXPECT_EQ(dw.LastModifyError(), nullptr);
}

TEST(PbsimModel, ModifyErrorsApplyNothingOfTheFailingStatement) {
  DataWindowModel dw = LoadGrid();
  EXPECT_EQ(dw.Modify(L"emp_id_t.x="), L"Line 1 Column 12 incorrect syntax");
  ASSERT_NE(dw.LastModifyError(), nullptr);
  EXPECT_EQ(std::wstring(dw.LastModifyError()), L"Line 1 Column 12 incorrect syntax");
  EXPECT_EQ(dw.Modify(L"emp_id_t.text='abc"), L"Line 1 Column 15 incorrect syntax");
  EXPECT_EQ(dw.Describe(L"emp_id_t.text"), L"Emp ID");
  EXPECT_EQ(dw.Modify(L"emp_id_t x='1'"), L"Line 1 Column 1 incorrect syntax");
  EXPECT_EQ(dw.Modify(L"emp_id_t.x='1'y='2'"), L"Line 1 Column 15 incorrect syntax");
  EXPECT_EQ(dw.Modify(L"nosuch.x='5'"), L"Line 1 Column 1 incorrect syntax");
  // A property outside the catalogue is kept and described back.
  EXPECT_EQ(dw.Describe(L"emp_id_t.bogus"), L"!");
  EXPECT_EQ(dw.Modify(L"emp_id_t.bogus='5' DataWindow.Bogus.Deep='x' DataWindow.Header.Bogus=7"), L"");
  EXPECT_EQ(dw.Describe(L"emp_id_t.bogus DataWindow.Bogus.Deep DataWindow.Header.Bogus"), L"5\nx\n7");
  EXPECT_EQ(dw.Modify(L"DataWindow.Units='1'"), L"Line 1 Column 12 incorrect syntax");
  EXPECT_EQ(dw.Modify(L"emp_id.coltype='long'"), L"Line 1 Column 8 incorrect syntax");
  EXPECT_EQ(dw.Modify(L"DataWindow.Print.Preview='maybe'"), L"Line 1 Column 26 incorrect syntax");
  EXPECT_EQ(dw.Modify(L"emp_id_t.x='1~t(long(describe(~'a~'))'"), L"Line 1 Column 12 incorrect syntax");
  EXPECT_EQ(dw.Describe(L"emp_id_t.x"), L"5");

  // Earlier statements stay, the failing one and later ones do not apply.
  EXPECT_EQ(dw.Modify(L"emp_id_t.x='7' emp_id_t.y='abc' emp_id_t.width='9'"),
            L"Line 1 Column 27 incorrect syntax");
  EXPECT_EQ(dw.Describe(L"emp_id_t.x emp_id_t.y emp_id_t.width"), L"7\n4\n320");
  EXPECT_EQ(dw.Modify(L"emp_id_t.x='1'\nemp_id_t.y="), L"Line 2 Column 27 incorrect syntax");  // columns count from the start

  const size_t objects = dw.Objects().size();
  EXPECT_EQ(dw.Modify(L"create text(band=header name=emp_id_t text='dup')"),
            L"Line 1 Column 30 incorrect syntax");
  EXPECT_EQ(dw.Modify(L"create text(band=nowhere name=t9)"), L"Line 1 Column 18 incorrect syntax");
  EXPECT_EQ(dw.Modify(L"create widget(name=w)"), L"Line 1 Column 8 incorrect syntax");
  EXPECT_EQ(dw.Modify(L"create text(band=header name=t9 x='1'"), L"Line 1 Column 38 incorrect syntax");
  EXPECT_EQ(dw.Modify(L"create text(band=header name=t9 border='!')"), L"Line 1 Column 40 incorrect syntax");
  EXPECT_EQ(dw.Modify(L"create column(band=detail id=7 name=c7)"), L"Line 1 Column 30 incorrect syntax");
  EXPECT_EQ(dw.Objects().size(), objects);
  EXPECT_EQ(dw.Describe(L"t9.x"), L"!");
  EXPECT_EQ(dw.Modify(L"destroy nosuch"), L"Line 1 Column 9 incorrect syntax");
  EXPECT_EQ(dw.Modify(L"DataWindow.Selected='2/4'"), L"Line 1 Column 21 incorrect syntax");

  EXPECT_EQ(dw.Modify(L""), L"");
  EXPECT_EQ(dw.LastModifyError(), nullptr);
  EXPECT_EQ(dw.ModifyLog().back().text, L"");
  const auto& log = dw.ModifyLog();
  EXPECT_EQ(log[0].text, L"emp_id_t.x=");
  EXPECT_EQ(log[0].result, L"Line 1 Column 12 incorrect syntax");
}

TEST(PbsimModel, ExpressionsEvaluate) {
  DataWindowModel dw = LoadGrid();
  auto eval = [&dw](const std::wstring& expression, long row) {
    std::wstring value;
    return dw.EvaluateExpression(expression, row, &value) ? value : std::wstring(L"<fail>");
  };
  EXPECT_EQ(eval(L"1 + 2 * 3", 1), L"7");
  EXPECT_EQ(eval(L"(1 + 2) * 3", 1), L"9");
  EXPECT_EQ(eval(L"7 / 2", 1), L"3.5");
  EXPECT_EQ(eval(L"-2 - -3", 1), L"1");
  EXPECT_EQ(eval(L"2 ^ 10", 1), L"1024");
  EXPECT_EQ(eval(L"mod(7, 3) + mod(-7, 3)", 1), L"0");
  EXPECT_EQ(eval(L"if(2 > 1, 10, 20)", 1), L"10");
  EXPECT_EQ(eval(L"IF (1 >= 2, 10, 20)", 1), L"20");
  // NOT applies to everything after it; AND and OR group from the left.
  EXPECT_EQ(eval(L"not (1 = 1) or 1 <> 2", 1), L"0");
  EXPECT_EQ(eval(L"(not (1 = 1)) or 1 <> 2", 1), L"1");
  EXPECT_EQ(eval(L"1 = 1 or 1 = 2 and 1 = 2", 1), L"0");
  EXPECT_EQ(eval(L"1 = 2 and 1 = 1 or 1 = 1", 1), L"1");
  EXPECT_EQ(eval(L"1 = 1 and not 1 = 2 or 1 = 1", 1), L"0");
  EXPECT_EQ(eval(L"1 <= 1 and 2 >= 3", 1), L"0");
  EXPECT_EQ(eval(L"salary between 5000 and 5200.5", 1), L"1");
  EXPECT_EQ(eval(L"salary between 5201 and 6000", 1), L"0");
  EXPECT_EQ(eval(L"dept in ('R&D', 'Sales')", 1), L"1");
  EXPECT_EQ(eval(L"getrow() in (2, 3)", 1), L"0");
  EXPECT_EQ(eval(L"emp_name like 'A%e_'", 1), L"1");
  EXPECT_EQ(eval(L"emp_name like 'B%'", 1), L"0");
  EXPECT_EQ(eval(L"(1 <= 1) + (2 <= 1) + (3 >= 3) + (2 >= 3) + (1 < 2) + (2 > 1) + (2 < 2)", 1), L"4");
  EXPECT_EQ(eval(L"'abc' < 'abd'", 1), L"1");
  EXPECT_EQ(eval(L"long('42') + real('1.5')", 1), L"43.5");
  EXPECT_EQ(eval(L"long(3.9)", 1), L"3");
  // A string that is no number converts to 0.
  EXPECT_EQ(eval(L"long('x1') + integer('') + real('1.5.2')", 1), L"0");
  EXPECT_EQ(eval(L"long(describe('nosuch.x')) + 1", 1), L"1");
  EXPECT_EQ(eval(L"rgb(255, 0, 128)", 1), L"8388863");
  EXPECT_EQ(eval(L"getrow()", 5), L"5");
  EXPECT_EQ(eval(L"rowcount() + currentrow()", 5), L"9");
  EXPECT_EQ(eval(L"salary * 2", 1), L"10401");
  EXPECT_EQ(eval(L"emp_name + '!'", 2), L"Bob Marsh!");
  EXPECT_EQ(eval(L"describe('emp_id_t.x')", 1), L"5");
  EXPECT_EQ(eval(L"long(describe('salary_t.x')) + long(describe('salary_t.width'))", 1), L"1487");
  EXPECT_EQ(eval(L"string(1.25) + 'x'", 1), L"1.25x");
  // Failures.
  EXPECT_EQ(eval(L"1 / 0", 1), L"<fail>");
  EXPECT_EQ(eval(L"mod(1, 0)", 1), L"<fail>");
  EXPECT_EQ(eval(L"nosuch(1)", 1), L"<fail>");
  EXPECT_EQ(eval(L"nosuchcolumn + 1", 1), L"<fail>");
  EXPECT_EQ(eval(L"salary", 0), L"<fail>");
  EXPECT_EQ(eval(L"1 + 'a'", 1), L"<fail>");
  EXPECT_EQ(eval(L"if(1, 2)", 1), L"<fail>");
  EXPECT_EQ(eval(L"1 +", 1), L"<fail>");
  EXPECT_EQ(eval(L"(1", 1), L"<fail>");
  EXPECT_EQ(eval(L"'abc", 1), L"<fail>");
  EXPECT_EQ(eval(L"1 2", 1), L"<fail>");
  EXPECT_EQ(eval(std::wstring(5000, L'(') + L"1" + std::wstring(5000, L')'), 1), L"<fail>");

  // Striped rows, as the colour settings write them.
  ASSERT_EQ(dw.Modify(L"Datawindow.Detail.color='16777215 ~t if (mod(getrow(),2)=1,16777215,15790320)'"), L"");
  EXPECT_EQ(dw.Describe(L"DataWindow.Detail.Color"), L"\"16777215 \t if (mod(getrow(),2)=1,16777215,15790320)\"");
  EXPECT_EQ(dw.BandColor(L"detail", 1), 16777215);
  EXPECT_EQ(dw.BandColor(L"detail", 2), 15790320);
  EXPECT_EQ(dw.BandColor(L"detail", 7), 16777215);

  // An expression that fails gives the default; one over a missing object
  // reads its "!" as 0.
  ASSERT_EQ(dw.Modify(L"emp_id_t.x='9 ~t long(describe(~'nosuch.x~')) + 1'"), L"");
  const DwObject* t = dw.FindObject(L"emp_id_t");
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(dw.EvaluateInt(*t, L"x", 1), 1);
  EXPECT_EQ(dw.Describe(L"emp_id_t.x"), L"\"9 \t long(describe('nosuch.x')) + 1\"");
  ASSERT_EQ(dw.Modify(L"emp_id_t.x='9 ~t 1 / 0'"), L"");
  EXPECT_EQ(dw.EvaluateInt(*t, L"x", 1), 9);
  ASSERT_EQ(dw.Modify(L"emp_id_t.text='none~tif(salary > 5000, ~'high~', ~'low~')'"), L"");
  EXPECT_EQ(dw.DisplayText(*t, 1), L"high");
  EXPECT_EQ(dw.DisplayText(*t, 2), L"low");
  EXPECT_EQ(dw.DisplayText(*t, 0), L"none");
}

namespace {

// Adds a title row with the statements the multi-row title code sends,
// reading the DataWindow back through describe only.
struct TitleRows {
  DataWindowModel& dw;
  int headerHeight;
  std::vector<std::wstring> headerTexts;
  std::vector<std::wstring> names;
  int titleHeight = 0;

  void Add(const std::wstring& text, int h) {
    const std::wstring name = L"t_tessel2_title_" + N(static_cast<long long>(names.size()) + 1);
    names.push_back(name);
    const std::wstring c = L"salary";  // the rightmost visible column
    const int w = Int(dw.Describe(L"#4.X")) + Int(dw.Describe(L"#4.Width"));
    ASSERT_EQ(dw.Modify(L"create text(band=Foreground alignment='2' text='" + text +
                        L"' border='0' color='0' x='0' y='0' height='" + N(h) + L"' width='" + N(w) +
                        L"' html.valueishtml='0'  name=" + name +
                        L" visible='1'  font.face='Tahoma' font.height='-10' background.mode='2' "
                        L"background.color='33554431' )"),
              L"");
    ASSERT_NE(dw.Describe(name + L".Band"), L"!");
    titleHeight += h;
    ASSERT_EQ(dw.Modify(name + L".width='1 ~t (long(describe(~'" + c + L"_t.x~')) + long(describe(~'" + c +
                        L"_t.width~')) + 8)'"),
              L"");
    if (dw.Describe(L"ln_title_line.band") == L"!") {
      ASSERT_EQ(dw.Modify(L"create line(band=foreground x1='0' y1='" + N(titleHeight) + L"' x2='" + N(w) +
                          L"' y2='" + N(titleHeight) +
                          L"' name=ln_title_line visible='1' pen.style='0' pen.width='5')"),
                L"");
      ASSERT_EQ(dw.Modify(L"ln_title_line.x2='1 ~t (long(describe(~'" + c + L"_t.x~')) + long(describe(~'" + c +
                          L"_t.width~')))'"),
                L"");
    } else {
      ASSERT_EQ(dw.Modify(L"ln_title_line.y1='" + N(titleHeight) + L"'"), L"");
      ASSERT_EQ(dw.Modify(L"ln_title_line.y2='" + N(titleHeight) + L"'"), L"");
    }
    for (size_t i = 0; i + 1 < names.size(); ++i) {
      const int y = Int(dw.Describe(names[i] + L".y"));
      ASSERT_EQ(dw.Modify(names[i] + L".y='" + N(y + h) + L"'"), L"");
    }
    ASSERT_EQ(dw.Modify(L"Datawindow.Header.Height='" + N(headerHeight + titleHeight) + L"'"), L"");
    for (const std::wstring& t : headerTexts) {
      const int y = Int(dw.Describe(t + L".Y"));
      ASSERT_EQ(dw.Modify(t + L".Y='" + N(y + h) + L"'"), L"");
    }
  }
};

}  // namespace

TEST(PbsimModel, MultiRowTitleHeaderArithmetic) {
  DataWindowModel dw = LoadGrid();
  TitleRows titles{dw, 80, {L"emp_id_t", L"emp_name_t", L"dept_t", L"salary_t"}, {}};

  titles.Add(L"Employees", 60);
  EXPECT_EQ(dw.Describe(L"DataWindow.Header.Height"), L"140");
  EXPECT_EQ(dw.Describe(L"t_tessel2_title_1.y"), L"0");
  EXPECT_EQ(dw.Describe(L"t_tessel2_title_1.height"), L"60");
  EXPECT_EQ(dw.Describe(L"ln_title_line.y1 ln_title_line.y2"), L"60\n60");
  EXPECT_EQ(dw.Describe(L"emp_id_t.Y salary_t.Y"), L"64\n64");

  titles.Add(L"Company", 50);
  EXPECT_EQ(dw.Describe(L"DataWindow.Header.Height"), L"190");
  EXPECT_EQ(dw.Describe(L"t_tessel2_title_1.y"), L"50");
  EXPECT_EQ(dw.Describe(L"t_tessel2_title_2.y"), L"0");
  EXPECT_EQ(dw.Describe(L"ln_title_line.y1 ln_title_line.y2"), L"110\n110");
  EXPECT_EQ(dw.Describe(L"emp_id_t.Y dept_t.Y"), L"114\n114");

  // The widths are expressions, shown as written and evaluated on use; they
  // follow the rightmost header text when it is resized.
  EXPECT_EQ(dw.Describe(L"t_tessel2_title_2.width"),
            L"\"1 \t (long(describe('salary_t.x')) + long(describe('salary_t.width')) + 8)\"");
  const DwObject* title = dw.FindObject(L"T_TESSEL2_TITLE_2");
  const DwObject* line = dw.FindObject(L"ln_title_line");
  ASSERT_NE(title, nullptr);
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(dw.EvaluateInt(*title, L"width", 0), 1137 + 350 + 8);
  EXPECT_EQ(dw.EvaluateInt(*line, L"x2", 0), 1137 + 350);
  ASSERT_EQ(dw.Modify(L"salary_t.width='400'"), L"");
  EXPECT_EQ(dw.EvaluateInt(*title, L"width", 0), 1137 + 400 + 8);
  EXPECT_EQ(dw.LinePixels(*line, 0).x2, dw.UnitsToPixelsX(1537));
  EXPECT_EQ(dw.LinePixels(*line, 0).y1, pbsim::ConvertUnits(110, 4));

  // Title rows are text lines of the syntax like any other.
  const std::vector<std::wstring> texts = NamesAfterPrefix(dw.Syntax(), L"text(name=");
  ASSERT_EQ(texts.size(), 6u);
  EXPECT_EQ(texts[4], L"t_tessel2_title_1");
  EXPECT_EQ(dw.Describe(L"t_tessel2_title_9.Band"), L"!");
  EXPECT_EQ(dw.BandHeightPixels(L"header"), pbsim::ConvertUnits(190, 4));
}

namespace {

// A span title over first..last with the statements the span-title code
// sends, for a DataWindow in PowerBuilder units at 96 dpi without title rows.
void SpanTitle(DataWindowModel& dw, const std::wstring& first, const std::wstring& last, int& headerHeight,
               int grow, const std::vector<std::wstring>& headerTexts) {
  const int px1 = pbsim::ConvertUnits(1, 2);
  const int px2 = pbsim::ConvertUnits(2, 2);
  const int px3 = pbsim::ConvertUnits(3, 2);
  const std::wstring name = L"t_span_" + first + L"_" + last;
  if (grow > 0) {
    headerHeight += grow;
    ASSERT_EQ(dw.Modify(L"DataWindow.Header.Height='" + N(headerHeight) + L"'"), L"");
    for (const std::wstring& t : headerTexts) ASSERT_EQ(dw.Modify(t + L".height='" + N(headerHeight) + L"'"), L"");
  }
  const int H = headerHeight;
  const int spanX = Int(dw.Describe(first + L".X"));
  const int spanWidth = Int(dw.Describe(last + L".X")) + Int(dw.Describe(last + L".Width")) - spanX;
  std::wstring border = dw.Describe(first + L"_t.Border");
  const std::wstring back = dw.Describe(first + L"_t.background.color");
  const bool b = Int(border) > 0;
  const int h0 = H / 2 - (b ? px2 : 0);
  if (border == L"0") border = L"4";
  ASSERT_EQ(dw.Modify(L"create text(band=Foreground alignment='2' text='Span' border='" + border +
                      L"' color='0' x='" + N(spanX) + L"' y='0' height='" + N(h0) + L"' width='" + N(spanWidth) +
                      L"' html.valueishtml='0'  name=" + name +
                      L" visible='0'  font.face='Tahoma' font.height='-10' background.mode='2' background.color='" +
                      back + L"' )"),
            L"");
  ASSERT_EQ(dw.Modify(name + L".x='1 ~t (long(describe(~'" + first + L"_t.x~')) + 2)'"), L"");
  ASSERT_EQ(dw.Modify(name + L".y='1 ~t (long(describe(~'" + first + L"_t.y~')) - " + N(H / 2 - px1) + L" - 4)'"),
            L"");
  ASSERT_EQ(dw.Modify(name + L".height='" + N(h0 - px1) + L"'"), L"");
  ASSERT_EQ(dw.Modify(name + L".width='1 ~t (2 + long(describe(~'" + last + L"_t.x~')) + long(describe(~'" + last +
                      L"_t.width~')) - long(describe(~'" + first + L"_t.x~')) - 4)'"),
            L"");
  ASSERT_EQ(dw.Modify(name + L".Background.color='12632256'"), L"");
  for (const std::wstring& c : {first, last}) {
    const int y = H / 2 + (b ? px2 : 0) + px1;
    ASSERT_EQ(dw.Modify(c + L"_t.Y='" + N(y) + L"'"), L"");
    ASSERT_EQ(dw.Modify(c + L"_t.height='" + N(H - (b ? px3 : 0) - y) + L"'"), L"");
  }
  ASSERT_EQ(dw.Modify(L"DataWindow.Grid.ColumnMove='No'"), L"");
  ASSERT_EQ(dw.Modify(name + L".visible='1'"), L"");
}

}  // namespace

TEST(PbsimModel, SpanTitleFollowsItsColumnsThroughExpressions) {
  DataWindowModel dw = LoadGrid();
  int header = 80;
  SpanTitle(dw, L"emp_id", L"emp_name", header, 0, {});
  const DwObject* span = dw.FindObject(L"t_span_emp_id_emp_name");
  ASSERT_NE(span, nullptr);
  // Header 80, no growth, border 0: created 40 high, then 36; the column
  // header texts take Y 44 and height 36; the title sits 4 units above them.
  EXPECT_EQ(dw.Describe(L"t_span_emp_id_emp_name.border"), L"4");
  EXPECT_EQ(dw.Describe(L"t_span_emp_id_emp_name.height"), L"36");
  EXPECT_EQ(dw.Describe(L"emp_id_t.Y emp_id_t.height emp_name_t.Y emp_name_t.height"), L"44\n36\n44\n36");
  EXPECT_EQ(dw.Describe(L"dept_t.Y"), L"4");
  EXPECT_EQ(dw.Describe(L"t_span_emp_id_emp_name.x"), L"\"1 \t (long(describe('emp_id_t.x')) + 2)\"");
  EXPECT_EQ(dw.Describe(L"t_span_emp_id_emp_name.y"), L"\"1 \t (long(describe('emp_id_t.y')) - 36 - 4)\"");
  EXPECT_EQ(dw.EvaluateInt(*span, L"x", 0), 7);
  EXPECT_EQ(dw.EvaluateInt(*span, L"y", 0), 4);
  EXPECT_EQ(dw.EvaluateInt(*span, L"width", 0), 2 + 329 + 500 - 5 - 4);
  EXPECT_TRUE(dw.IsVisible(*span, 0));
  EXPECT_EQ(dw.Describe(L"DataWindow.Grid.ColumnMove"), L"no");
  const pbsim::PixelRect rect = dw.ObjectRectPixels(*span, 0);
  EXPECT_EQ(rect.x, dw.UnitsToPixelsX(7));
  EXPECT_EQ(rect.y, dw.UnitsToPixelsY(4));
  EXPECT_EQ(rect.width, dw.UnitsToPixelsX(7 + 822) - rect.x);
  EXPECT_EQ(rect.height, dw.UnitsToPixelsY(40) - rect.y);

  // Widening the first column's header moves nothing but the span's width.
  ASSERT_EQ(dw.Modify(L"emp_name_t.width='600'"), L"");
  EXPECT_EQ(dw.EvaluateInt(*span, L"width", 0), 2 + 329 + 600 - 5 - 4);

  // With growth 40 the header becomes 120: span 56 high, header texts at 64.
  DataWindowModel grown = LoadGrid();
  header = 80;
  SpanTitle(grown, L"dept", L"salary", header, 40,
            {L"emp_id_t", L"emp_name_t", L"dept_t", L"salary_t"});
  EXPECT_EQ(grown.Describe(L"DataWindow.Header.Height"), L"120");
  EXPECT_EQ(grown.Describe(L"t_span_dept_salary.height"), L"56");
  EXPECT_EQ(grown.Describe(L"dept_t.Y dept_t.height salary_t.Y salary_t.height"), L"64\n56\n64\n56");
  EXPECT_EQ(grown.Describe(L"emp_id_t.height"), L"120");
  const DwObject* grownSpan = grown.FindObject(L"t_span_dept_salary");
  ASSERT_NE(grownSpan, nullptr);
  EXPECT_EQ(grown.EvaluateInt(*grownSpan, L"y", 0), 64 - 56 - 4);

  // A span over a column without a header text: its create is refused, and
  // the statements that name the missing object report it.
  EXPECT_EQ(dw.Describe(L"zzz_t.Border"), L"!");
  EXPECT_EQ(dw.Modify(L"create text(band=Foreground text='x' border='!' name=t_span_zzz_dept)"),
            L"Line 1 Column 45 incorrect syntax");
  EXPECT_EQ(dw.Modify(L"t_span_zzz_dept.x='1 ~t (long(describe(~'zzz_t.x~')) + 2)'"),
            L"Line 1 Column 1 incorrect syntax");
  // An expression over a missing object reads its "!" as 0.
  ASSERT_EQ(dw.Modify(L"dept_t.x='833 ~t (long(describe(~'zzz_t.x~')) + 2)'"), L"");
  EXPECT_EQ(dw.EvaluateInt(*dw.FindObject(L"dept_t"), L"x", 0), 2);
}

TEST(PbsimModel, UnitConversions) {
  // 96 dpi: one pixel is 32/7 units across and 4 down, rounded half away
  // from zero.
  EXPECT_EQ(pbsim::ConvertUnits(2, 2), 8);
  EXPECT_EQ(pbsim::ConvertUnits(-2, 2), -8);
  EXPECT_EQ(pbsim::ConvertUnits(8, 4), 2);
  EXPECT_EQ(pbsim::ConvertUnits(7, 1), 32);
  EXPECT_EQ(pbsim::ConvertUnits(32, 3), 7);
  EXPECT_EQ(pbsim::ConvertUnits(-32, 3), -7);
  EXPECT_EQ(pbsim::ConvertUnits(2, 4), 1);   // 0.5 rounds away from zero
  EXPECT_EQ(pbsim::ConvertUnits(-2, 4), -1);
  EXPECT_EQ(pbsim::ConvertUnits(5, 5), 0);
  EXPECT_EQ(pbsim::ConvertUnits(5, 0), 0);
  EXPECT_EQ(pbsim::ConvertUnits(10, 3, 120, 120), 3);   // 10 * 840 / 3072 = 2.73
  EXPECT_EQ(pbsim::ConvertUnits(10, 4, 120, 120), 3);   // 10 * 120 / 384 = 3.125
  EXPECT_EQ(pbsim::ConvertUnits(10, 1, 0, 0), 0);

  DataWindowModel dw = LoadGrid();
  const DwObject* t = dw.FindObject(L"emp_id_t");
  ASSERT_NE(t, nullptr);
  pbsim::PixelRect r = dw.ObjectRectPixels(*t, 0);
  EXPECT_EQ(r.x, 1);       // 5 units
  EXPECT_EQ(r.width, 70);  // right edge 325 units = 71 pixels
  EXPECT_EQ(r.y, 1);
  EXPECT_EQ(r.height, 16);  // bottom 68 units = 17 pixels
  EXPECT_EQ(dw.BandHeightPixels(L"header"), 20);
  EXPECT_EQ(dw.BandHeightPixels(L"detail"), 17);
  EXPECT_EQ(dw.PixelsToUnitsX(7), 32);
  EXPECT_EQ(dw.PixelsToUnitsY(2), 8);
  EXPECT_EQ(dw.ContentWidthPixels(), dw.UnitsToPixelsX(1137 + 350));
  dw.SetScreenDpi(120, 120);
  EXPECT_EQ(dw.UnitsToPixelsY(80), 25);

  // A DataWindow in pixels, inches and centimetres.
  std::wstring syntax = pbsim::kEmployeeGridSyntax;
  for (const wchar_t* units : {L"units=1", L"units=2", L"units=3"}) {
    std::wstring s = syntax;
    s.replace(s.find(L"units=0"), 7, units);
    DataWindowModel other;
    ASSERT_TRUE(other.Load(s));
    if (std::wstring(units) == L"units=1") {
      EXPECT_EQ(other.UnitsToPixelsX(123), 123);
      EXPECT_EQ(other.PixelsToUnitsY(45), 45);
    } else if (std::wstring(units) == L"units=2") {
      EXPECT_EQ(other.UnitsToPixelsX(1000), 96);
      EXPECT_EQ(other.PixelsToUnitsY(96), 1000);
    } else {
      EXPECT_EQ(other.UnitsToPixelsY(2540), 96);
      EXPECT_EQ(other.PixelsToUnitsX(96), 2540);
    }
    EXPECT_EQ(other.Describe(L"DataWindow.Units"), std::wstring(units).substr(6));
  }
}

TEST(PbsimModel, CellAndRowSelection) {
  DataWindowModel dw = LoadGrid();
  ASSERT_EQ(dw.Modify(L"DataWindow.Selected='2/4/emp_id/emp_name/dept'"), L"");
  EXPECT_EQ(dw.Describe(L"DataWindow.Selected"), L"2/4/emp_id/emp_name/dept");
  EXPECT_EQ(dw.Describe(L"DataWindow.Selected.Data"),
            L"102\tBob Marsh\tSales\n103\tCarla Ortiz\tR&D\n104\tDinh Van An\tR&D\n");
  // What the statistics read back for the parts of the selection.
  EXPECT_EQ(dw.Describe(L"emp_id.ID"), L"1");
  EXPECT_EQ(dw.Describe(L"dept.ID"), L"3");

  // Rows in either order, columns by number; described as it was set.
  ASSERT_EQ(dw.Modify(L"DataWindow.Selected='6/5/#4'"), L"");
  EXPECT_EQ(dw.Describe(L"DataWindow.Selected"), L"6/5/#4");
  EXPECT_EQ(dw.Describe(L"DataWindow.Selected.Data"), L"3900\n4100.75\n");
  EXPECT_EQ(dw.SelectionRow1(), 5);
  EXPECT_EQ(dw.SelectionColumns(), std::vector<int>{4});

  // Bad selections change nothing.
  EXPECT_NE(dw.Modify(L"DataWindow.Selected='2/4/nosuch'"), L"");
  EXPECT_NE(dw.Modify(L"DataWindow.Selected='2/99/emp_id'"), L"");
  EXPECT_NE(dw.Modify(L"DataWindow.Selected='x/2/emp_id'"), L"");
  EXPECT_EQ(dw.Describe(L"DataWindow.Selected"), L"6/5/#4");
  // Start and end column name the columns between; several groups are taken.
  ASSERT_EQ(dw.Modify(L"DataWindow.Selected='1/2/dept/emp_id;4/4/salary/salary'"), L"");
  EXPECT_EQ(dw.Describe(L"DataWindow.Selected"), L"1/2/dept/emp_id;4/4/salary/salary");
  EXPECT_EQ(dw.Describe(L"DataWindow.Selected.Data"), L"101\tAnn Lee\tSales\n102\tBob Marsh\tSales\n");
  ASSERT_EQ(dw.Modify(L"DataWindow.Selected=''"), L"");
  EXPECT_EQ(dw.Describe(L"DataWindow.Selected"), L"");
  EXPECT_FALSE(dw.HasCellSelection());

  // The numbers a drag over one numeric column collects.
  ASSERT_TRUE(dw.SetCellText(2, 4, L"1.5"));
  ASSERT_TRUE(dw.SetCellText(3, 4, L"2"));
  ASSERT_TRUE(dw.SetCellText(4, 4, L"2.5"));
  ASSERT_TRUE(dw.SetCellSelection(2, 4, {2, 3, 4}));
  EXPECT_EQ(dw.SelectedText(), L"2/4/emp_name/salary");  // the DataWindow's own: start and end column
  EXPECT_EQ(dw.Describe(L"DataWindow.Selected.Data"),
            L"Bob Marsh\tSales\t1.5\nCarla Ortiz\tR&D\t2\nDinh Van An\tR&D\t2.5\n");
  EXPECT_FALSE(dw.SetCellSelection(0, 2, {1}));
  EXPECT_FALSE(dw.SetCellSelection(1, 2, {}));

  // Row selection.
  EXPECT_TRUE(dw.SelectRow(0, true));
  EXPECT_TRUE(dw.IsRowSelected(8));
  EXPECT_TRUE(dw.SelectRow(3, false));
  EXPECT_FALSE(dw.IsRowSelected(3));
  EXPECT_TRUE(dw.IsRowSelected(2));
  EXPECT_FALSE(dw.SelectRow(9, true));
  EXPECT_FALSE(dw.IsRowSelected(0));
}

TEST(PbsimModel, CurrentCellAndRowsOnPage) {
  DataWindowModel dw = LoadGrid();
  EXPECT_TRUE(dw.SetCurrentRow(5));
  EXPECT_FALSE(dw.SetCurrentRow(9));
  EXPECT_FALSE(dw.SetCurrentRow(0));
  EXPECT_EQ(dw.CurrentRow(), 5);
  EXPECT_TRUE(dw.SetCurrentColumn(4));
  EXPECT_FALSE(dw.SetCurrentColumn(5));
  EXPECT_EQ(dw.CurrentColumn(), 4);

  // Header 20 pixels, rows 17: a 76-pixel page holds three whole rows.
  dw.SetPageHeightPixels(20 + 3 * 17 + 5);
  EXPECT_EQ(dw.RowsPerPage(), 3);
  EXPECT_EQ(dw.Describe(L"DataWindow.FirstRowOnPage DataWindow.LastRowOnPage"), L"1\n3");
  EXPECT_TRUE(dw.SetFirstRowOnPage(4));
  EXPECT_EQ(dw.Describe(L"DataWindow.FirstRowOnPage DataWindow.LastRowOnPage"), L"4\n6");
  EXPECT_TRUE(dw.SetFirstRowOnPage(7));  // the last page stays full
  EXPECT_EQ(dw.FirstRowOnPage(), 6);
  EXPECT_EQ(dw.LastRowOnPage(), 8);
  // A taller header leaves room for fewer rows.
  ASSERT_EQ(dw.Modify(L"DataWindow.Header.Height='148'"), L"");
  EXPECT_EQ(dw.RowsPerPage(), 2);
  EXPECT_EQ(dw.LastRowOnPage(), dw.FirstRowOnPage() + 1);
  dw.SetPageHeightPixels(0);
  EXPECT_EQ(dw.LastRowOnPage(), 8);

  // Rows come and go.
  EXPECT_EQ(dw.InsertRow(0), 9);
  EXPECT_EQ(dw.InsertRow(1), 1);
  EXPECT_EQ(dw.CellText(2, 1), L"101");
  EXPECT_TRUE(dw.DeleteRow(1));
  EXPECT_FALSE(dw.DeleteRow(42));
  EXPECT_EQ(dw.RowCount(), 9);

  DataWindowModel empty;
  EXPECT_EQ(empty.Describe(L"DataWindow.FirstRowOnPage DataWindow.LastRowOnPage"), L"0\n0");
  EXPECT_EQ(empty.CurrentRow(), 0);
  EXPECT_EQ(empty.Describe(L"DataWindow.Column.Count"), L"0");
}

TEST(PbsimModel, FreeformSampleShowsComputedTextsAndLines) {
  DataWindowModel form;
  ASSERT_TRUE(form.Load(pbsim::kEmployeeFormSyntax));
  EXPECT_EQ(form.Describe(L"DataWindow.Processing"), L"0");
  const DwObject* bonus = form.FindObject(L"c_bonus");
  const DwObject* save = form.FindObject(L"b_save");
  const DwObject* line = form.FindObject(L"l_separator");
  const DwObject* name = form.FindObject(L"emp_name");
  ASSERT_TRUE(bonus && save && line && name);
  EXPECT_EQ(form.DisplayText(*bonus, 1), L"450");
  EXPECT_EQ(form.DisplayText(*bonus, 2), L"680.05");
  EXPECT_EQ(form.DisplayText(*save, 1), L"Save");
  EXPECT_EQ(form.DisplayText(*name, 3), L"Kofi Mensah");
  EXPECT_EQ(form.Describe(L"c_bonus.expression"), L"salary * 0.1");
  EXPECT_EQ(form.Describe(L"l_separator.pen.width"), L"5");
  const pbsim::PixelLine l = form.LinePixels(*line, 1);
  EXPECT_EQ(l.x1, pbsim::ConvertUnits(9, 3));
  EXPECT_EQ(l.y2, pbsim::ConvertUnits(350, 4));
  EXPECT_EQ(form.ObjectRectPixels(*line, 1).width, l.x2 - l.x1);
}

TEST(PbsimModel, MalformedDefinitionsAreRefusedWithoutChange) {
  DataWindowModel dw = LoadGrid();
  const std::wstring before = dw.Syntax();
  std::wstring error;
  EXPECT_FALSE(dw.Load(L"release 10;\ndatawindow(units=0 processing=1\n", &error));
  EXPECT_EQ(error, L"Line 3 Column 1: incorrect syntax.");
  EXPECT_FALSE(dw.Load(L"release 10;\ntext(band=nowhere name=a)", &error));
  EXPECT_EQ(error, L"Line 2 Column 11: unknown band.");
  EXPECT_FALSE(dw.Load(L"release 10;\ntext(band=header name=a x=\"1~t(\")", &error));
  EXPECT_EQ(error, L"Line 2 Column 27: expression is not valid.");
  EXPECT_FALSE(dw.Load(L"release x;", &error));
  EXPECT_FALSE(dw.Load(L"text(name=a) text(name=A)", &error));
  EXPECT_EQ(error, L"Line 1 Column 24: object name already exists.");
  EXPECT_FALSE(dw.Load(L"column(name=emp_id)", &error)) << "a column needs a table column";
  EXPECT_FALSE(dw.Load(L"data(1, 2)", &error)) << "rows need columns";
  EXPECT_FALSE(dw.Load(L"text(name=a text=\"open)", &error));
  EXPECT_EQ(dw.Syntax(), before);
  EXPECT_EQ(dw.RowCount(), 8);

  // Export headers and unknown items are tolerated; a column without id
  // finds its table column by name.
  ASSERT_TRUE(dw.Load(L"$PBExportHeader$d_x.srd\nrelease 10.5;\ndatawindow(units=1 processing=1)\n"
                      L"table(column=(type=char(5) name=a dbname=\"a\") column=(type=long name=b dbname=\"b\")\n"
                      L" retrieve=\"PBSELECT( VERSION(400))\" arguments=((\"p\", string)))\n"
                      L"column(name=b band=detail x=\"1\")\nsparse(names=\"a\")\ngroup(level=1 header.height=0)\n"
                      L"data(\"x\",1,\"y\",null)\n",
                      &error))
      << std::string(error.begin(), error.end());
  EXPECT_EQ(dw.Describe(L"b.id"), L"2");
  EXPECT_EQ(dw.Describe(L"DataWindow.Units"), L"1");
  EXPECT_EQ(dw.CellText(2, 1), L"y");
  EXPECT_EQ(dw.CellText(2, 2), L"");
  DataWindowModel copy;
  ASSERT_TRUE(copy.Load(dw.Syntax() + dw.DataSyntax(), &error)) << std::string(error.begin(), error.end());
  EXPECT_EQ(copy.Syntax(), dw.Syntax());
  EXPECT_NE(dw.Syntax().find(L"arguments=((\"p\", string))"), std::wstring::npos);
}

TEST(PbsimModel, EscapesAndNumberReading) {
  EXPECT_EQ(pbsim::DecodeTildes(L"a~tb~rc~nd~'e~\"f~~g"), L"a\tb\rc\nd'e\"f~g");
  EXPECT_EQ(pbsim::DecodeTildes(L"~065~h42~x~"), L"ABx~");
  EXPECT_EQ(pbsim::DecodeTildes(L"~h4"), L"h4") << "an incomplete hex escape is the letter itself";
  EXPECT_EQ(pbsim::EscapeForDoubleQuotes(L"a\"b~c\td\r\n'"), L"a~\"b~~c~td~r~n'");
  EXPECT_EQ(pbsim::DecodeTildes(pbsim::EscapeForDoubleQuotes(L"x~\"\t\r\ny")), L"x~\"\t\r\ny");

  // Describe answers are read like the runtime reads them.
  EXPECT_EQ(pbsim::LeadingInteger(L"  -42abc"), -42);
  EXPECT_EQ(pbsim::LeadingInteger(L"!"), 0);
  EXPECT_EQ(pbsim::LeadingInteger(L"1 ~t (long(x))"), 1);
  EXPECT_EQ(pbsim::LeadingInteger(L"99999999999999"), 2147483647);
  EXPECT_EQ(pbsim::LeadingInteger(L"-99999999999999"), -2147483647 - 1);
  double v = 0.0;
  EXPECT_TRUE(pbsim::ParseNumber(L" 1.5e2 ", &v));
  EXPECT_EQ(v, 150.0);
  EXPECT_FALSE(pbsim::ParseNumber(L"1.5x", &v));
  EXPECT_FALSE(pbsim::ParseNumber(L"0x10", &v));
  EXPECT_FALSE(pbsim::ParseNumber(L"inf", &v));
  EXPECT_FALSE(pbsim::ParseNumber(L"", &v));
  EXPECT_EQ(pbsim::FormatNumber(6800.5 * 0.1), L"680.05");
  EXPECT_EQ(pbsim::FormatNumber(-3.0), L"-3");
  EXPECT_EQ(pbsim::IntToText(-9223372036854775807LL - 1), L"-9223372036854775808");

  // A table column without a column object still answers for itself.
  DataWindowModel dw = LoadGrid();
  ASSERT_EQ(dw.Modify(L"destroy dept"), L"");
  EXPECT_EQ(dw.Describe(L"DataWindow.Column.Count"), L"4");
  EXPECT_EQ(dw.Describe(L"#3.name #3.coltype #3.id #3.dbname"), L"dept\nchar(10)\n3\nemployee.dept");
  EXPECT_EQ(dw.Describe(L"dept.coltype"), L"char(10)");
  EXPECT_EQ(dw.Describe(L"#3.x"), L"!");
  ASSERT_EQ(dw.Modify(L"create column(band=detail id=3 name=dept x='833' width='300')"), L"");
  EXPECT_EQ(dw.Describe(L"#3.x dept.coltype"), L"833\nchar(10)");

  // The error text stays readable through its pointer until the next modify.
  EXPECT_NE(dw.Modify(L"dept.x="), L"");
  const wchar_t* error = dw.LastModifyError();
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(std::wstring(error), L"Line 1 Column 8 incorrect syntax");
  EXPECT_EQ(dw.Describe(L"dept.x"), L"833");
  EXPECT_EQ(std::wstring(error), L"Line 1 Column 8 incorrect syntax");
}

// ---- Sources as PowerBuilder exports them ----------------------------------

namespace {

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// A small exported freeform source around one header text whose text= value
// is `textValue` (as written in the file), with `prefix` before the source,
// `suffix` after it and `eol` ending every line.
std::wstring ExportAround(const std::wstring& prefix, const std::wstring& textValue, const std::wstring& suffix,
                          const std::wstring& eol = L"\r\n") {
  return prefix + L"release 12.5;" + eol + L"datawindow(units=0 processing=0 color=16777215 )" + eol +
         L"header(height=80 color=\"536870912\" )" + eol + L"detail(height=60 color=\"536870912\" )" + eol +
         L"table(column=(type=char(10) updatewhereclause=yes name=a dbname=\"a\" )" + eol + L" )" + eol +
         L"text(band=header alignment=\"0\" text=\"" + textValue +
         L"\" border=\"0\" color=\"0\" x=\"5\" y=\"4\" height=\"60\" width=\"300\" name=t_1 visible=\"1\" )" + eol +
         suffix;
}

struct DecodingCase {
  const char* what;
  std::wstring source;
  const wchar_t* text;  // Describe("t_1.Text")
};

class ExportedSourceDecoding : public ::testing::TestWithParam<DecodingCase> {};

}  // namespace

TEST_P(ExportedSourceDecoding, ReadsTheTextAsPowerBuilderWroteIt) {
  DataWindowModel dw;
  std::wstring error;
  ASSERT_TRUE(dw.Load(GetParam().source, &error)) << GetParam().what << ": " << Narrow(error);
  EXPECT_EQ(dw.Describe(L"t_1.Text"), GetParam().text) << GetParam().what;
  EXPECT_EQ(dw.Describe(L"DataWindow.Header.Height"), L"80") << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    PbsimModel, ExportedSourceDecoding,
    ::testing::Values(
        DecodingCase{"byte-order mark and export header",
                     ExportAround(L"\ufeff$PBExportHeader$d_a.srd\r\n", L"A\u00f1o", L""), L"A\u00f1o"},
        DecodingCase{"ANSI export with HA and a hex run",
                     ExportAround(L"HA$PBExportHeader$d_a.srd\r\n$PBExportComments$Clientes\r\n",
                                  L"A$$HEX1$$f100$$ENDHEX$$o", L""),
                     L"A\u00f1o"},
        DecodingCase{"hex run of two Korean letters",
                     ExportAround(L"HA$PBExportHeader$d_a.srd\r\n", L"$$HEX2$$5cd56dad$$ENDHEX$$ 1", L""),
                     L"\ud55c\uad6d 1"},
        DecodingCase{"hex runs next to each other and tilde escapes",
                     ExportAround(L"", L"$$HEX1$$e900$$ENDHEX$$t$$HEX1$$e900$$ENDHEX$$~t~\"x~\"", L""),
                     L"\"\u00e9t\u00e9\t\"x\"\""},
        DecodingCase{"an incomplete hex run stays as written",
                     ExportAround(L"", L"$$HEX1$$zz00$$ENDHEX$$", L""), L"$$HEX1$$zz00$$ENDHEX$$"},
        DecodingCase{"line feeds only", ExportAround(L"$PBExportHeader$d_a.srd\n", L"LF", L"", L"\n"), L"LF"},
        DecodingCase{"binary data section after the source",
                     ExportAround(L"\ufeff$PBExportHeader$d_a.srd\r\n", L"Logo", L"",
                                  L"\r\n") +
                         L"\r\nStart of PowerBuilder Binary Data Section : Do NOT Edit\r\n"
                         L"0E00000000000000000000000000000000000000000000000000000000000000\r\n"
                         L"1000000000000000ffffffff(((\r\n"
                         L"End of PowerBuilder Binary Data Section : No Source Expected After This Point\r\n",
                     L"Logo"}));

namespace {

// A grouped report as PowerBuilder 2019 exports one: two group levels, a
// summary with a grand total, drawing objects, a picture, a group box, a
// nested report and the sections PowerBuilder writes after the objects.
const wchar_t kGroupedSource[] =
    L"\ufeff$PBExportHeader$d_grouped.srd\r\n"
    L"release 19;\r\n"
    L"datawindow(units=0 timer_interval=0 color=1073741824 brushmode=0 transparency=0 gradient.angle=0 "
    L"processing=0 HTMLDW=no print.printername=\"\" print.documentname=\"\" print.orientation = 0 "
    L"print.margin.left = 110 print.preview.buttons=no )\r\n"
    L"header(height=120 color=\"536870912\" transparency=\"0\" gradient.color=\"8421504\" )\r\n"
    L"summary(height=80 color=\"536870912\" )\r\n"
    L"footer(height=0 color=\"536870912\" )\r\n"
    L"detail(height=64 color=\"536870912\" height.autosize=yes )\r\n"
    L"table(column=(type=char(20) updatewhereclause=yes name=region dbname=\"sales.region\" )\r\n"
    L" column=(type=char(20) updatewhereclause=yes name=city dbname=\"sales.city\" values=\"North\tN/South\tS/\" )\r\n"
    L" column=(type=decimal(2) updatewhereclause=yes name=amount dbname=\"sales.amount\" )\r\n"
    L" column=(type=datetime updatewhereclause=yes name=sold dbname=\"sales.sold\" )\r\n"
    L" retrieve=\"PBSELECT( VERSION(400) TABLE(NAME=~\"sales~\" ) COLUMN(NAME=~\"sales.region~\")) \" "
    L"update=\"sales\" updatewhere=1 updatekeyinplace=no arguments=((\"as_region\", string)) "
    L"sort=\"region A city A \" )\r\n"
    L"group(level=1 header.height=72 trailer.height=76 by=(\"region\" ) header.color=\"12632256\" "
    L"trailer.color=\"536870912\" newpage=no )\r\n"
    L"group(level=2 header.height=0 trailer.height=68 by=(\"region\" \"city\" ) header.color=\"536870912\" "
    L"trailer.color=\"15790320\" )\r\n"
    L"text(band=header alignment=\"2\" text=\"Sales by region\" border=\"0\" color=\"33554432\" x=\"9\" y=\"8\" "
    L"height=\"64\" width=\"800\" html.valueishtml=\"0\"  name=t_title visible=\"1\"  font.face=\"Tahoma\" "
    L"font.height=\"-10\" font.weight=\"700\"  font.family=\"2\" font.pitch=\"2\" font.charset=\"0\" "
    L"background.mode=\"1\" background.color=\"536870912\" )\r\n"
    L"column(band=header.1 id=1 alignment=\"0\" tabsequence=32766 border=\"0\" color=\"33554432\" x=\"9\" y=\"4\" "
    L"height=\"64\" width=\"600\" format=\"[general]\" html.valueishtml=\"0\"  name=region visible=\"1\" "
    L"edit.limit=0 edit.case=any edit.autoselect=yes  font.face=\"Tahoma\" font.height=\"-10\" "
    L"background.mode=\"1\" background.color=\"536870912\" )\r\n"
    L"column(band=detail id=2 alignment=\"0\" tabsequence=10 border=\"0\" color=\"33554432\" x=\"9\" y=\"0\" "
    L"height=\"64\" width=\"600\" format=\"[general]\" name=city visible=\"1\" ddlb.limit=0 "
    L"values=\"North\tN/South\tS/\" font.face=\"Tahoma\" font.height=\"-10\" background.mode=\"1\" "
    L"background.color=\"536870912\" )\r\n"
    L"column(band=detail id=3 alignment=\"1\" tabsequence=20 border=\"0\" color=\"33554432\" x=\"618\" y=\"0\" "
    L"height=\"64\" width=\"400\" format=\"#,##0.00\" name=amount visible=\"1\" font.face=\"Tahoma\" "
    L"font.height=\"-10\" background.mode=\"1\" background.color=\"536870912\" )\r\n"
    L"compute(band=trailer.2 alignment=\"1\" expression=\"sum(amount for group 2)\"border=\"0\" "
    L"color=\"33554432\" x=\"618\" y=\"4\" height=\"64\" width=\"400\" format=\"#,##0.00\" "
    L"html.valueishtml=\"0\"  name=compute_city visible=\"1\"  font.face=\"Tahoma\" font.height=\"-10\" "
    L"background.mode=\"1\" background.color=\"536870912\" )\r\n"
    L"compute(band=trailer.1 alignment=\"1\" expression=\"sum(amount\tfor group 1)\"border=\"0\" "
    L"color=\"33554432\" x=\"618\" y=\"4\" height=\"64\" width=\"400\" name=compute_region visible=\"1\" "
    L"font.face=\"Tahoma\" font.height=\"-10\" background.mode=\"1\" background.color=\"536870912\" "
    L"tag=\"Region\ttotal\" )\r\n"
    L"compute(band=summary alignment=\"1\" expression=\"sum(amount for all)\"border=\"0\" color=\"33554432\" "
    L"x=\"618\" y=\"4\" height=\"64\" width=\"400\" name=compute_total visible=\"1\" font.face=\"Tahoma\" "
    L"font.height=\"-10\" background.mode=\"1\" background.color=\"536870912\" )\r\n"
    L"rectangle(band=header x=\"850\" y=\"4\" height=\"100\" width=\"200\"  name=r_1 visible=\"1\" "
    L"brush.hatch=\"6\" brush.color=\"12632256\" pen.style=\"0\" pen.width=\"5\" pen.color=\"8388608\"  "
    L"background.mode=\"2\" background.color=\"0\" )\r\n"
    L"roundrectangle(band=header ellipseheight=\"20\" ellipsewidth=\"24\" x=\"1060\" y=\"4\" height=\"100\" "
    L"width=\"200\"  name=rr_1 visible=\"1\" brush.hatch=\"7\" brush.color=\"16777215\" pen.style=\"0\" "
    L"pen.width=\"5\" pen.color=\"255\"  background.mode=\"2\" background.color=\"0\" )\r\n"
    L"ellipse(band=header x=\"1270\" y=\"4\" height=\"100\" width=\"100\"  name=oval_1 visible=\"1\" "
    L"brush.hatch=\"6\" brush.color=\"65280\" pen.style=\"0\" pen.width=\"5\" pen.color=\"0\"  "
    L"background.mode=\"2\" background.color=\"0\" )\r\n"
    L"bitmap(band=header filename=\"images\\logo.bmp\" x=\"1380\" y=\"4\" height=\"100\" width=\"100\" "
    L"border=\"0\"  name=p_logo visible=\"1\" transparency=\"0\" )\r\n"
    L"groupbox(band=summary text=\"Totals\"border=\"5\" color=\"33554432\" x=\"1050\" y=\"0\" height=\"76\" "
    L"width=\"400\"  name=gb_totals visible=\"1\"  font.face=\"Tahoma\" font.height=\"-10\" "
    L"background.mode=\"2\" background.color=\"67108864\" )\r\n"
    L"report(band=summary dataobject=\"d_notes\" x=\"1460\" y=\"0\" height=\"76\" width=\"300\" border=\"2\"  "
    L"criteria=\"\" nest_arguments=((\" as_region \")) trail_footer = yes  name=dw_notes visible=\"1\"  "
    L"slideup=directlyabove )\r\n"
    L"text(band=foreground alignment=\"0\" text=\"A\u00f1o\" border=\"0\" color=\"0\" x=\"1800\" y=\"4\" "
    L"height=\"60\" width=\"200\" name=a\u00f1o_t visible=\"1\" )\r\n"
    L"text(band=header.2 alignment=\"0\" text=\"\uc774\ub984\" border=\"0\" color=\"0\" x=\"9\" y=\"0\" "
    L"height=\"0\" width=\"200\" name=\uc774\ub984_t visible=\"1\" )\r\n"
    L"text(band=background alignment=\"0\" text=\"long\" border=\"0\" color=\"0\" x=\"0\" y=\"0\" "
    L"height=\"10\" width=\"10\" name=t_a_name_that_is_much_longer_than_forty_characters_1 visible=\"1\" )\r\n"
    L"htmltable(border=\"1\" )\r\n"
    L"htmlgen(clientevents=\"1\" clientvalidation=\"1\" clientcomputedfields=\"1\" encodeselflinkargs=\"1\" "
    L"netscapelayers=\"0\" pagingmethod=0 generatedddwframes=\"1\" )\r\n"
    L"xhtmlgen() cssgen(sessionspecific=\"0\" )\r\n"
    L"xmlgen(inline=\"0\" )\r\n"
    L"xsltgen()\r\n"
    L"jsgen()\r\n"
    L"export.xml(headgroups=\"1\" includewhitespace=\"0\" metadatatype=0 savemetadata=0 )\r\n"
    L"import.xml()\r\n"
    L"export.pdf(method=0 distill.custompostscript=\"0\" xslfop.print=\"0\" )\r\n"
    L"export.xhtml()\r\n"
    L"sparse(names=\"region\tcity\")\r\n"
    L"data( \"East\", \"North\", 10.5, 2024-01-31 10:20:30.000000,\r\n"
    L" \"East\", \"North\", 4, 2024-02-01 08:00:00,\r\n"
    L" \"East\", \"South\", 1.25, null,\r\n"
    L" \"West\", \"South\", 100, 2024-03-05 00:00:00.000000,)\r\n";

struct DescribeCase {
  const wchar_t* property;
  const wchar_t* answer;
};

// The grouped source, loaded once; *error holds why it did not load.
const DataWindowModel* GroupedModel(std::wstring* error) {
  static DataWindowModel model;
  static std::wstring loadError;
  static const bool loaded = model.Load(kGroupedSource, &loadError);
  *error = loadError;
  return loaded ? &model : nullptr;
}

class GroupedSourceDescribe : public ::testing::TestWithParam<DescribeCase> {};

}  // namespace

TEST_P(GroupedSourceDescribe, Answers) {
  std::wstring error;
  const DataWindowModel* dw = GroupedModel(&error);
  ASSERT_NE(dw, nullptr) << Narrow(error);
  EXPECT_EQ(dw->Describe(GetParam().property), GetParam().answer) << Narrow(GetParam().property);
}

INSTANTIATE_TEST_SUITE_P(
    PbsimModel, GroupedSourceDescribe,
    ::testing::Values(
        // Group bands.
        DescribeCase{L"DataWindow.Header.1.Height", L"72"}, DescribeCase{L"DataWindow.Trailer.1.Height", L"76"},
        DescribeCase{L"DataWindow.Header.2.Height", L"0"}, DescribeCase{L"DataWindow.Trailer.2.Height", L"68"},
        DescribeCase{L"DataWindow.header.1.color", L"12632256"},
        DescribeCase{L"DataWindow.Trailer.2.Color", L"15790320"},
        DescribeCase{L"DataWindow.Header.3.Height", L"!"}, DescribeCase{L"DataWindow.Trailer.Height", L"!"},
        DescribeCase{L"DataWindow.Header.Height", L"120"}, DescribeCase{L"DataWindow.Summary.Height", L"80"},
        DescribeCase{L"DataWindow.Bands",
                     L"header\theader.1\theader.2\tdetail\ttrailer.2\ttrailer.1\tsummary\tfooter"},
        DescribeCase{L"region.Band", L"header.1"}, DescribeCase{L"compute_city.band", L"trailer.2"},
        // Drawing objects, the picture, the group box and the nested report.
        DescribeCase{L"r_1.Type", L"rectangle"}, DescribeCase{L"r_1.Brush.Color", L"12632256"},
        DescribeCase{L"r_1.Pen.Color", L"8388608"}, DescribeCase{L"r_1.Pen.Width", L"5"},
        DescribeCase{L"r_1.X", L"850"}, DescribeCase{L"r_1.Background.Color", L"0"},
        DescribeCase{L"rr_1.Type", L"roundrectangle"}, DescribeCase{L"rr_1.EllipseHeight", L"20"},
        DescribeCase{L"rr_1.Brush.Hatch", L"7"}, DescribeCase{L"oval_1.Type", L"ellipse"},
        DescribeCase{L"oval_1.Brush.Color", L"65280"}, DescribeCase{L"oval_1.Text", L"!"},
        DescribeCase{L"p_logo.Type", L"bitmap"}, DescribeCase{L"p_logo.FileName", L"images\\logo.bmp"},
        DescribeCase{L"p_logo.Invert", L"0"}, DescribeCase{L"gb_totals.Type", L"groupbox"},
        DescribeCase{L"gb_totals.Text", L"Totals"}, DescribeCase{L"gb_totals.Border", L"5"},
        DescribeCase{L"dw_notes.Type", L"report"}, DescribeCase{L"dw_notes.DataObject", L"d_notes"},
        DescribeCase{L"dw_notes.Height", L"76"}, DescribeCase{L"dw_notes.Band", L"summary"},
        // Names of any letters and length; values with literal tabs.
        DescribeCase{L"a\u00f1o_t.Text", L"A\u00f1o"}, DescribeCase{L"\uc774\ub984_t.Text", L"\uc774\ub984"},
        DescribeCase{L"t_a_name_that_is_much_longer_than_forty_characters_1.Text", L"long"},
        DescribeCase{L"compute_region.Tag", L"\"Region\ttotal\""},
        DescribeCase{L"city.Values", L"\"North\tN/South\tS/\""},
        // Data: unquoted datetimes, nulls.
        DescribeCase{L"Evaluate('string(sold)', 1)", L"2024-01-31 10:20:30.000000"},
        DescribeCase{L"Evaluate('string(sold)', 2)", L"2024-02-01 08:00:00"},
        DescribeCase{L"Evaluate('string(sold)', 3)", L""},
        DescribeCase{L"Evaluate('city', 4)", L"South"},
        DescribeCase{L"DataWindow.Column.Count", L"4"}));

TEST(PbsimModel, RealSourceKeepsWhatItDoesNotModelAndReloadsItsSyntax) {
  DataWindowModel dw;
  std::wstring error;
  ASSERT_TRUE(dw.Load(kGroupedSource, &error)) << Narrow(error);
  EXPECT_EQ(dw.RowCount(), 4);
  const std::wstring objects = dw.Describe(L"DataWindow.Objects");
  for (const wchar_t* name : {L"r_1", L"rr_1", L"oval_1", L"p_logo", L"gb_totals", L"dw_notes", L"compute_city"}) {
    EXPECT_NE(objects.find(name), std::wstring::npos) << Narrow(name);
  }
  const std::wstring syntax = dw.Syntax();
  for (const wchar_t* kept : {L"htmlgen(", L"export.xml(", L"sparse(names=\"region\tcity\")", L"export.pdf(",
                              L"group(level=1 ", L"group(level=2 ", L"by=(\"region\" \"city\" )",
                              L"rectangle(name=r_1 ", L"bitmap(name=p_logo "}) {
    EXPECT_NE(syntax.find(kept), std::wstring::npos) << Narrow(kept);
  }
  DataWindowModel copy;
  ASSERT_TRUE(copy.Load(syntax + dw.DataSyntax(), &error)) << Narrow(error);
  EXPECT_EQ(copy.Syntax(), syntax);
  EXPECT_EQ(copy.Describe(L"DataWindow.Trailer.1.Height DataWindow.Header.1.Color"), L"76\n12632256");

  // Modify reaches group bands and the new objects.
  EXPECT_EQ(dw.Modify(L"DataWindow.Trailer.1.Height=100 DataWindow.Header.2.Color='255'"), L"");
  EXPECT_EQ(dw.Describe(L"DataWindow.Trailer.1.Height DataWindow.Header.2.Color"), L"100\n255");
  EXPECT_NE(dw.Syntax().find(L"trailer.height=100"), std::wstring::npos);
  EXPECT_NE(dw.Modify(L"DataWindow.Trailer.3.Height=100"), L"");
  EXPECT_EQ(dw.Modify(L"r_1.brush.color='255' oval_1.x='99' p_logo.filename='x.bmp' gb_totals.text='Sum'"), L"");
  EXPECT_EQ(dw.Describe(L"r_1.brush.color oval_1.x p_logo.filename gb_totals.text"), L"255\n99\nx.bmp\nSum");
  EXPECT_EQ(dw.Modify(L"create ellipse(band=trailer.1 x='1' y='2' width='30' height='40' name=e_2)"), L"");
  EXPECT_EQ(dw.Describe(L"e_2.type e_2.band e_2.pen.style"), L"ellipse\ntrailer.1\n0");
  EXPECT_NE(dw.Modify(L"oval_1.x='abc'"), L"");
}

TEST(PbsimModel, CrosstabHeaderRowsAndTreeViewsLoad) {
  DataWindowModel dw;
  std::wstring error;
  ASSERT_TRUE(dw.Load(L"$PBExportHeader$d_cross.srd\n"
                      L"release 12;\n"
                      L"datawindow(units=0 processing=4 color=16777215 )\n"
                      L"header[1](height=64 color=\"536870912\" )\n"
                      L"header[2](height=72 color=\"12632256\" )\n"
                      L"summary(height=0 color=\"536870912\" )\n"
                      L"footer(height=0 color=\"536870912\" )\n"
                      L"detail(height=68 color=\"536870912\" )\n"
                      L"table(column=(type=char(10) name=region dbname=\"region\" )\n"
                      L" column=(type=number name=amount dbname=\"amount\" ) )\n"
                      L"text(band=header[1] text=\"Sum Of Amount\" x=\"9\" y=\"4\" height=\"56\" width=\"400\" "
                      L"name=t_caption visible=\"1\" )\n"
                      L"text(band=header[2] text=\"@region\" x=\"9\" y=\"4\" height=\"56\" width=\"400\" "
                      L"name=t_region visible=\"1\" )\n"
                      L"column(band=detail id=2 x=\"9\" y=\"4\" height=\"56\" width=\"400\" name=amount )\n"
                      L"crosstab(band = foreground  crosstabdash=\"1\" columns=\"region\" rows=\"\" "
                      L"values=\"sum(amount for crosstab)\" sourcenames=\"region, amount\")\n"
                      L"tree(type=1 showconnectlines=yes showleafnodeconnectLines=yes indent=64 )\n",
                      &error))
      << Narrow(error);
  EXPECT_EQ(dw.CrosstabHeaderCount(), 2);
  EXPECT_EQ(dw.Describe(L"DataWindow.Header[2].Height t_region.band t_caption.band DataWindow.Processing"),
            L"72\nheader[2]\nheader[1]\n4");
  EXPECT_EQ(dw.Describe(L"DataWindow.Header[1].Color"), L"536870912");
  DataWindowModel copy;
  ASSERT_TRUE(copy.Load(dw.Syntax(), &error)) << Narrow(error);
  EXPECT_EQ(copy.Syntax(), dw.Syntax());
  EXPECT_NE(dw.Syntax().find(L"header[2](height=72 "), std::wstring::npos);
  EXPECT_NE(dw.Syntax().find(L"tree(type=1 "), std::wstring::npos);
}

TEST(PbsimModel, TextThatIsNoDataWindowSourceIsRefused) {
  struct Case {
    const wchar_t* text;
    const wchar_t* error;
  };
  const Case cases[] = {
      {L"hello world", L"Line 1 Column 7: incorrect syntax."},
      {L"$PBExportHeader$w_main.srw\r\nforward\r\nglobal type w_main from window\r\nend type\r\n",
       L"Line 3 Column 1: incorrect syntax."},
      {L"\ufeffrelease 19;\r\ndatawindow(units=0\r\n", L"Line 3 Column 1: incorrect syntax."},
      {L"release 19;\ntext(band=header[x] name=a)", L"Line 2 Column 11: unknown band."},
      {L"release 19;\ntext(band=header.0 name=a)", L"Line 2 Column 11: unknown band."},
      {L"release 19;\ngroup(level=1 header.height=\"abc\")", L"Line 2 Column 29: invalid value."},
      {L"release 19;\ngroup(level=1) group(level=1)", L"Line 2 Column 28: invalid value."},
  };
  for (const Case& c : cases) {
    DataWindowModel dw;
    std::wstring error;
    EXPECT_FALSE(dw.Load(c.text, &error)) << Narrow(c.text);
    EXPECT_EQ(error, c.error) << Narrow(c.text);
  }
}

namespace {

struct ExpressionCase {
  const wchar_t* expression;
  long row;
  const wchar_t* value;
};

// Over the rows of the grouped source: region, city, amount, sold
//   1 East North 10.5   2 East North 4   3 East South 1.25   4 West South 100
class GroupedSourceExpressions : public ::testing::TestWithParam<ExpressionCase> {};

}  // namespace

TEST_P(GroupedSourceExpressions, Evaluate) {
  std::wstring error;
  const DataWindowModel* dw = GroupedModel(&error);
  ASSERT_NE(dw, nullptr) << Narrow(error);
  const ExpressionCase& c = GetParam();
  std::wstring value;
  ASSERT_TRUE(dw->EvaluateExpression(c.expression, c.row, &value)) << Narrow(c.expression) << " row " << c.row;
  EXPECT_EQ(value, c.value) << Narrow(c.expression) << " row " << c.row;
}

INSTANTIATE_TEST_SUITE_P(
    PbsimModel, GroupedSourceExpressions,
    ::testing::Values(
        // Aggregates and their scopes.
        ExpressionCase{L"sum(amount for all)", 2, L"115.75"}, ExpressionCase{L"sum(amount)", 3, L"115.75"},
        ExpressionCase{L"sum(amount for group 1)", 1, L"15.75"},
        ExpressionCase{L"sum(amount for group 1)", 4, L"100"},
        ExpressionCase{L"sum(amount for group 2)", 2, L"14.5"},
        ExpressionCase{L"sum(amount for group 2)", 3, L"1.25"},
        ExpressionCase{L"SUM( amount FOR GROUP 2 )", 1, L"14.5"},
        ExpressionCase{L"sum(amount\tfor\tgroup 1)", 3, L"15.75"},
        ExpressionCase{L"count(amount for group 1)", 2, L"3"}, ExpressionCase{L"count(city for all)", 1, L"4"},
        ExpressionCase{L"avg(amount for group 2)", 1, L"7.25"}, ExpressionCase{L"avg(amount for all)", 1, L"28.9375"},
        ExpressionCase{L"max(amount for all)", 1, L"100"}, ExpressionCase{L"min(amount for group 1)", 1, L"1.25"},
        ExpressionCase{L"max(city for all)", 1, L"South"}, ExpressionCase{L"min(region for group 1)", 4, L"West"},
        ExpressionCase{L"sum(amount for all distinct)", 1, L"115.75"},
        ExpressionCase{L"sum(amount for all distinct city)", 1, L"115.75"},
        ExpressionCase{L"sum(amount for page)", 1, L"115.75"},
        ExpressionCase{L"sum(amount * 2 for group 2) / 2", 4, L"100"},
        // case().
        ExpressionCase{L"case(city when 'North' then 1 when 'South', 'West' then 2 else 3)", 1, L"1"},
        ExpressionCase{L"case(city when 'North' then 1 when 'South', 'West' then 2 else 3)", 3, L"2"},
        ExpressionCase{L"case(region when 'North' then 1 when 'South', 'West' then 2 else 3)", 1, L"3"},
        ExpressionCase{L"case(amount when 1 to 5 then 'low' when is > 50 then 'high' else 'mid')", 2, L"low"},
        ExpressionCase{L"case(amount when 1 to 5 then 'low' when is > 50 then 'high' else 'mid')", 4, L"high"},
        ExpressionCase{L"case(amount when 1 to 5 then 'low' when is > 50 then 'high' else 'mid')", 1, L"mid"},
        ExpressionCase{L"case(amount when 1.25, 4 to 5, is >= 100 then 'listed' else 'other')", 3, L"listed"},
        ExpressionCase{L"case(amount when 1.25, 4 to 5, is >= 100 then 'listed' else 'other')", 1, L"other"},
        ExpressionCase{L"CASE(amount WHEN IS<2 THEN 'small' WHEN IS<>4 THEN 'big' ELSE 'four')", 2, L"four"},
        ExpressionCase{L"case(amount when 0 then 'zero')", 1, L""},
        ExpressionCase{L"case(city when 'North' then amount + amount[1] else 0)", 1, L"14.5"},
        // Rows relative to the evaluated one; outside the rows: null.
        ExpressionCase{L"amount[-1]", 2, L"10.5"}, ExpressionCase{L"amount[-1]", 1, L""},
        ExpressionCase{L"amount[1]", 4, L""}, ExpressionCase{L"amount[ 1 ] - amount", 1, L"-6.5"},
        ExpressionCase{L"amount[0] + amount[+2]", 1, L"11.75"}, ExpressionCase{L"city[-3]", 4, L"North"},
        ExpressionCase{L"isnull(amount[-1])", 1, L"1"}, ExpressionCase{L"isnull(amount[-1])", 2, L"0"},
        ExpressionCase{L"amount[-1] * 2 + 1", 1, L""},
        ExpressionCase{L"if(amount[-1] > 5, 'after big', 'after small')", 2, L"after big"},
        ExpressionCase{L"if(amount[-1] > 5, 'after big', 'after small')", 1, L"after small"},
        ExpressionCase{L"if(region = region[-1], 'same', 'new')", 4, L"new"},
        // Comments and literal tabs.
        ExpressionCase{L"amount /* the amount */ * 2", 2, L"8"},
        ExpressionCase{L"/* leading */ amount\t+\t1 /* trailing", 2, L"5"},
        ExpressionCase{L"string(amount, '#,##0.00') + '/'", 2, L"4/"}));

TEST(PbsimModel, MalformedCaseAggregatesAndRowReferencesAreNotExpressions) {
  DataWindowModel dw;
  std::wstring error;
  ASSERT_TRUE(dw.Load(kGroupedSource, &error)) << Narrow(error);
  for (const wchar_t* bad : {L"case(city when then 1)", L"case(city)", L"case(city when 'a' then 1 else)",
                             L"case(city when 'a' 1)", L"case(city when is 'a' then 1)",
                             L"sum(amount for group x)", L"sum(amount for everything)", L"sum(amount for)",
                             L"amount[x]", L"amount[-1", L"amount[]"}) {
    std::wstring value;
    EXPECT_FALSE(dw.EvaluateExpression(bad, 1, &value)) << Narrow(bad);
  }
  // Computed fields in group trailers show their group's total.
  const pbsim::DwObject* region = dw.FindObject(L"compute_region");
  const pbsim::DwObject* city = dw.FindObject(L"compute_city");
  ASSERT_TRUE(region && city);
  EXPECT_EQ(dw.DisplayText(*region, 2), L"15.75");
  EXPECT_EQ(dw.DisplayText(*city, 3), L"1.25");
  EXPECT_EQ(dw.DisplayText(*region, 4), L"100");
  // Where the groups begin and end.
  const bool starts1[] = {true, false, false, true};
  const bool starts2[] = {true, false, true, true};
  const bool ends2[] = {false, true, true, true};
  for (long row = 1; row <= 4; ++row) {
    EXPECT_EQ(dw.StartsGroup(1, row), starts1[row - 1]) << row;
    EXPECT_EQ(dw.StartsGroup(2, row), starts2[row - 1]) << row;
    EXPECT_EQ(dw.EndsGroup(2, row), ends2[row - 1]) << row;
  }
  EXPECT_FALSE(dw.StartsGroup(3, 1));
}

namespace {

struct SampleCase {
  const wchar_t* type;
  const wchar_t* name;
  const wchar_t* codes;
  long row;
  const wchar_t* value;
};

class SampleValues : public ::testing::TestWithParam<SampleCase> {};

}  // namespace

TEST_P(SampleValues, FollowTheColumnType) {
  const SampleCase& c = GetParam();
  EXPECT_EQ(pbsim::SampleValue(c.type, c.name, c.codes, c.row), c.value) << Narrow(c.type) << " row " << c.row;
}

INSTANTIATE_TEST_SUITE_P(
    PbsimModel, SampleValues,
    ::testing::Values(SampleCase{L"char(10)", L"city", L"", 1, L"city 1"},
                      SampleCase{L"char(20)", L"name", L"", 12, L"name 12"},
                      SampleCase{L"char(6)", L"city", L"", 12, L"city 1"},
                      SampleCase{L"CHAR(3)", L"region", L"", 1, L"reg"},
                      SampleCase{L"long", L"emp_id", L"", 1, L"10"}, SampleCase{L"long", L"emp_id", L"", 4, L"-40"},
                      SampleCase{L"ulong", L"n", L"", 4, L"40"}, SampleCase{L"integer", L"n", L"", 2, L"20"},
                      SampleCase{L"int", L"n", L"", 8, L"-80"}, SampleCase{L"number", L"x", L"", 1, L"12.75"},
                      SampleCase{L"number", L"x", L"", 4, L"-50.25"}, SampleCase{L"real", L"x", L"", 3, L"37.75"},
                      SampleCase{L"decimal(2)", L"x", L"", 2, L"25.25"},
                      SampleCase{L"decimal(3)", L"x", L"", 4, L"-50.250"},
                      SampleCase{L"decimal(0)", L"x", L"", 1, L"13"},
                      SampleCase{L"date", L"d", L"", 1, L"2024-01-01"},
                      SampleCase{L"date", L"d", L"", 32, L"2024-02-01"},
                      SampleCase{L"date", L"d", L"", 60, L"2024-02-29"},
                      SampleCase{L"date", L"d", L"", 367, L"2025-01-01"},
                      SampleCase{L"datetime", L"d", L"", 2, L"2024-01-02 08:01:00"},
                      SampleCase{L"datetime", L"d", L"", 61, L"2024-03-01 09:00:00"},
                      SampleCase{L"time", L"t", L"", 3, L"08:02:00"},
                      SampleCase{L"char(1)", L"sex", L"Male\tM/Female\tF/", 3, L"M"},
                      SampleCase{L"char(1)", L"sex", L"Male\tM/Female\tF/", 2, L"F"},
                      SampleCase{L"long", L"status", L"Open\t1/Closed\t2/Held\t3/", 6, L"3"},
                      SampleCase{L"blob", L"b", L"", 1, L""}));

TEST(PbsimModel, SampleRowsFillEveryColumnAndFormGroups) {
  DataWindowModel dw;
  std::wstring error;
  // The grouped source without its data section.
  std::wstring source = kGroupedSource;
  source.erase(source.find(L"data("));
  ASSERT_TRUE(dw.Load(source, &error)) << Narrow(error);
  ASSERT_EQ(dw.RowCount(), 0);
  EXPECT_EQ(pbsim::FillSampleRows(dw, 6), 6);
  EXPECT_EQ(dw.CurrentRow(), 1);
  const wchar_t* const expected[6][4] = {
      {L"region 1", L"N", L"12.75", L"2024-01-01 08:00:00"}, {L"region 2", L"S", L"25.25", L"2024-01-02 08:01:00"},
      {L"region 3", L"N", L"37.75", L"2024-01-03 08:02:00"}, {L"region 4", L"S", L"-50.25", L"2024-01-04 08:03:00"},
      {L"region 5", L"N", L"62.75", L"2024-01-05 08:04:00"}, {L"region 6", L"S", L"75.25", L"2024-01-06 08:05:00"}};
  for (long row = 1; row <= 6; ++row) {
    for (int column = 1; column <= 4; ++column) {
      EXPECT_EQ(dw.CellText(row, column), expected[row - 1][column - 1]) << row << "/" << column;
    }
    EXPECT_TRUE(dw.StartsGroup(1, row)) << "every sample region differs";
  }
  EXPECT_EQ(pbsim::FillSampleRows(dw, 0), 0);
  EXPECT_EQ(dw.RowCount(), 0);
}

TEST(PbsimModel, CutAndDamagedSourcesLoadOrSayWhereTheyStop) {
  // Every cut of the grouped source, and the source with one character
  // replaced by each of the characters the reader treats specially.
  const std::wstring source = kGroupedSource;
  int loaded = 0;
  int refused = 0;
  auto check = [&](const std::wstring& text) {
    DataWindowModel dw;
    std::wstring error;
    if (dw.Load(text, &error)) {
      ++loaded;
      // What loads also paints its rows' texts and writes itself back.
      for (const pbsim::DwObject& object : dw.Objects()) dw.DisplayText(object, 1);
      DataWindowModel copy;
      EXPECT_TRUE(copy.Load(dw.Syntax() + dw.DataSyntax(), &error)) << Narrow(error);
    } else {
      ++refused;
      EXPECT_EQ(error.compare(0, 5, L"Line "), 0) << Narrow(error);
    }
  };
  for (size_t n = 0; n <= source.size(); n += 5) check(source.substr(0, n));
  const wchar_t specials[] = {L'(', L')', L'"', L'~', L'$', L'\t', L'=', L'[', L'.', L'\0'};
  for (size_t at = 0; at < source.size(); at += 37) {
    for (wchar_t c : specials) {
      std::wstring damaged = source;
      damaged[at] = c;
      check(damaged);
    }
  }
  EXPECT_GT(loaded, 0);
  EXPECT_GT(refused, 0);

  // Values that begin with "(" and end with ")" without being one group are
  // written back in quotes.
  DataWindowModel dw;
  std::wstring error;
  ASSERT_TRUE(dw.Load(L"release 19;\ntable(column=(type=long name=a dbname=\"a\"))\n"
                      L"compute(band=detail expression=\"(a) + (1)\" name=c_1)\n"
                      L"compute(band=detail expression=\"(um(a for all)\" name=c_2)\n"
                      L"compute(band=detail expression=\"(a + ')(')\" name=c_3)\n",
                      &error))
      << Narrow(error);
  const std::wstring syntax = dw.Syntax();
  EXPECT_NE(syntax.find(L"expression=\"(a) + (1)\""), std::wstring::npos);
  EXPECT_NE(syntax.find(L"expression=\"(um(a for all)\""), std::wstring::npos);
  EXPECT_NE(syntax.find(L"expression=(a + ')(')"), std::wstring::npos);
  DataWindowModel copy;
  ASSERT_TRUE(copy.Load(syntax, &error)) << Narrow(error);
  EXPECT_EQ(copy.Describe(L"c_1.expression c_2.expression c_3.expression"), L"(a) + (1)\n(um(a for all)\n(a + ')(')");
}
