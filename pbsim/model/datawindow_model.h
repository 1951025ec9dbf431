// The DataWindow of the stand-in runtime: a definition (DataWindow export
// syntax), its data rows, and the state a DataWindow control keeps (current
// cell, scroll position, selection, print preview). Everything the runtime's
// describe and modify functions answer comes from here; the control window
// paints from the evaluated positions, colours and texts.
//
// Not thread-safe: a DataWindow belongs to the thread of its window.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "model/dw_object.h"
#include "model/expression.h"

namespace pbsim {

struct ModifyRecord {
    std::wstring text;    // the modify text as received
    std::wstring result;  // "" on success, else the error text returned
};

struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// One band shown for a row in the rows area of a page: the group headers
// that begin at the row, its detail band, the group trailers that end at it.
struct BandSlot {
    std::wstring band;  // "header.N", "detail", "trailer.N"
    long row = 0;       // the row the band is shown for (and evaluated in)
    int top = 0;        // pixels from the top of the rows area
    int height = 0;     // pixels
};

struct PixelLine {
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
};

class DataWindowModel {
public:
    // An empty freeform DataWindow in PowerBuilder units with the four bands.
    DataWindowModel();

    // ---- Definition ---------------------------------------------------------
    // Replaces the whole DataWindow by a definition text (release, datawindow,
    // bands, table, objects, optional data). On error the DataWindow is left
    // unchanged and *error holds "Line L Column C: ...".
    bool Load(const std::wstring& definition, std::wstring* error = nullptr);
    // "DataWindow.Syntax": the definition regenerated, one object per line,
    // each object line starting with "<kind>(name=" for named objects.
    std::wstring Syntax() const;
    // Object lines in the order of an exported source (band first, name in the
    // middle) instead of name first.
    void SetExportedSyntax(bool exported) { m_exportedSyntax = exported; }
    // The rows as a data(...) section; empty without rows.
    std::wstring DataSyntax() const;

    // ---- Describe and modify ------------------------------------------------
    // Blank-separated properties; answers separated by line feeds; "!" for an
    // unknown object or property, and nothing after it.
    std::wstring Describe(const std::wstring& properties) const;
    // Blank-separated statements: object.property=value, create kind(...),
    // destroy [column] name. "" on success, else the error text of the first
    // failing statement (earlier statements stay applied, nothing of the
    // failing one is). Every call is recorded in the modify log.
    std::wstring Modify(const std::wstring& text);
    // Error text of the last Modify, null after a success. The pointer stays
    // valid until the next Modify.
    const wchar_t* LastModifyError() const;
    const std::deque<ModifyRecord>& ModifyLog() const { return m_modifyLog; }
    void ClearModifyLog() { m_modifyLog.clear(); }
    // The log keeps this many newest records.
    static const size_t kModifyLogLimit = 10000;

    // ---- Structure ----------------------------------------------------------
    int Units() const;       // 0 PowerBuilder units, 1 pixels, 2 1/1000 inch, 3 1/1000 cm
    int Processing() const;  // 1 grid
    bool IsGrid() const { return Processing() == 1; }
    const std::vector<DwObject>& Objects() const { return m_objects; }
    const DwObject* FindObject(const std::wstring& name) const;  // case-insensitive
    const DwObject* FindColumnObject(int columnId) const;
    int ColumnCount() const { return static_cast<int>(m_table.size()); }
    const TableColumn* Column(int columnId) const;       // 1-based; null outside
    int ColumnIdByName(const std::wstring& name) const;  // 0 when none
    const std::vector<BandDef>& Bands() const { return m_bands; }
    // Groups by level, lowest first; null when there is no group of a level.
    const std::vector<GroupDef>& Groups() const { return m_groups; }
    const GroupDef* Group(int level) const;
    int GroupCount() const { return static_cast<int>(m_groups.size()); }
    // The header rows of a crosstab ("header[1]" ...), in order.
    int CrosstabHeaderCount() const;
    // A band of the definition: the four bands, the header and trailer of
    // each group ("header.N", "trailer.N"), the header rows of a crosstab.
    bool HasBand(const std::wstring& lowerName) const;
    // A group of `level` begins at `row`: the first row, or a row whose value
    // in a column of that group or of a group of lower level differs from the
    // row before. False for a level without a group and for rows outside.
    bool StartsGroup(int level, long row) const;
    // The group of `level` that ends at `row` (the last row, or the next row
    // starts one).
    bool EndsGroup(int level, long row) const;
    // The rows of the group of `level` that holds `row`.
    bool GroupRowRange(int level, long row, long* first, long* last) const;
    // "DataWindow.Bands": header, the group headers, detail, the group
    // trailers, summary, footer, tab-separated.
    std::wstring BandNames() const;
    // A stored or default DataWindow attribute ("color", "units", ...).
    std::wstring DataWindowProperty(const std::wstring& key) const;

