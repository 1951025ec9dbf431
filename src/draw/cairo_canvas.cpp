#include "draw/cairo_canvas.h"

#include <cairo-win32.h>

#include <atomic>
#include <cmath>

#include "frame/debug_log.h"

namespace {
std::atomic<int> g_nLiveSurfaces{0};
}  // namespace

int CairoCanvas::LiveSurfaces() { return g_nLiveSurfaces.load(); }

double RedOf(COLORREF clr) { return (clr & 0xFF) / 255.0; }
double GreenOf(COLORREF clr) { return ((clr >> 8) & 0xFF) / 255.0; }
double BlueOf(COLORREF clr) { return ((clr >> 16) & 0xFF) / 255.0; }

CairoCanvas::CairoCanvas(HDC hdc) { Create(hdc, nullptr); }

CairoCanvas::CairoCanvas(HDC hdc, const RECT& bounds) { Create(hdc, &bounds); }

void CairoCanvas::Create(HDC hdc, const RECT* bounds) {
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
        RECT wanted;
        // Bounds that miss the clip box leave it as it is: nothing shows then
        // either way, and the canvas still gets its context.
        if (bounds && IntersectRect(&wanted, &narrow, bounds)) narrow = wanted;
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

CairoCanvas::~CairoCanvas() {
    if (m_pCr) cairo_destroy(m_pCr);
    if (m_pSurface) {
        cairo_surface_destroy(m_pSurface);
        --g_nLiveSurfaces;
    }
    m_pCr = nullptr;
    m_pSurface = nullptr;
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
