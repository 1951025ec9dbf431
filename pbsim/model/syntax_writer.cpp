// Writing the DataWindow back as definition text ("DataWindow.Syntax") and
// its rows as a data(...) section.
#include "model/datawindow_model.h"
#include "model/escapes.h"
#include "model/wide_text.h"

namespace pbsim {

namespace {

// A value that reads back the same without quotes: no blanks, quotes,
// tildes or commas, and balanced parentheses (so char(20) stays bare).
bool IsPlainToken(const std::wstring& value) {
    if (value.empty()) return false;
    int depth = 0;
    for (wchar_t c : value) {
        if (c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'"' || c == L'\'' || c == L'~' || c == L',' ||
            c == L'=') {
            return false;
        }
        if (c == L'(') ++depth;
        if (c == L')' && --depth < 0) return false;
    }
    return depth == 0;
}

// A value read from a parenthesised group that was not a key=value list:
// one group from its "(" to the matching ")" (quotes respected), which
// reads back as it is written.
bool IsRawGroup(const std::wstring& value) {
    if (value.size() < 2 || value.front() != L'(' || value.back() != L')') return false;
    int depth = 0;
    wchar_t quote = 0;
    for (size_t i = 0; i < value.size(); ++i) {
        const wchar_t c = value[i];
        if (quote) {
            if (c == L'~') {
                ++i;
            } else if (c == quote) {
                quote = 0;
            }
            continue;
        }
        if (c == L'"' || c == L'\'') {
            quote = c;
        } else if (c == L'(') {
            ++depth;
        } else if (c == L')' && --depth == 0 && i + 1 < value.size()) {
            return false;  // "(a) (b)": more than one group
        }
    }
    return depth == 0 && quote == 0;
}

std::wstring Quoted(const std::wstring& value) { return L"\"" + EscapeForDoubleQuotes(value) + L"\""; }

void WriteAttribute(std::wstring& out, const std::wstring& key, const std::wstring& value, bool bare) {
    out += key;
    out += L'=';
    if (IsRawGroup(value) || (bare && IsPlainToken(value))) {
        out += value;
    } else {
        out += Quoted(value);
    }
}

// Attributes the export syntax writes without quotes.
bool IsBareObjectKey(const std::wstring& key) { return key == L"band" || key == L"id" || key == L"tabsequence"; }

// The order of an exported DataWindow source: band first, the name in the
// middle of the line (before visible, else halfway).
void WriteExportedAttributes(std::wstring& out, const DwObject& object) {
    const std::vector<PropertyList::Item>& items = object.props.Items();
    size_t nameBefore = items.size() / 2;
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].first == L"visible") nameBefore = i;
    }
    for (const PropertyList::Item& item : items) {
        if (item.first != L"band") continue;
        WriteAttribute(out, item.first, item.second, true);
        out += L' ';
    }
    for (size_t i = 0; i <= items.size(); ++i) {
        if (i == nameBefore && !object.name.empty()) out += L"name=" + object.name + L' ';
        if (i == items.size() || items[i].first == L"band") continue;
        WriteAttribute(out, items[i].first, items[i].second, IsBareObjectKey(items[i].first));
        out += L' ';
    }
}

}  // namespace

std::wstring DataWindowModel::Syntax() const {
    std::wstring out = L"release " + IntToText(m_release) + L";\n";

    out += L"datawindow(";
    for (const PropertyList::Item& item : m_dwProps.Items()) {
        WriteAttribute(out, item.first, item.second, true);
        out += L' ';
    }
    out += L")\n";

    for (const BandDef& band : m_bands) {
        out += band.name + L"(";
        for (const PropertyList::Item& item : band.props.Items()) {
            WriteAttribute(out, item.first, item.second, item.first == L"height");
            out += L' ';
        }
        out += L")\n";
    }

    out += L"table(";
    bool first = true;
    for (const TableColumn& column : m_table) {
        if (!first) out += L"\n ";
        first = false;
        out += L"column=(";
        for (const PropertyList::Item& item : column.props.Items()) {
            WriteAttribute(out, item.first, item.second, item.first != L"dbname");
            out += L' ';
        }
        out += L")";
    }
    for (const PropertyList::Item& item : m_tableProps.Items()) {
        out += L"\n ";
        WriteAttribute(out, item.first, item.second, true);
    }
    out += m_table.empty() && m_tableProps.Empty() ? L")\n" : L"\n )\n";

    for (const GroupDef& group : m_groups) {
        out += L"group(level=" + IntToText(group.level) + L' ';
        for (const PropertyList::Item& item : group.props.Items()) {
            WriteAttribute(out, item.first, item.second,
                           item.first != L"header.color" && item.first != L"trailer.color");
            out += L' ';
        }
        out += L")\n";
    }

    for (const DwObject& object : m_objects) {
        out += ObjectKindName(object.kind);
        out += L'(';
        if (m_exportedSyntax) {
            WriteExportedAttributes(out, object);
        } else {
            if (!object.name.empty()) out += L"name=" + object.name + L' ';
            for (const PropertyList::Item& item : object.props.Items()) {
                WriteAttribute(out, item.first, item.second, IsBareObjectKey(item.first));
                out += L' ';
            }
        }
        out += L")\n";
    }

    for (const std::wstring& item : m_otherItems) {
        out += item;
        out += L'\n';
    }
    return out;
}

std::wstring DataWindowModel::DataSyntax() const {
    if (m_rows.empty()) return std::wstring();
    std::wstring out = L"data(";
    for (const Row& row : m_rows) {
        out += L'\n';
        for (size_t c = 0; c < m_table.size(); ++c) {
            const std::wstring value = c < row.cells.size() ? row.cells[c] : std::wstring();
            double number = 0.0;
            if (value.empty()) {
                out += L"null";
            } else if (m_table[c].IsNumeric() && ParseNumber(value, &number) && IsPlainToken(value)) {
                out += value;
            } else {
                out += Quoted(value);
            }
            out += L',';
        }
    }
    out += L"\n)\n";
    return out;
}

}  // namespace pbsim
