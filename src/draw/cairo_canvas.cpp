#include "draw/cairo_canvas.h"

#include <cairo-win32.h>

#include <atomic>
#include <cmath>

#include "base/debug_log.h"
#include "base/real_functions.h"

namespace {
std::atomic<int> g_nLiveSurfaces{0};
// Whether the context's logical units are its pixels: an off-screen bitmap of
// the area then holds exactly the pixels it covers.
bool PixelUnits(HDC hdc) {
    if (GetMapMode(hdc) != MM_TEXT) return false;
    if (GetGraphicsMode(hdc) != GM_ADVANCED) return true;
    XFORM transform;
    return GetWorldTransform(hdc, &transform) && transform.eM11 == 1.0f && transform.eM22 == 1.0f &&
           transform.eM12 == 0.0f && transform.eM21 == 0.0f && transform.eDx == 0.0f && transform.eDy == 0.0f;
}

}  // namespace

int CairoCanvas::LiveSurfaces() { return g_nLiveSurfaces.load(); }

double RedOf(COLORREF clr) { return (clr & 0xFF) / 255.0; }
double GreenOf(COLORREF clr) { return ((clr >> 8) & 0xFF) / 255.0; }
double BlueOf(COLORREF clr) { return ((clr >> 16) & 0xFF) / 255.0; }

CairoCanvas::CairoCanvas(HDC hdc) { Create(hdc, nullptr, Backing::Context); }

CairoCanvas::CairoCanvas(HDC hdc, const RECT& bounds) { Create(hdc, &bounds, Backing::Context); }

CairoCanvas::CairoCanvas(HDC hdc, const RECT& bounds, Backing backing) { Create(hdc, &bounds, backing); }

