// A DataWindow control: the window of class "pbdw<N>" and the DataWindow it
// shows. It paints the DataWindow (double-buffered, through the exported
// dwPaintDC), scrolls it by rows and pixels, moves the current cell with the
// mouse and the keys, keeps an edit control over the current cell, makes the
// DataWindow's own cell selection when "DataWindow.Selected.Mouse" is yes,
// shows a page view in print preview, and answers the engine's and the
// virtual machine's questions about what lies where.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "control/cell_editor.h"
#include "control/control_layout.h"
#include "model/datawindow_model.h"

namespace pbsim {

class DataWindowControl {
public:
    // A cell selection: rows row1 to row2 of the columns.
    struct CellBlock {
        long row1 = 0;
        long row2 = 0;
        std::vector<int> columns;  // empty: nothing selected
    };

    DataWindowControl(HWND window, std::unique_ptr<DataWindowModel> model);
    DataWindowControl(const DataWindowControl&) = delete;
    DataWindowControl& operator=(const DataWindowControl&) = delete;

    HWND Window() const { return m_window; }
    DataWindowModel& Model() { return *m_model; }
    const DataWindowModel& Model() const { return *m_model; }

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // Describe calls the virtual machine passed on to this DataWindow.
    void CountDescribe() { ++m_describeCount; }
    long DescribeCount() const { return m_describeCount; }

    // Applies a modify and shows its effect; null on success, else the error
    // text, valid until the next modify.
    const wchar_t* Modify(const std::wstring& text);
    // Paints what the client area shows into dc (the body of dwPaintDC).
    void PaintClient(HDC dc);
    // Prints into dc; the number of pages, or -1.
    long Print(HDC dc);

    // The layout of the client area as it is shown now.
    ControlLayout ClientLayout() const;
    HitResult HitTest(POINT client) const { return ClientLayout().HitTest(client); }
    // The mouse pointer's position in client coordinates.
    POINT MousePosition() const;

    bool SelectRow(long row, bool select);
    // Takes the client edge away (flag 0) or gives it back; 1 when the border
    // changed.
    long SetBorder(long flag);
    void SetAllEvents(bool on) { m_allEvents = on; }
    bool SaveAs(const std::wstring& fileName) const;
    // The text of the current cell: the edit control's while it is shown.
    std::wstring CurrentText() const;
    HWND EditWindow() const { return m_editor.Window(); }

private:
    long m_describeCount = 0;
    // Painting and frame.
    void OnPaint();
    void OnNcPaint(WPARAM wParam, LPARAM lParam, LRESULT* result);

    // Scrolling (control_scrolling.cpp).
    void OnSize();
    void UpdateScrollBars();
    void SetScrollInfoWhenChanged(int bar, const SCROLLINFO& wanted);
    void SetScrollPosWhenChanged(int bar, int position);
    void OnVScroll(WPARAM wParam);
    void OnHScroll(WPARAM wParam);
    void OnMouseWheel(WPARAM wParam);
    void ScrollToRow(long firstRow);
    void ScrollToX(int x);
    void EnsureRowVisible(long row);
    int ClientWidth() const;
    int ClientHeight() const;

    // Mouse, keys and the current cell (control_input.cpp).
    void OnLButtonDown(POINT point);
    void OnMouseMove(WPARAM keys, POINT point);
    void OnLButtonUp();
    void OnKeyDown(WPARAM key);
    void OnChar(WPARAM character, LPARAM lParam);
    void OnSetFocus();
    void MoveCurrentCell(long row, int column, bool openEditor);
    int NextColumn(int column, int step) const;
    void ExtendDragSelection(long row, int column);
    void CommitEditor();
    void PlaceEditor();
    bool ColumnEditable(int column) const;

    void AfterChange();

    // The cell selection of the model as it stands (selection_repaint.cpp).
    CellBlock CurrentCellBlock() const;
    // Invalidates the cells on the page whose selected state differs between
    // `before` and the selection now: a change of the selection repaints only
    // the cells that gain or lose the highlight.
    void InvalidateSelectionChange(const CellBlock& before);

    HWND m_window;
    std::unique_ptr<DataWindowModel> m_model;
    CellEditor m_editor;
    int m_hScroll = 0;
    bool m_updatingScrollBars = false;
    // Set when a modify invalidated the whole client area, cleared by the
    // paint that validates it.
    bool m_wholeClientInvalid = false;
    // FNX_DataWindowSetAllEvents: kept, though the stand-in fires no script
    // events.
    bool m_allEvents = true;
    // The edit control follows the current cell once a cell was clicked.
    bool m_editing = false;
    // A mouse drag making the DataWindow's cell selection.
    bool m_dragging = false;
    long m_anchorRow = 0;
    int m_anchorColumn = 0;
    long m_dragRow = 0;
    int m_dragColumn = 0;
};

}  // namespace pbsim
