// Arrow heads drawn with cairo at the tip of a line (the skinned scroll-bar
// arrows): open, solid, diamond and circle heads, and DrawArrow, which draws
// a head with an optional shaft on a device context.
#pragma once

#include <windows.h>

#include <cairo.h>

class ArrowHead {
public:
    ArrowHead(COLORREF clrLine, COLORREF clrFill, double length = 10.0)
        : m_dLength(length), m_clrLine(clrLine), m_clrFill(clrFill) {}
    virtual ~ArrowHead() = default;
    // x1, y1: the start of the line; x2, y2: the tip, where the head goes.
    virtual void Draw(cairo_t* cr, double x1, double y1, double x2, double y2, double length, double width,
                      double depth);

    double m_dLength;
    double m_dAngle = 0.2;
    COLORREF m_clrLine;
    COLORREF m_clrFill;

protected:
    // The settled length and half-opening, the direction from the tip back
    // along the line, and the two barb points.
    struct Barbs {
        double theta;
        double p1x, p1y, p2x, p2y;
    };
    Barbs Settle(double x1, double y1, double x2, double y2, double length, double width, bool widthIsArc);
    void SetSource(cairo_t* cr, COLORREF clr) const;
    // Stroke in the line colour keeping the path, then fill in the fill colour.
    void OutlineAndFill(cairo_t* cr) const;
};

class ArrowOpen : public ArrowHead {
public:
    using ArrowHead::ArrowHead;
    void Draw(cairo_t* cr, double x1, double y1, double x2, double y2, double length, double width,
              double depth) override;
};

class ArrowSolid : public ArrowHead {
public:
    using ArrowHead::ArrowHead;
    void Draw(cairo_t* cr, double x1, double y1, double x2, double y2, double length, double width,
              double depth) override;
};

class ArrowDiamond : public ArrowHead {
public:
    using ArrowHead::ArrowHead;
    void Draw(cairo_t* cr, double x1, double y1, double x2, double y2, double length, double width,
              double depth) override;
};

class ArrowCircle : public ArrowHead {
public:
    ArrowCircle(COLORREF clrLine, COLORREF clrFill) : ArrowHead(clrLine, clrFill, 7.0) {}
    void Draw(cairo_t* cr, double x1, double y1, double x2, double y2, double length, double width,
              double depth) override;
};

// Style 1 open, 2 solid, 3 circle, anything else diamond. With drawLine the
// shaft from (x1, y1) to the tip is drawn first, 2 pixels wide with round
// caps and joins.
void DrawArrow(HDC hdc, int x1, int y1, int x2, int y2, int length, int width, int depth, COLORREF clrLine,
               BOOL drawLine, int style, COLORREF clrFill);