    // ---- Evaluation (row = the row expressions see as getrow()) -------------
    // A property's value: plain values as stored (or the kind's default), and
    // "default~texpression" values evaluated, the default when evaluation
    // fails. Empty for a property the object does not have.
    std::wstring EvaluateProperty(const DwObject& object, const std::wstring& key, long row) const;
    int EvaluateInt(const DwObject& object, const std::wstring& key, long row) const;
    // Same for a band attribute ("height", "color").
    std::wstring EvaluateBandProperty(const std::wstring& band, const std::wstring& key, long row) const;
    int BandHeight(const std::wstring& band) const;  // DataWindow units
    int BandHeightPixels(const std::wstring& band) const;
    // The header band and the header rows of a crosstab under it, in pixels.
    int HeaderAreaHeightPixels() const;
    // The bands shown for the rows from `firstRow` on, one after the other,
    // up to the first that begins at or below `limit` pixels (all rows when
    // limit <= 0). Bands of no height are left out.
    std::vector<BandSlot> RowSlots(long firstRow, int limit) const;
    long BandColor(const std::wstring& band, long row) const;  // Detail.Color per row
    // Evaluates a standalone expression; false when it is invalid or fails.
    // "DataWindow.Objects": the control names, tab-separated.
    std::wstring ObjectNames() const;
    // ColType of a computed field.
    std::wstring ComputedType(const DwObject& object) const;
    bool EvaluateExpression(const std::wstring& expression, long row, std::wstring* result) const;

    // ---- Layout in pixels (relative to the object's band) -------------------
    bool IsVisible(const DwObject& object, long row) const;
    PixelRect ObjectRectPixels(const DwObject& object, long row) const;
    PixelLine LinePixels(const DwObject& object, long row) const;
    // Text an object shows in a row: a text's or button's text, a column's
    // cell, a computed field's evaluated expression.
    std::wstring DisplayText(const DwObject& object, long row) const;
    // Right edge, in pixels, of the rightmost object of the header and detail
    // bands (the width of the DataWindow's content).
    int ContentWidthPixels() const;

    // ---- Units --------------------------------------------------------------
    void SetScreenDpi(int dpiX, int dpiY);
    int DpiX() const { return m_dpiX; }
    int DpiY() const { return m_dpiY; }
    int UnitsToPixelsX(int value) const;
    int UnitsToPixelsY(int value) const;
    int PixelsToUnitsX(int value) const;
    int PixelsToUnitsY(int value) const;

    // ---- Data ---------------------------------------------------------------
    long RowCount() const { return static_cast<long>(m_rows.size()); }
    std::wstring CellText(long row, int columnId) const;  // "" outside
    bool SetCellText(long row, int columnId, const std::wstring& text);
    // Inserts an empty row before `before` (0 or past the end: appends);
    // returns the new row's number.
    long InsertRow(long before);
    bool DeleteRow(long row);

    // ---- Current cell and page ----------------------------------------------
    long CurrentRow() const { return m_currentRow; }
    bool SetCurrentRow(long row);  // 1..RowCount
    int CurrentColumn() const { return m_currentColumn; }
    bool SetCurrentColumn(int columnId);  // 1..ColumnCount
    // Height in pixels of the area that shows the DataWindow (0: unlimited,
    // every row is on the page).
    void SetPageHeightPixels(int pixels);
    int PageHeightPixels() const { return m_pageHeight; }
    // Rows that fit wholly between the header and footer of a page.
    long RowsPerPage() const;
    long FirstRowOnPage() const;
    long LastRowOnPage() const;
    // Scrolls so that `row` is the first row on the page (clamped so that the
    // last page is full when possible).
    bool SetFirstRowOnPage(long row);
    // Content pixels the control has scrolled out at the left
    // ("DataWindow.HorizontalScrollPosition", described in PowerBuilder units).
    void SetHorizontalScrollPixels(int pixels) { m_hScrollPixels = pixels; }
    int HorizontalScrollPixels() const { return m_hScrollPixels; }
    bool PrintPreview() const;
    void SetPrintPreview(bool on);
    bool SelectedMouse() const;  // "DataWindow.Selected.Mouse" is yes

