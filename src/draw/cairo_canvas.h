// CairoCanvas: one cairo surface and context made on a device context for one
// paint, through which the painting code draws anti-aliased shapes. Every
// operation on a canvas without a context draws nothing and writes
// "cr is null" to the debug output.
#pragma once

#include <windows.h>

#include <cairo.h>

class CairoCanvas {
public:
    explicit CairoCanvas(HDC hdc);
    // A canvas for drawing that stays within bounds (logical units): cairo
    // then renders through an image of that area only, not of the whole
    // clip box of the context. Drawing outside bounds is cut off.
    CairoCanvas(HDC hdc, const RECT& bounds);
    // Where the canvas draws. Through the context, cairo reads back and
    // writes the context's pixels for every anti-aliased operation. Off
    // screen, the area (clip box within bounds) is copied once into a bitmap
    // of the canvas when it is made, drawn there, and copied back once when
    // it is destroyed: for a series of shapes on a window, with no other
    // drawing on that area while the canvas lives. Off screen needs a context
    // in logical units equal to pixels (MM_TEXT, no world transform).
    enum class Backing { Context, Offscreen };
    CairoCanvas(HDC hdc, const RECT& bounds, Backing backing);
    ~CairoCanvas();
    CairoCanvas(const CairoCanvas&) = delete;
    CairoCanvas& operator=(const CairoCanvas&) = delete;

    // Surfaces made by canvases and not yet destroyed, process-wide: 0
    // whenever no paint is in progress.
    static int LiveSurfaces();

    // The cairo context, for the calls the canvas does not wrap; null when
    // the surface could not be made.
    cairo_t* Context() const { return m_pCr; }

    void Stroke();
    void Fill();
    void FillPreserve();
    void ClosePath();
    void MoveTo(double x, double y);
    void LineTo(double x, double y);
    void SetLineWidth(double width);
    // cairo's line-cap codes: 0 butt, 1 round, 2 square.
    void SetLineCap(int cap);
    void SetSourceColor(COLORREF clr);
    void SetSourceColorAlpha(COLORREF clr, double alpha);
    void Rectangle(const RECT& rc);
    // The rounded-rectangle path: the four edges as separate segments, then
    // the four corner arcs; neither stroked nor filled, not closed.
    void RoundRectangle(const RECT& rc, double r);

private:
    void Create(HDC hdc, const RECT* bounds, Backing backing);
    bool CreateOffscreen(HDC hdc, const RECT& area);
    void ReleaseOffscreen();
    bool Ready() const;

    cairo_surface_t* m_pSurface = nullptr;
    cairo_t* m_pCr = nullptr;
    // The context whose clip the canvas narrowed, and its saved state.
    HDC m_hSavedDC = nullptr;
    int m_nSavedDC = 0;
    // Off screen: the bitmap, its context, and the area it copies back to.
    HDC m_hTarget = nullptr;
    HDC m_hMemoryDC = nullptr;
    HBITMAP m_hBitmap = nullptr;
    HGDIOBJ m_hOldBitmap = nullptr;
    RECT m_rcArea = {0, 0, 0, 0};
};

// A COLORREF (0x00BBGGRR) as cairo's channels in [0, 1]; the top byte is ignored.
double RedOf(COLORREF clr);
double GreenOf(COLORREF clr);
double BlueOf(COLORREF clr);
