// Owners of the GDI handles the control creates while it paints: each object
// is deleted, each selection undone and each device context given back when
// its owner goes out of scope.
#pragma once

#include <windows.h>

namespace pbsim {

// A pen, brush, font, bitmap or region created for one paint.
template <class Handle>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(Handle handle) : m_handle(handle) {}
    ~GdiObject() { Reset(); }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    GdiObject(GdiObject&& other) noexcept : m_handle(other.m_handle) { other.m_handle = nullptr; }
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other) {
            Reset();
            m_handle = other.m_handle;
            other.m_handle = nullptr;
        }
        return *this;
    }

    Handle Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    void Reset(Handle handle = nullptr) {
        if (m_handle) DeleteObject(m_handle);
        m_handle = handle;
    }

private:
    Handle m_handle = nullptr;
};

using Pen = GdiObject<HPEN>;
using Brush = GdiObject<HBRUSH>;
using Font = GdiObject<HFONT>;
using Bitmap = GdiObject<HBITMAP>;
using Region = GdiObject<HRGN>;

// Selects an object into a device context and selects the previous one back.
class SelectionScope {
public:
    SelectionScope(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(dc && object ? SelectObject(dc, object) : nullptr) {}
    ~SelectionScope() {
        if (m_dc && m_previous) SelectObject(m_dc, m_previous);
    }
    SelectionScope(const SelectionScope&) = delete;
    SelectionScope& operator=(const SelectionScope&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// SaveDC / RestoreDC around a change of clipping, origin or mapping.
class SavedState {
public:
    explicit SavedState(HDC dc) : m_dc(dc), m_id(dc ? SaveDC(dc) : 0) {}
    ~SavedState() {
        if (m_id) RestoreDC(m_dc, m_id);
    }
    SavedState(const SavedState&) = delete;
    SavedState& operator=(const SavedState&) = delete;

private:
    HDC m_dc;
    int m_id;
};

// A memory device context compatible with another one, with a bitmap of the
// given size selected; the double buffer of a paint.
class MemoryCanvas {
public:
    MemoryCanvas(HDC compatibleWith, int width, int height)
        : m_dc(CreateCompatibleDC(compatibleWith)),
          m_bitmap(CreateCompatibleBitmap(compatibleWith, width > 0 ? width : 1, height > 0 ? height : 1)) {
        if (m_dc && m_bitmap) m_previous = SelectObject(m_dc, m_bitmap.Get());
    }
    ~MemoryCanvas() {
        if (m_dc && m_previous) SelectObject(m_dc, m_previous);
        if (m_dc) DeleteDC(m_dc);
    }
    MemoryCanvas(const MemoryCanvas&) = delete;
    MemoryCanvas& operator=(const MemoryCanvas&) = delete;

    bool Ok() const { return m_dc && m_bitmap && m_previous; }
    HDC Dc() const { return m_dc; }

private:
    HDC m_dc;
    Bitmap m_bitmap;
    HGDIOBJ m_previous = nullptr;
};

// BeginPaint / EndPaint.
class PaintScope {
public:
    explicit PaintScope(HWND window) : m_window(window), m_dc(BeginPaint(window, &m_paint)) {}
    ~PaintScope() {
        if (m_dc) EndPaint(m_window, &m_paint);
    }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;

    HDC Dc() const { return m_dc; }
    const RECT& Area() const { return m_paint.rcPaint; }

private:
    HWND m_window;
    PAINTSTRUCT m_paint = {};
    HDC m_dc;
};

// GetWindowDC / ReleaseDC.
class WindowDcScope {
public:
    explicit WindowDcScope(HWND window) : m_window(window), m_dc(GetWindowDC(window)) {}
    ~WindowDcScope() {
        if (m_dc) ReleaseDC(m_window, m_dc);
    }
    WindowDcScope(const WindowDcScope&) = delete;
    WindowDcScope& operator=(const WindowDcScope&) = delete;

    HDC Dc() const { return m_dc; }

private:
    HWND m_window;
    HDC m_dc;
};

}  // namespace pbsim
