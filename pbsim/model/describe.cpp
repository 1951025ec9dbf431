// Describe: the answers a DataWindow gives about itself and its objects.
#include "model/datawindow_model.h"
#include "model/units.h"
#include "model/escapes.h"
#include "model/property_catalog.h"
#include "model/scanner.h"
#include "model/wide_text.h"

namespace pbsim {

namespace {

const wchar_t kNotFound[] = L"!";

// A property value as Describe reports it: "?" when it has none; in double
// quotes when it could be mistaken for something else — an expression
// (default value, tab, expression) or a value containing "!" or "?".
std::wstring Reported(const std::wstring& value) {
    if (value.empty()) return L"?";
    if (value.find_first_of(L"\t!?") != std::wstring::npos) return L"\"" + value + L"\"";
    return value;
}

// The stored value, else the catalogue's default, as reported; "!" for a
// property the object does not have.
std::wstring Reported(const std::wstring* stored, const wchar_t* def) {
    if (stored) return Reported(*stored);
    return def ? Reported(std::wstring(def)) : std::wstring(kNotFound);
}

// Items are separated by blanks outside quotes and parentheses, so that
// Evaluate('a + b', 3) stays one item.
std::vector<std::wstring> SplitItems(const std::wstring& text) {
    std::vector<std::wstring> items;
    std::wstring current;
    wchar_t quote = 0;
    int depth = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (quote) {
            current += c;
            if (c == L'~' && i + 1 < text.size()) {
                current += text[++i];
            } else if (c == quote) {
                quote = 0;
            }
            continue;
        }
        if (IsBlank(c) && depth == 0) {
            if (!current.empty()) items.push_back(current);
            current.clear();
            continue;
        }
        if (c == L'\'' || c == L'"') quote = c;
        if (c == L'(') ++depth;
        if (c == L')' && depth > 0) --depth;
        current += c;
    }
    if (!current.empty()) items.push_back(current);
    return items;
}

}  // namespace

std::wstring DataWindowModel::Describe(const std::wstring& properties) const {
    std::wstring answer;
    const std::vector<std::wstring> items = SplitItems(properties);
    for (size_t i = 0; i < items.size(); ++i) {
        const std::wstring one = DescribeOne(items[i]);
        if (i > 0) answer += L'\n';
        answer += one;
        if (one == kNotFound) break;  // the rest of the list is ignored
    }
    return answer;
}

std::wstring DataWindowModel::DescribeOne(const std::wstring& item) const {
    if (StartsWithNoCase(item, L"evaluate(")) return DescribeEvaluate(item);
    const size_t dot = item.find(L'.');
    if (dot == std::wstring::npos || dot == 0 || dot + 1 >= item.size()) return kNotFound;
    const std::wstring head = item.substr(0, dot);
    const std::wstring path = ToLowerAscii(item.substr(dot + 1));
    if (EqualsNoCase(head, L"datawindow")) return DescribeDataWindow(path);
    const DwObject* object = ResolveObject(head);
    if (object) return DescribeObject(*object, path);

    // A table column without a column object still has a name and a type.
    int id = 0;
    if (head[0] == L'#') {
        double number = 0.0;
        if (ParseNumber(head.substr(1), &number)) id = static_cast<int>(number);
    } else {
        id = ColumnIdByName(head);
    }
    const TableColumn* column = Column(id);
    if (!column) return kNotFound;
    if (path == L"name") return column->Name();
    if (path == L"coltype") return column->Type();
    if (path == L"id") return IntToText(id);
    if (path == L"dbname") {
        const std::wstring* dbname = column->props.Find(L"dbname");
        return dbname ? *dbname : column->Name();
    }
    return kNotFound;
}

std::wstring DataWindowModel::DescribeObject(const DwObject& object, const std::wstring& key) const {
    if (key == L"name") return object.name;
    if (key == L"type") return ObjectKindName(object.kind);
    if (object.kind == ObjectKind::Compute && key == L"coltype") return ComputedType(object);
    if (object.kind == ObjectKind::Column) {
        const TableColumn* column = Column(object.ColumnId());
        if (key == L"coltype") return column ? column->Type() : std::wstring(kNotFound);
        if (key == L"dbname" && column) {
            const std::wstring* dbname = column->props.Find(L"dbname");
            return dbname ? *dbname : column->Name();
        }
    }
    return Reported(object.props.Find(key), ObjectPropertyDefault(object.kind, key));
}

std::wstring DataWindowModel::DescribeDataWindow(const std::wstring& path) const {
    if (path == L"syntax") return Syntax();
    if (path == L"syntax.data") return DataSyntax();
    if (path == L"column.count") return IntToText(ColumnCount());
    if (path == L"selected") return SelectedText();
    if (path == L"selected.data") return SelectedData();
    if (path == L"firstrowonpage") return IntToText(FirstRowOnPage());
    if (path == L"lastrowonpage") return IntToText(LastRowOnPage());
    // The scroll positions are in PowerBuilder units, whatever the DataWindow's
    // own units.
    if (path == L"horizontalscrollposition") return IntToText(ConvertUnits(m_hScrollPixels, 1, m_dpiX, m_dpiY));
    if (path == L"bands") return BandNames();
    if (path == L"objects") return ObjectNames();

    std::wstring band;
    std::wstring key;
    if (SplitBandPath(path, &band, &key)) return Reported(StoredBandProperty(band, key), BandPropertyDefault(key));
    return Reported(m_dwProps.Find(path), DataWindowPropertyDefault(path));
}

// The names of the controls, in the order of the definition, tab-separated.
std::wstring DataWindowModel::ObjectNames() const {
    std::wstring names;
    for (const DwObject& object : m_objects) {
        if (object.name.empty()) continue;
        if (!names.empty()) names += L'\t';
        names += object.name;
    }
    return names;
}

// A computed field's data type, from the value its expression gives for the
// first row: "number", or "char(255)" for text (the stand-in does not size
// computed strings); "?" when it cannot be evaluated.
std::wstring DataWindowModel::ComputedType(const DwObject& object) const {
    const std::wstring* expression = object.props.Find(L"expression");
    std::wstring value;
    if (!expression || !EvaluateExpression(*expression, RowCount() > 0 ? 1 : 0, &value)) return L"?";
    double number = 0.0;
    return ParseNumber(value, &number) ? L"number" : L"char(255)";
}

// Evaluate('expression', row): the expression's value for that row.
std::wstring DataWindowModel::DescribeEvaluate(const std::wstring& item) const {
    SyntaxScanner s(item);
    s.SetPos(9);  // after "evaluate("
    s.SkipBlanks();
    std::wstring expression;
    if (!s.ReadQuoted(expression)) return kNotFound;
    s.SkipBlanks();
    if (!s.Accept(L',')) return kNotFound;
    s.SkipBlanks();
    const std::wstring rowText = s.ReadBare();
    s.SkipBlanks();
    double row = 0.0;
    if (!ParseNumber(rowText, &row) || !s.Accept(L')')) return kNotFound;
    s.SkipBlanks();
    if (!s.AtEnd()) return kNotFound;
    std::wstring value;
    if (!EvaluateExpression(expression, static_cast<long>(row), &value)) return kNotFound;
    return value;
}

}  // namespace pbsim
