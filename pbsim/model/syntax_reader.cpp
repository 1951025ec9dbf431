// Loading a DataWindow from its definition text (the export syntax).
#include <algorithm>

#include "model/attribute_list.h"
#include "model/datawindow_model.h"
#include "model/error_text.h"
#include "model/exported_source.h"
#include "model/object_builder.h"
#include "model/property_catalog.h"
#include "model/scanner.h"
#include "model/value_check.h"
#include "model/wide_text.h"

namespace pbsim {

class SyntaxReader {
public:
    SyntaxReader(const std::wstring& text, DataWindowModel* target) : m_s(text), m_dw(target) {}

    bool Read(std::wstring* error) {
        m_s.SkipBlanksAndComments();
        while (!m_s.AtEnd()) {
            if (!ReadItem()) {
                if (error) *error = m_s.ErrorAt(m_errorOffset, m_errorMessage);
                return false;
            }
            m_s.SkipBlanksAndComments();
        }
        return true;
    }

private:
    bool Fail(size_t offset, const wchar_t* message = kErrIncorrectSyntax) {
        m_errorOffset = offset;
        m_errorMessage = message;
        return false;
    }

    bool ReadItem() {
        const size_t start = m_s.Pos();
        const std::wstring keyword = ToLowerAscii(m_s.ReadName());
        if (keyword.empty()) return Fail(m_s.Pos());
        m_s.SkipBlanks();
        if (keyword == L"release") return ReadRelease();
        // The header rows of a crosstab and similar items carry an index:
        // header[1](...).
        bool indexed = false;
        std::wstring index;
        if (m_s.Peek() == L'[') {
            indexed = true;
            m_s.Advance();
            while (!m_s.AtEnd() && m_s.Peek() != L']' && m_s.Peek() != L'\n') {
                index += m_s.Peek();
                m_s.Advance();
            }
            if (!m_s.Accept(L']')) return Fail(start);
            m_s.SkipBlanks();
        }
        std::wstring bandName = keyword;
        if (indexed && keyword == L"header") bandName = L"header[" + Trim(index) + L"]";
        if (m_s.Peek() != L'(') return Fail(m_s.Pos());
        if (keyword == L"data" && !indexed) {
            m_s.Advance();
            return ReadData();
        }
        const size_t open = m_s.Pos();
        m_s.Advance();
        std::vector<Attribute> attributes;
        size_t errorOffset = 0;
        const bool crosstabBand = indexed && ParseCrosstabBandName(bandName, nullptr);
        const bool known = crosstabBand || (!indexed && IsKnownItem(keyword));
        if (!ReadAttributeList(m_s, &attributes, &errorOffset)) {
            if (known) return Fail(errorOffset);
            // An item this model does not interpret is kept as written.
            m_s.SetPos(open);
            std::wstring raw;
            if (!m_s.ReadBalanced(raw)) return Fail(open);
        }
        if (!known) {
            m_dw->m_otherItems.push_back(m_s.Text().substr(start, m_s.Pos() - start));
            return true;
        }
        if (crosstabBand) return ApplyBand(bandName, attributes);
        return Apply(keyword, attributes);
    }

    static bool IsKnownItem(const std::wstring& keyword) {
        ObjectKind kind;
        return keyword == L"datawindow" || keyword == L"table" || keyword == L"group" || IsHeightBand(keyword) ||
               ObjectKindFromName(keyword, &kind);
    }

    // A band's attributes; a value that is not valid for its attribute is
    // refused only where the attribute needs a number.
    bool ApplyBand(const std::wstring& name, const std::vector<Attribute>& attributes) {
        BandDef* band = m_dw->FindBand(name);
        if (!band) {
            m_dw->m_bands.push_back(BandDef());
            band = &m_dw->m_bands.back();
            band->name = name;
        }
        for (const Attribute& a : attributes) {
            const std::wstring key = ToLowerAscii(a.key);
            if (!CheckLoadedValue(key, a)) return false;
            band->props.Set(key, a.value);
        }
        return true;
    }

