// Modify: blank-separated statements that change the DataWindow.
//   object.property=value     value quoted with ' or ", or bare
//   DataWindow.property=value
//   create kind(attribute=value ...)
//   destroy [column] name
#include "model/attribute_list.h"
#include "model/datawindow_model.h"
#include "model/object_builder.h"
#include "model/property_catalog.h"
#include "model/scanner.h"
#include "model/value_check.h"
#include "model/wide_text.h"

namespace pbsim {

class ModifyParser {
public:
    ModifyParser(const std::wstring& text, DataWindowModel* dw) : m_s(text), m_dw(dw) {}

    // "" when every statement was applied, else the first error in the one
    // form the runtime documents: "Line n Column n incorrect syntax", the
    // column counted from the start of the whole text.
    // No statement other than "DataWindow.Selected=..." was seen.
    bool OnlySelected() const { return m_onlySelected; }

    std::wstring Run() {
        for (;;) {
            m_s.SkipBlanks();
            if (m_s.AtEnd()) return std::wstring();
            if (!Statement()) return m_s.ModifyErrorAt(m_errorOffset);
        }
    }

private:
    bool Fail(size_t offset) {
        m_errorOffset = offset;
        return false;
    }

    // The next non-blank character starts a name (the keyword form).
    bool NameFollows() {
        const size_t at = m_s.Pos();
        m_s.SkipBlanks();
        const bool name = m_s.Pos() > at && IsNameChar(m_s.Peek()) && m_s.Peek() != L'.';
        m_s.SetPos(at);
        return name;
    }

    bool Statement() {
        const size_t start = m_s.Pos();
        const std::wstring word = m_s.ReadName();
        if (word.empty()) return Fail(start);
        if (EqualsNoCase(word, L"create") && NameFollows()) {
            m_onlySelected = false;
            return Create();
        }
        if (EqualsNoCase(word, L"destroy") && NameFollows()) {
            m_onlySelected = false;
            return Destroy();
        }
        if (!EqualsNoCase(word, L"datawindow.selected")) m_onlySelected = false;
        return Assign(word, start);
    }

    bool Create() {
        m_s.SkipBlanks();
        const size_t kindAt = m_s.Pos();
        ObjectKind kind = ObjectKind::Text;
        if (!ObjectKindFromName(m_s.ReadName(), &kind)) return Fail(kindAt);
        m_s.SkipBlanks();
        if (!m_s.Accept(L'(')) return Fail(m_s.Pos());
        std::vector<Attribute> attributes;
        size_t errorOffset = 0;
        if (!ReadAttributeList(m_s, &attributes, &errorOffset)) return Fail(errorOffset);
        DwObject object;
        BuildError error;
        if (!BuildObject(*m_dw, kind, attributes, &object, &error)) return Fail(error.offset);
        m_dw->m_objects.push_back(object);
        return true;
    }

    bool Destroy() {
        m_s.SkipBlanks();
        size_t nameAt = m_s.Pos();
        std::wstring name = m_s.ReadName();
        bool column = false;
        if (EqualsNoCase(name, L"column") && NameFollows()) {
            column = true;
            m_s.SkipBlanks();
            nameAt = m_s.Pos();
            name = m_s.ReadName();
        }
        std::vector<DwObject>& objects = m_dw->m_objects;
        for (size_t i = 0; i < objects.size(); ++i) {
            if (objects[i].name.empty() || !EqualsNoCase(objects[i].name, name)) continue;
            const int id = objects[i].ColumnId();
            if (column && id == 0) return Fail(nameAt);
            objects.erase(objects.begin() + static_cast<std::ptrdiff_t>(i));
            if (column) RemoveTableColumn(id);
            m_dw->m_expressionCache.clear();
            return true;
        }
        return Fail(nameAt);
    }

    // "destroy column" also takes the column out of the table and the rows;
    // the columns after it move up one number.
    void RemoveTableColumn(int id) {
        const size_t index = static_cast<size_t>(id - 1);
        m_dw->m_table.erase(m_dw->m_table.begin() + static_cast<std::ptrdiff_t>(index));
        for (DataWindowModel::Row& row : m_dw->m_rows) {
            if (index < row.cells.size()) row.cells.erase(row.cells.begin() + static_cast<std::ptrdiff_t>(index));
        }
        for (DwObject& object : m_dw->m_objects) {
            const int other = object.ColumnId();
            if (other > id) object.props.Set(L"id", IntToText(other - 1));
        }
        if (m_dw->m_currentColumn >= id && m_dw->m_currentColumn > 1) --m_dw->m_currentColumn;
        if (m_dw->m_currentColumn > m_dw->ColumnCount()) m_dw->m_currentColumn = m_dw->ColumnCount();
        m_dw->ClearCellSelection();
    }

