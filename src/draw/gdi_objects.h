// Owners of GDI handles made for one paint: each frees its handle when it
// goes out of scope, on every path.
#pragma once

#include <windows.h>

template <class Handle>
class GdiObject {
public:
    explicit GdiObject(Handle handle = nullptr) : m_h(handle) {}
    ~GdiObject() {
        if (m_h) DeleteObject(m_h);
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    Handle get() const { return m_h; }
    explicit operator bool() const { return m_h != nullptr; }

private:
    Handle m_h;
};

class MemoryDC {
public:
    explicit MemoryDC(HDC compatibleWith) : m_h(CreateCompatibleDC(compatibleWith)) {}
    ~MemoryDC() {
        if (m_h) DeleteDC(m_h);
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    HDC get() const { return m_h; }
    explicit operator bool() const { return m_h != nullptr; }

private:
    HDC m_h;
};

// Selects an object into a context and puts the previous one back.
class SelectedObject {
public:
    SelectedObject(HDC hdc, HGDIOBJ object) : m_hdc(hdc), m_old(hdc && object ? SelectObject(hdc, object) : nullptr) {}
    ~SelectedObject() { Restore(); }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    void Restore() {
        if (m_old) SelectObject(m_hdc, m_old);
        m_old = nullptr;
    }

private:
    HDC m_hdc;
    HGDIOBJ m_old;
};
