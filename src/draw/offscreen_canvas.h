// OffscreenCanvas: a cairo context on a copy of one area of a device
// context. The area's pixels are copied into a bitmap in memory, cairo
// composites there, and Commit copies the result back in one transfer: the
// device context is read once and written once, however many shapes are
// drawn. Coordinates are those of the device context.
#pragma once

#include <windows.h>

#include <cairo.h>

class OffscreenCanvas {
public:
    // Copies `area` (logical units of hdc, non-empty) out of hdc. Context()
    // is null when the copy could not be made.
    OffscreenCanvas(HDC hdc, const RECT& area);
    ~OffscreenCanvas();
    OffscreenCanvas(const OffscreenCanvas&) = delete;
    OffscreenCanvas& operator=(const OffscreenCanvas&) = delete;

    cairo_t* Context() const { return m_pCr; }
    // Copies the area back to the device context; false when there is
    // nothing to copy or the transfer failed.
    bool Commit();

private:
    void Release();

    HDC m_hTarget = nullptr;
    RECT m_rcArea = {0, 0, 0, 0};
    HDC m_hMemDC = nullptr;
    HBITMAP m_hBitmap = nullptr;
    HGDIOBJ m_hOldBitmap = nullptr;
    cairo_surface_t* m_pSurface = nullptr;
    cairo_t* m_pCr = nullptr;
};