    bool CheckLoadedValue(const std::wstring& key, const Attribute& a) {
        const wchar_t* message = nullptr;
        size_t offset = 0;
        if (a.isList || CheckPropertyValue(key, a.value, &message, &offset)) return true;
        if (!IsIntegerProperty(key)) return true;  // kept as written
        return Fail(a.valueOffset, message);
    }

    // group(level=N by=("a" "b") header.height=.. trailer.height=.. ...)
    bool ApplyGroup(const std::vector<Attribute>& attributes) {
        GroupDef group;
        size_t levelOffset = m_s.Pos();
        for (const Attribute& a : attributes) {
            const std::wstring key = ToLowerAscii(a.key);
            if (key == L"level") {
                group.level = LeadingInteger(a.value);
                levelOffset = a.valueOffset;
                continue;
            }
            if (key == L"by") group.by = ReadGroupColumns(a.value);
            if ((key == L"header.height" || key == L"trailer.height") && !CheckLoadedValue(L"height", a)) return false;
            group.props.Set(key, a.value);
        }
        // Groups without a level take the next one.
        if (group.level == 0) group.level = static_cast<int>(m_dw->m_groups.size()) + 1;
        if (group.level < 1 || m_dw->Group(group.level)) return Fail(levelOffset, kErrInvalidValue);
        m_dw->m_groups.push_back(group);
        std::stable_sort(m_dw->m_groups.begin(), m_dw->m_groups.end(),
                         [](const GroupDef& a, const GroupDef& b) { return a.level < b.level; });
        return true;
    }

    // The names in by=("a" "b") or by=(a, b).
    static std::vector<std::wstring> ReadGroupColumns(const std::wstring& raw) {
        std::vector<std::wstring> names;
        SyntaxScanner s(raw);
        s.Accept(L'(');
        for (;;) {
            s.SkipBlanks();
            while (s.Accept(L',')) s.SkipBlanks();
            if (s.AtEnd() || s.Peek() == L')') break;
            std::wstring name;
            if (s.Peek() == L'"' || s.Peek() == L'\'') {
                if (!s.ReadQuoted(name)) break;
            } else {
                name = s.ReadName();
                if (name.empty()) break;
            }
            name = Trim(name);
            if (!name.empty()) names.push_back(name);
        }
        return names;
    }

    bool ReadRelease() {
        const size_t at = m_s.Pos();
        std::wstring digits;
        while (!m_s.AtEnd() && m_s.Peek() >= L'0' && m_s.Peek() <= L'9') {
            digits += m_s.Peek();
            m_s.Advance();
        }
        // A release such as 10.5 keeps its major number.
        if (m_s.Peek() == L'.') {
            m_s.Advance();
            while (!m_s.AtEnd() && m_s.Peek() >= L'0' && m_s.Peek() <= L'9') m_s.Advance();
        }
        if (digits.empty()) return Fail(at);
        m_s.SkipBlanks();
        if (!m_s.Accept(L';')) return Fail(m_s.Pos());
        m_dw->m_release = LeadingInteger(digits);
        return true;
    }

    bool Apply(const std::wstring& keyword, const std::vector<Attribute>& attributes) {
        if (keyword == L"datawindow") {
            for (const Attribute& a : attributes) {
                const std::wstring key = ToLowerAscii(a.key);
                std::wstring value = a.value;
                if (IsYesNoProperty(key)) value = ToLowerAscii(Trim(value));
                m_dw->m_dwProps.Set(key, value);
            }
            return true;
        }
        if (IsHeightBand(keyword)) return ApplyBand(keyword, attributes);
        if (keyword == L"group") return ApplyGroup(attributes);
        if (keyword == L"table") {
            for (const Attribute& a : attributes) {
                if (EqualsNoCase(a.key, L"column") && a.isList) {
                    TableColumn column;
                    for (const Attribute& c : a.list) column.props.Set(c.key, c.value);
                    if (column.Name().empty()) return Fail(a.valueOffset, kErrUnknownColumn);
                    m_dw->m_table.push_back(column);
                } else {
                    m_dw->m_tableProps.Set(a.key, a.value);
                }
            }
            return true;
        }
        ObjectKind kind = ObjectKind::Text;
        ObjectKindFromName(keyword, &kind);
        DwObject object;
        BuildError error;
        if (!BuildObject(*m_dw, kind, attributes, &object, &error, BuildMode::Load)) {
            return Fail(error.offset, error.message);
        }
        m_dw->m_objects.push_back(object);
        return true;
    }

