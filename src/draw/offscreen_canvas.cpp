#include "draw/offscreen_canvas.h"

#include "frame/real_functions.h"

OffscreenCanvas::OffscreenCanvas(HDC hdc, const RECT& area) : m_hTarget(hdc), m_rcArea(area) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (!hdc || width <= 0 || height <= 0) return;
    // A top-down 32-bit bitmap: its rows are laid out as cairo's RGB24
    // images are (four bytes a pixel, no padding).
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_hMemDC = Real_CreateCompatibleDC(hdc);
    if (!m_hMemDC) return;
    m_hBitmap = CreateDIBSection(hdc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!m_hBitmap || !bits) {
        Release();
        return;
    }
    m_hOldBitmap = SelectObject(m_hMemDC, m_hBitmap);
    if (!m_hOldBitmap || !Real_BitBlt(m_hMemDC, 0, 0, width, height, hdc, area.left, area.top, SRCCOPY)) {
        Release();
        return;
    }
    GdiFlush();  // the copy is in the bits before cairo reads them
    m_pSurface = cairo_image_surface_create_for_data(static_cast<unsigned char*>(bits), CAIRO_FORMAT_RGB24, width,
                                                     height, width * 4);
    if (cairo_surface_status(m_pSurface) != CAIRO_STATUS_SUCCESS) {
        Release();
        return;
    }
    m_pCr = cairo_create(m_pSurface);
    if (cairo_status(m_pCr) != CAIRO_STATUS_SUCCESS) {
        Release();
        return;
    }
    cairo_translate(m_pCr, -area.left, -area.top);
}

OffscreenCanvas::~OffscreenCanvas() { Release(); }

bool OffscreenCanvas::Commit() {
    if (!m_pCr) return false;
    cairo_surface_flush(m_pSurface);
    return Real_BitBlt(m_hTarget, m_rcArea.left, m_rcArea.top, m_rcArea.right - m_rcArea.left,
                       m_rcArea.bottom - m_rcArea.top, m_hMemDC, 0, 0, SRCCOPY) != FALSE;
}

void OffscreenCanvas::Release() {
    if (m_pCr) cairo_destroy(m_pCr);
    if (m_pSurface) cairo_surface_destroy(m_pSurface);
    m_pCr = nullptr;
    m_pSurface = nullptr;
    if (m_hOldBitmap) SelectObject(m_hMemDC, m_hOldBitmap);
    m_hOldBitmap = nullptr;
    if (m_hBitmap) DeleteObject(m_hBitmap);
    m_hBitmap = nullptr;
    if (m_hMemDC) Real_DeleteDC(m_hMemDC);
    m_hMemDC = nullptr;
}
