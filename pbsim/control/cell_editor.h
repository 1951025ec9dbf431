// The edit control a DataWindow shows over its current cell: a child window
// of the engine's edit class, whose procedure is the engine's dwWinProcEdit
// wrapping the system's multi-line EDIT class. Keys that move the current
// cell are passed on to the DataWindow; what the user typed goes back into
// the cell when the current cell changes.
#pragma once

#include <windows.h>

#include <string>

#include "control/gdi_objects.h"

namespace pbsim {

class CellEditor {
public:
    explicit CellEditor(HWND owner) : m_owner(owner) {}
    ~CellEditor();
    CellEditor(const CellEditor&) = delete;
    CellEditor& operator=(const CellEditor&) = delete;

    HWND Window() const { return m_edit; }
    bool Visible() const;
    long Row() const { return m_row; }
    int Column() const { return m_column; }

    // Shows the edit control over `rect` (client coordinates of the owner)
    // with the cell's text and font (which the editor then owns); creates the
    // window on first use.
    bool Show(const RECT& rect, const std::wstring& text, HFONT font, long row, int column);
    // Moves the visible edit control (the cell scrolled).
    void Move(const RECT& rect);
    void Hide();
    // The text of the shown cell when the user changed it since Show.
    bool TakeChange(long* row, int* column, std::wstring* text);

private:
    bool Create();

    HWND m_owner;
    HWND m_edit = nullptr;
    Font m_font;
    long m_row = 0;
    int m_column = 0;
};

// Body of dwWinProcEdit: the system edit procedure with the DataWindow's
// navigation keys handed to the parent window.
LRESULT EditProcedure(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);

// Superclasses the system EDIT class as the engine's edit class with the
// given procedure. False when the system class is missing.
bool RegisterEditClass(HINSTANCE module, const wchar_t* className, WNDPROC procedure);

}  // namespace pbsim