    // Values separated by commas or blanks, up to ")": quoted texts, numbers,
    // null. They fill the rows column by column.
    bool ReadData() {
        std::vector<std::wstring> values;
        for (;;) {
            m_s.SkipBlanks();
            while (m_s.Accept(L',')) m_s.SkipBlanks();
            if (m_s.AtEnd()) return Fail(m_s.Pos());
            if (m_s.Accept(L')')) break;
            const wchar_t c = m_s.Peek();
            std::wstring value;
            if (c == L'"' || c == L'\'') {
                if (!m_s.ReadQuoted(value)) return Fail(m_s.Pos());
            } else {
                const size_t at = m_s.Pos();
                value = m_s.ReadBare();
                if (value.empty()) return Fail(at);
                if (EqualsNoCase(value, L"null")) value.clear();
                // An unquoted datetime is written with a blank between its date
                // and its time: 2024-01-31 10:20:30.000000.
                if (IsDateText(value)) {
                    const size_t after = m_s.Pos();
                    m_s.SkipBlanks();
                    const std::wstring time = m_s.ReadBare();
                    if (IsTimeText(time)) {
                        value += L' ' + time;
                    } else {
                        m_s.SetPos(after);
                    }
                }
            }
            values.push_back(value);
        }
        const size_t columns = m_dw->m_table.size();
        if (values.empty()) return true;
        if (columns == 0) return Fail(m_s.Pos(), kErrUnknownColumn);
        for (size_t i = 0; i < values.size(); i += columns) {
            DataWindowModel::Row row;
            for (size_t c = 0; c < columns; ++c) {
                row.cells.push_back(i + c < values.size() ? values[i + c] : std::wstring());
            }
            m_dw->m_rows.push_back(row);
        }
        return true;
    }

    static bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

    // yyyy-mm-dd (or with slashes).
    static bool IsDateText(const std::wstring& v) {
        if (v.size() != 10) return false;
        for (size_t i = 0; i < v.size(); ++i) {
            if (i == 4 || i == 7) {
                if (v[i] != L'-' && v[i] != L'/') return false;
            } else if (!IsDigit(v[i])) {
                return false;
            }
        }
        return true;
    }

    // h:mm or hh:mm with optional seconds and fraction.
    static bool IsTimeText(const std::wstring& v) {
        const size_t colon = v.find(L':');
        if (colon == std::wstring::npos || colon == 0 || colon > 2) return false;
        for (wchar_t c : v) {
            if (!IsDigit(c) && c != L':' && c != L'.') return false;
        }
        return true;
    }

    SyntaxScanner m_s;
    DataWindowModel* m_dw;
    size_t m_errorOffset = 0;
    const wchar_t* m_errorMessage = kErrIncorrectSyntax;
};

bool DataWindowModel::Load(const std::wstring& definition, std::wstring* error) {
    DataWindowModel fresh;
    SyntaxReader reader(PrepareExportedSource(definition), &fresh);
    if (!reader.Read(error)) return false;
    m_release = fresh.m_release;
    m_dwProps = fresh.m_dwProps;
    m_bands = fresh.m_bands;
    m_groups = fresh.m_groups;
    m_table = fresh.m_table;
    m_tableProps = fresh.m_tableProps;
    m_objects = fresh.m_objects;
    m_otherItems = fresh.m_otherItems;
    m_rows = fresh.m_rows;
    m_expressionCache.clear();
    ResetViewState();
    if (error) error->clear();
    return true;
}

}  // namespace pbsim