    bool Assign(const std::wstring& target, size_t start) {
        const size_t dot = target.find(L'.');
        if (dot == std::wstring::npos || dot == 0 || dot + 1 >= target.size()) return Fail(start);
        const std::wstring head = target.substr(0, dot);
        const std::wstring key = ToLowerAscii(target.substr(dot + 1));
        const size_t keyAt = start + dot + 1;

        m_s.SkipBlanks();
        if (!m_s.Accept(L'=')) return Fail(m_s.Pos());
        m_s.SkipBlanks();
        const size_t valueAt = m_s.Pos();
        std::wstring value;
        if (m_s.Peek() == L'\'' || m_s.Peek() == L'"') {
            if (!m_s.ReadQuoted(value)) return Fail(valueAt);
        } else {
            value = m_s.ReadBare();
            if (value.empty()) return Fail(valueAt);
        }
        // The next statement must be separated by a blank.
        if (!m_s.AtEnd() && !IsBlank(m_s.Peek())) return Fail(m_s.Pos());

        if (EqualsNoCase(head, L"datawindow")) return AssignDataWindow(key, value, keyAt, valueAt);
        const DwObject* found = m_dw->ResolveObject(head);
        if (!found) return Fail(start);
        return AssignObject(const_cast<DwObject&>(*found), key, value, keyAt, valueAt);
    }

    bool CheckValue(const std::wstring& key, const std::wstring& value, size_t valueAt) {
        const wchar_t* message = nullptr;
        size_t offset = 0;
        if (CheckPropertyValue(key, value, &message, &offset)) return true;
        return Fail(valueAt);
    }

    bool AssignObject(DwObject& object, const std::wstring& key, const std::wstring& value, size_t keyAt,
                      size_t valueAt) {
        // A control's name is fixed once it is created.
        if (key == L"name" || key == L"type" || key == L"coltype" || key == L"dbname" || key == L"id")
            return Fail(keyAt);
        std::wstring stored = value;
        if (key == L"band") {
            stored = ToLowerAscii(Trim(value));
            if (!IsObjectBand(stored)) return Fail(valueAt);
        }
        if (!CheckValue(key, stored, valueAt)) return false;
        object.props.Set(key, stored);
        return true;
    }

    bool AssignDataWindow(const std::wstring& key, const std::wstring& value, size_t keyAt, size_t valueAt) {
        if (key == L"selected") {
            if (!m_dw->ApplySelectedText(value)) return Fail(valueAt);
            return true;
        }
        if (IsReadOnlyDataWindowProperty(key)) return Fail(keyAt);
        std::wstring band;
        std::wstring bandKey;
        if (m_dw->SplitBandPath(key, &band, &bandKey)) {
            if (!CheckValue(bandKey, value, valueAt)) return false;
            m_dw->SetBandProperty(band, bandKey, value);
            if (bandKey == L"height") m_dw->SetFirstRowOnPage(m_dw->m_firstRow);
            return true;
        }
        // A group band or crosstab header row that the definition does not have.
        const size_t second = key.find(L'.', key.find(L'.') + 1);
        const size_t first = key.find(L'.');
        if ((second != std::wstring::npos && ParseGroupBandName(key.substr(0, second), nullptr, nullptr)) ||
            (first != std::wstring::npos && ParseCrosstabBandName(key.substr(0, first), nullptr))) {
            return Fail(keyAt);
        }
        std::wstring stored = value;
        if (IsYesNoProperty(key)) {
            stored = ToLowerAscii(Trim(value));
            if (stored == L"true") stored = L"yes";
            if (stored == L"false") stored = L"no";
            if (stored != L"yes" && stored != L"no") return Fail(valueAt);
        }
        m_dw->m_dwProps.Set(key, stored);
        return true;
    }

    SyntaxScanner m_s;
    DataWindowModel* m_dw;
    size_t m_errorOffset = 0;
    bool m_onlySelected = true;
};

std::wstring DataWindowModel::Modify(const std::wstring& text) {
    ModifyParser parser(text, this);
    const std::wstring result = parser.Run();
    if (m_modifyLog.size() >= kModifyLogLimit) m_modifyLog.pop_front();
    m_modifyLog.push_back(ModifyRecord{text, result});
    m_lastError = result;
    m_lastModifyFailed = !result.empty();
    m_lastModifyOnlySelected = parser.OnlySelected();
    return result;
}

const wchar_t* DataWindowModel::LastModifyError() const { return m_lastModifyFailed ? m_lastError.c_str() : nullptr; }

}  // namespace pbsim