    // ---- Row selection (SelectRow) --------------------------------------------
    bool SelectRow(long row, bool select);  // row 0: every row
    bool IsRowSelected(long row) const;

    // ---- Cell selection ("DataWindow.Selected") ---------------------------------
    bool SetCellSelection(long row1, long row2, const std::vector<int>& columnIds);
    void ClearCellSelection();
    bool HasCellSelection() const { return !m_selColumns.empty(); }
    long SelectionRow1() const { return m_selRow1; }
    long SelectionRow2() const { return m_selRow2; }
    const std::vector<int>& SelectionColumns() const { return m_selColumns; }
    std::wstring SelectedText() const;  // "r1/r2/col/col...", "" when none
    // Cells of the selection, tab-separated, one line per row, each line ended
    // by a line feed; "" when none.
    std::wstring SelectedData() const;
    // Whether the last Modify changed nothing but the cell selection: every
    // statement it applied set "DataWindow.Selected".
    bool LastModifyOnlySelected() const { return m_lastModifyOnlySelected; }

private:
    friend class ModelExpressionContext;
    friend class SyntaxReader;
    friend class ModifyParser;

    struct Row {
        std::vector<std::wstring> cells;
        bool selected = false;
    };

    DwObject* FindObjectMutable(const std::wstring& name);
    // Object addressed as "name" or "#N" (a column number).
    const DwObject* ResolveObject(const std::wstring& ref) const;
    BandDef* FindBand(const std::wstring& lowerName);
    const BandDef* FindBand(const std::wstring& lowerName) const;
    // A band attribute as stored ("height", "color", ...), group bands
    // included (their header.height ... attributes); null when not given.
    const std::wstring* StoredBandProperty(const std::wstring& lowerBand, const std::wstring& lowerKey) const;
    // False when there is no such band.
    bool SetBandProperty(const std::wstring& lowerBand, const std::wstring& lowerKey, const std::wstring& value);
    // "header.1.height" → band "header.1", key "height"; "detail.color" →
    // "detail", "color". False when the path names no band of the definition.
    bool SplitBandPath(const std::wstring& lowerPath, std::wstring* band, std::wstring* key) const;
    void ResetViewState();

    std::wstring DescribeOne(const std::wstring& item) const;
    std::wstring DescribeDataWindow(const std::wstring& lowerPath) const;
    std::wstring DescribeObject(const DwObject& object, const std::wstring& lowerKey) const;
    std::wstring DescribeEvaluate(const std::wstring& item) const;
    // Selection text "r1/r2/a/b" parsed and applied; false for a bad text.
    bool ApplySelectedText(const std::wstring& text);

    // A raw value evaluated: plain values unchanged, expressions evaluated with
    // the default as fallback.
    std::wstring EvaluateRaw(const std::wstring& raw, long row) const;
    const Expression* CachedExpression(const std::wstring& text) const;

    int m_release = 10;
    bool m_exportedSyntax = false;
    PropertyList m_dwProps;
    std::vector<BandDef> m_bands;
    std::vector<GroupDef> m_groups;  // sorted by level
    std::vector<TableColumn> m_table;
    PropertyList m_tableProps;  // table attributes other than its columns
    std::vector<DwObject> m_objects;
    std::vector<std::wstring> m_otherItems;  // definition items kept as written
    std::vector<Row> m_rows;

    long m_currentRow = 0;
    int m_currentColumn = 0;
    long m_firstRow = 0;
    int m_pageHeight = 0;
    int m_hScrollPixels = 0;
    int m_dpiX = 96;
    int m_dpiY = 96;

    long m_selRow1 = 0;
    long m_selRow2 = 0;
    std::vector<int> m_selColumns;
    std::wstring m_selectedAsSet;  // "DataWindow.Selected" as Modify set it

    std::deque<ModifyRecord> m_modifyLog;
    std::wstring m_lastError;
    bool m_lastModifyFailed = false;
    bool m_lastModifyOnlySelected = false;

    mutable std::map<std::wstring, std::unique_ptr<Expression>> m_expressionCache;
    mutable int m_evaluationDepth = 0;
};

}  // namespace pbsim
