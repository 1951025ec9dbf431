#include "screenshot.h"

#include <cairo.h>

#include <vector>

namespace {

struct DcDeleter {
    HDC hdc;
    ~DcDeleter() {
        if (hdc) DeleteDC(hdc);
    }
};
struct ObjectDeleter {
    HGDIOBJ h;
    ~ObjectDeleter() {
        if (h) DeleteObject(h);
    }
};

std::string ToUtf8(const std::wstring& s) {
    int n = WideCharToMultiByte(CP_UTF8, 0, s.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.c_str(), -1, &out[0], n, nullptr, nullptr);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

}  // namespace

bool SaveWindowScreenshot(HWND hWnd, const std::wstring& path) {
    RECT rc;
    if (!IsWindow(hWnd) || !GetClientRect(hWnd, &rc)) return false;
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    if (w <= 0 || h <= 0) return false;

    // The window's own surface, children included: what was drawn on it
    // (the library's hover band and selection frame) shows there at once,
    // before any later paint of the DataWindow covers it.
    HDC screen = GetDC(hWnd);
    if (!screen) return false;
    DcDeleter mem{CreateCompatibleDC(screen)};
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    ObjectDeleter dib{CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0)};
    bool ok = false;
    if (mem.hdc && dib.h && bits) {
        HGDIOBJ old = SelectObject(mem.hdc, dib.h);
        ok = BitBlt(mem.hdc, 0, 0, w, h, screen, 0, 0, SRCCOPY) != FALSE;
        SelectObject(mem.hdc, old);
    }
    ReleaseDC(hWnd, screen);
    if (!ok) return false;

    // The DIB is BGRX; cairo's RGB24 has the same layout on little-endian.
    const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, w);
    std::vector<unsigned char> pixels(static_cast<size_t>(stride) * h);
    for (int y = 0; y < h; ++y)
        memcpy(&pixels[static_cast<size_t>(y) * stride],
               static_cast<unsigned char*>(bits) + static_cast<size_t>(y) * w * 4, static_cast<size_t>(w) * 4);
    cairo_surface_t* surface = cairo_image_surface_create_for_data(pixels.data(), CAIRO_FORMAT_RGB24, w, h, stride);
    const cairo_status_t st = cairo_surface_write_to_png(surface, ToUtf8(path).c_str());
    cairo_surface_destroy(surface);
    return st == CAIRO_STATUS_SUCCESS;
}