void CairoCanvas::Create(HDC hdc, const RECT* bounds, Backing backing) {
    // cairo renders anti-aliased shapes through an image as large as the
    // context's clip box, so the clip is narrowed to what the canvas is for.
    // cairo also takes a clip box that starts left of or above the origin for
    // the virtual desktop's and moves the shapes by that much. Such a box
    // belongs to a child that paints on its parent's context (CS_PARENTDC):
    // nothing left of or above the child's origin is its own, so the canvas
    // draws clipped to the child's side of the origin.
    RECT box;
    if (hdc && GetClipBox(hdc, &box) != ERROR) {
        RECT narrow = box;
        if (narrow.left < 0) narrow.left = 0;
        if (narrow.top < 0) narrow.top = 0;
        RECT wanted = {0, 0, 0, 0};
        // Bounds that miss the clip box leave it as it is: nothing shows then
        // either way, and the canvas still gets its context.
        if (bounds && IntersectRect(&wanted, &narrow, bounds)) narrow = wanted;
        if (backing == Backing::Offscreen && PixelUnits(hdc)) {
            if (bounds && !IsRectEmpty(&wanted) && CreateOffscreen(hdc, narrow)) return;
            // Nothing to draw on, or no bitmap: drawing through the context
            // still shows what it can.
        }
        if (!EqualRect(&narrow, &box)) {
            m_nSavedDC = SaveDC(hdc);
            if (m_nSavedDC) {
                m_hSavedDC = hdc;
                IntersectClipRect(hdc, narrow.left, narrow.top, narrow.right, narrow.bottom);
            }
        }
    }
    m_pSurface = cairo_win32_surface_create(hdc);
    // cairo answers a device context it cannot draw on with a surface in an
    // error state rather than null: that is no surface either.
    if (m_pSurface && cairo_surface_status(m_pSurface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(m_pSurface);
        m_pSurface = nullptr;
    }
    if (m_pSurface) {
        ++g_nLiveSurfaces;
        m_pCr = cairo_create(m_pSurface);
    }
}

bool CairoCanvas::CreateOffscreen(HDC hdc, const RECT& area) {
    const LONG width = area.right - area.left, height = area.bottom - area.top;
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height;  // top-down, as cairo's images are
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    m_hMemoryDC = CreateCompatibleDC(hdc);
    m_hBitmap = m_hMemoryDC ? CreateDIBSection(hdc, &format, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
    cairo_surface_t* surface = nullptr;
    if (m_hBitmap && bits) {
        m_hOldBitmap = SelectObject(m_hMemoryDC, m_hBitmap);
        if (m_hOldBitmap && Real_BitBlt(m_hMemoryDC, 0, 0, width, height, hdc, area.left, area.top, SRCCOPY)) {
            GdiFlush();
            surface = cairo_image_surface_create_for_data(static_cast<unsigned char*>(bits), CAIRO_FORMAT_RGB24, width,
                                                          height, width * 4);
            if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
                cairo_surface_destroy(surface);
                surface = nullptr;
            }
        }
    }
    if (!surface) {
        ReleaseOffscreen();
        return false;
    }
    // Shapes stay in the context's coordinates.
    cairo_surface_set_device_offset(surface, -area.left, -area.top);
    m_pSurface = surface;
    ++g_nLiveSurfaces;
    m_pCr = cairo_create(m_pSurface);
    m_hTarget = hdc;
    m_rcArea = area;
    return true;
}

void CairoCanvas::ReleaseOffscreen() {
    if (m_hOldBitmap) SelectObject(m_hMemoryDC, m_hOldBitmap);
    if (m_hBitmap) DeleteObject(m_hBitmap);
    if (m_hMemoryDC) DeleteDC(m_hMemoryDC);
    m_hOldBitmap = nullptr;
    m_hBitmap = nullptr;
    m_hMemoryDC = nullptr;
    m_hTarget = nullptr;
}

CairoCanvas::~CairoCanvas() {
    if (m_pCr) cairo_destroy(m_pCr);
    if (m_pSurface) {
        cairo_surface_flush(m_pSurface);
        cairo_surface_destroy(m_pSurface);
        --g_nLiveSurfaces;
    }
    m_pCr = nullptr;
    m_pSurface = nullptr;
    if (m_hTarget) {
        Real_BitBlt(m_hTarget, m_rcArea.left, m_rcArea.top, m_rcArea.right - m_rcArea.left,
                    m_rcArea.bottom - m_rcArea.top, m_hMemoryDC, 0, 0, SRCCOPY);
    }
    ReleaseOffscreen();
    if (m_hSavedDC) RestoreDC(m_hSavedDC, m_nSavedDC);
}

bool CairoCanvas::Ready() const {
    if (m_pCr) return true;
    DebugLog("cr is null");
    return false;
}

void CairoCanvas::Stroke() {
    if (Ready()) cairo_stroke(m_pCr);
}

void CairoCanvas::Fill() {
    if (Ready()) cairo_fill(m_pCr);
}

void CairoCanvas::FillPreserve() {
    if (Ready()) cairo_fill_preserve(m_pCr);
}

void CairoCanvas::ClosePath() {
    if (Ready()) cairo_close_path(m_pCr);
}

void CairoCanvas::MoveTo(double x, double y) {
    if (Ready()) cairo_move_to(m_pCr, x, y);
}

void CairoCanvas::LineTo(double x, double y) {
    if (Ready()) cairo_line_to(m_pCr, x, y);
}

void CairoCanvas::SetLineWidth(double width) {
    if (Ready()) cairo_set_line_width(m_pCr, width);
}

void CairoCanvas::SetLineCap(int cap) {
    if (Ready()) cairo_set_line_cap(m_pCr, static_cast<cairo_line_cap_t>(cap));
}

void CairoCanvas::SetSourceColor(COLORREF clr) {
    if (Ready()) cairo_set_source_rgb(m_pCr, RedOf(clr), GreenOf(clr), BlueOf(clr));
}

void CairoCanvas::SetSourceColorAlpha(COLORREF clr, double alpha) {
    if (Ready()) cairo_set_source_rgba(m_pCr, RedOf(clr), GreenOf(clr), BlueOf(clr), alpha);
}

void CairoCanvas::Rectangle(const RECT& rc) {
    if (Ready()) cairo_rectangle(m_pCr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
}

void CairoCanvas::RoundRectangle(const RECT& rc, double r) {
    if (!Ready()) return;
    const double x = rc.left;
    const double y = rc.top;
    const double w = rc.right - rc.left;
    const double h = rc.bottom - rc.top;
    const double pi = 3.14159265358979323846;
    cairo_move_to(m_pCr, x + r, y);
    cairo_line_to(m_pCr, x + w - r, y);
    cairo_move_to(m_pCr, x + w, y + r);
    cairo_line_to(m_pCr, x + w, y + h - r);
    cairo_move_to(m_pCr, x + w - r, y + h);
    cairo_line_to(m_pCr, x + r, y + h);
    cairo_move_to(m_pCr, x, y + h - r);
    cairo_line_to(m_pCr, x, y + r);
    cairo_arc(m_pCr, x + r, y + r, r, pi, 3 * pi / 2);
    cairo_arc(m_pCr, x + w - r, y + r, r, 3 * pi / 2, 2 * pi);
    cairo_arc(m_pCr, x + w - r, y + h - r, r, 0, pi / 2);
    cairo_arc(m_pCr, x + r, y + h - r, r, pi / 2, pi);
}
