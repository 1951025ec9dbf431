// Builds the definition text of a grid DataWindow: columns laid out left to
// right under their header texts, in PowerBuilder units or pixels, with
// whatever extra bands, objects and rows a test adds.
//
//   GridSyntax(1).Header(24).Detail(20).Column(L"a", L"long", 80, L"A")
//                .Column(L"b", L"char(20)", 120, L"B").Data(L"1 \"x\" 2 \"y\"").Text()
//
// Layout: the first object starts at x = 1 (pixels) or 5 (PowerBuilder
// units), each next one a gap of 1 or 4 further; header texts at y = 1 (4),
// 4 (8) shorter than the header; columns at y = 1 (4), 2 (8) shorter than the
// detail band.
#pragma once

#include <string>
#include <vector>

class GridSyntax {
public:
    explicit GridSyntax(int units = 1) : m_units(units) {
        m_header = units == 1 ? 24 : 100;
        m_detail = units == 1 ? 24 : 68;
    }
    GridSyntax& Header(int height) {
        m_header = height;
        return *this;
    }
    GridSyntax& Detail(int height) {
        m_detail = height;
        return *this;
    }
    // More attributes of the datawindow(...) line, e.g. L"color=16777215 selected.mouse=no".
    GridSyntax& DataWindow(const std::wstring& attributes) {
        m_attributes += L" " + attributes;
        return *this;
    }
    // A column and its header text (named <name>_t); border: the header
    // text's border; an empty header makes no header text.
    GridSyntax& Column(const std::wstring& name, const std::wstring& type, int width, const std::wstring& header,
                       int border = 0, bool visible = true) {
        m_columns.push_back(ColumnSpec{name, type, width, header, border, visible, std::wstring()});
        return *this;
    }
    // More attributes of the last column's detail object, e.g. L"tabsequence=10".
    GridSyntax& With(const std::wstring& attributes) {
        if (!m_columns.empty()) m_columns.back().attributes += L" " + attributes;
        return *this;
    }
    // A whole line of its own (a band, group, computed field, text...), written
    // after the columns.
    GridSyntax& Line(const std::wstring& line) {
        m_lines.push_back(line);
        return *this;
    }
    // The values of the rows, in the order of the table's columns.
    GridSyntax& Data(const std::wstring& values) {
        m_data = values;
        return *this;
    }
    // count rows of numbered values: for each row, the number in the first
    // column and "row <n>" in every other.
    GridSyntax& NumberedRows(int count) {
        std::wstring values;
        for (int row = 1; row <= count; ++row) {
            values += std::to_wstring(row);
            for (size_t c = 1; c < m_columns.size(); ++c) values += L" \"row " + std::to_wstring(row) + L"\"";
            values += L" ";
        }
        return Data(values);
    }

    std::wstring Text() const {
        const int top = m_units == 1 ? 1 : 4;
        std::vector<int> x(1, m_units == 1 ? 1 : 5);  // each column's objects' x
        for (const ColumnSpec& col : m_columns) x.push_back(x.back() + col.width + (m_units == 1 ? 1 : 4));
        std::wstring s = L"release 10;\ndatawindow(units=" + std::to_wstring(m_units) + L" processing=1" +
                         m_attributes + L")\nheader(height=" + std::to_wstring(m_header) + L")\ndetail(height=" +
                         std::to_wstring(m_detail) + L")\ntable(";
        for (size_t c = 0; c < m_columns.size(); ++c)
            s += (c ? L" " : L"") + std::wstring(L"column=(type=") + m_columns[c].type + L" name=" + m_columns[c].name +
                 L" dbname=\"" + m_columns[c].name + L"\")";
        s += L")\n";
        for (size_t c = 0; c < m_columns.size(); ++c) {
            const ColumnSpec& col = m_columns[c];
            if (col.header.empty()) continue;
            s += L"text(band=header text=\"" + col.header + L"\" border=\"" + std::to_wstring(col.border) + L"\" x=\"" +
                 std::to_wstring(x[c]) + L"\" y=\"" + std::to_wstring(top) + L"\" height=\"" +
                 std::to_wstring(m_header - (m_units == 1 ? 4 : 8)) + L"\" width=\"" + std::to_wstring(col.width) +
                 L"\" name=" + col.name + L"_t)\n";
        }
        for (size_t c = 0; c < m_columns.size(); ++c) {
            const ColumnSpec& col = m_columns[c];
            s += L"column(band=detail id=" + std::to_wstring(c + 1) + L" x=\"" + std::to_wstring(x[c]) + L"\" y=\"" +
                 std::to_wstring(top) + L"\" height=\"" + std::to_wstring(m_detail - (m_units == 1 ? 2 : 8)) +
                 L"\" width=\"" + std::to_wstring(col.width) + L"\" name=" + col.name + L" visible=\"" +
                 (col.visible ? L"1" : L"0") + L"\"" + col.attributes + L")\n";
        }
        for (const std::wstring& line : m_lines) s += line + L"\n";
        if (!m_data.empty()) s += L"data(" + m_data + L")\n";
        return s;
    }

private:
    struct ColumnSpec {
        std::wstring name;
        std::wstring type;
        int width;
        std::wstring header;
        int border;
        bool visible;
        std::wstring attributes;
    };
    int m_units;
    int m_header;
    int m_detail;
    std::wstring m_attributes;
    std::vector<ColumnSpec> m_columns;
    std::vector<std::wstring> m_lines;
    std::wstring m_data;
};
