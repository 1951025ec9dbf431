// The parts a DataWindow definition is made of: attribute lists, the
// objects of the bands (text, column, compute, button, line, graph, the
// drawing objects rectangle, roundrectangle, ellipse, bitmap and groupbox,
// and nested reports), the table's column definitions, the bands and the
// groups.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace pbsim {

// Attributes in the order they were first given; keys are kept lower-case
// (the syntax is case-insensitive), values exactly as given, tilde escapes
// already decoded.
class PropertyList {
public:
    using Item = std::pair<std::wstring, std::wstring>;

    // Case-insensitive lookup; null when absent.
    const std::wstring* Find(const std::wstring& key) const;
    // Replaces the value, or appends the key (lower-cased) when it is new.
    void Set(const std::wstring& key, const std::wstring& value);
    bool Remove(const std::wstring& key);
    const std::vector<Item>& Items() const { return m_items; }
    bool Empty() const { return m_items.empty(); }

private:
    std::vector<Item> m_items;
};

enum class ObjectKind {
    Text,
    Column,
    Compute,
    Button,
    Line,
    Graph,
    Rectangle,
    RoundRectangle,
    Ellipse,
    Bitmap,
    GroupBox,
    Report
};

// "text", "column", "compute", "button", "line", "graph", "rectangle",
// "roundrectangle", "ellipse", "bitmap", "groupbox", "report": the keyword
// of the definition and the answer of Describe("name.Type").
const wchar_t* ObjectKindName(ObjectKind kind);
bool ObjectKindFromName(const std::wstring& name, ObjectKind* kind);

struct DwObject {
    ObjectKind kind = ObjectKind::Text;
    std::wstring name;   // may be empty: an unnamed object cannot be addressed
    PropertyList props;  // every attribute except name: band, x, y, text, ...

    // Lower-case band name ("header", "detail", "summary", "footer",
    // "foreground", "background"); "detail" when none is given.
    std::wstring Band() const;
    // Table column number of a column object (its id attribute), else 0.
    int ColumnId() const;
};

// One column=(...) entry of table(...): type, name, dbname and the rest.
struct TableColumn {
    PropertyList props;
    std::wstring Name() const;
    std::wstring Type() const;  // lower-cased, for example "char(20)", "long"
    bool IsNumeric() const;
};

struct BandDef {
    // "header", "summary", "footer", "detail", or a header row of a crosstab:
    // "header[1]", "header[2]" ...
    std::wstring name;
    PropertyList props;
};

// A group(level=N header.height=.. trailer.height=.. by=("a" "b") ...) item:
// the bands "header.N" and "trailer.N" around each run of rows with equal
// values in the columns of `by` (and of the groups of lower levels).
struct GroupDef {
    int level = 0;
    std::vector<std::wstring> by;  // column names, as written
    PropertyList props;            // every attribute except level, as given
};

// The four bands with a height, in the order the definition lists them.
extern const wchar_t* const kBandNames[4];
bool IsHeightBand(const std::wstring& lowerName);
// "header.N" / "trailer.N" (N >= 1): *level = N, *trailer tells which.
bool ParseGroupBandName(const std::wstring& lowerName, int* level, bool* trailer);
// "header[N]" (N >= 1): a header row of a crosstab.
bool ParseCrosstabBandName(const std::wstring& lowerName, int* row);
// A band name for objects: the four above, foreground and background, group
// bands "header.N" / "trailer.N", crosstab header rows "header[N]" and
// TreeView levels "tree.level.N".
bool IsObjectBand(const std::wstring& lowerName);

}  // namespace pbsim
