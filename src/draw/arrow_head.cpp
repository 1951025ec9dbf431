#include "draw/arrow_head.h"

#include <cmath>
#include <memory>
#include <new>

#include "draw/cairo_canvas.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

}  // namespace

void ArrowHead::Draw(cairo_t*, double, double, double, double, double, double, double) {}

ArrowHead::Barbs ArrowHead::Settle(double x1, double y1, double x2, double y2, double length, double width,
                                   bool widthIsArc) {
    if (width > 0) m_dLength = length;
    m_dAngle = widthIsArc ? width / m_dLength : width;
    const double w = m_dAngle;
    const double theta = std::atan2(y2 - y1, x2 - x1) + kPi;
    const double l = m_dLength;
    return {theta, x2 + l * std::cos(theta - w), y2 + l * std::sin(theta - w), x2 + l * std::cos(theta + w),
            y2 + l * std::sin(theta + w)};
}

void ArrowHead::SetSource(cairo_t* cr, COLORREF clr) const {
    cairo_set_source_rgb(cr, RedOf(clr), GreenOf(clr), BlueOf(clr));
}

void ArrowHead::OutlineAndFill(cairo_t* cr) const {
    SetSource(cr, m_clrLine);
    cairo_stroke_preserve(cr);
    SetSource(cr, m_clrFill);
    cairo_fill(cr);
}

void ArrowOpen::Draw(cairo_t* cr, double x1, double y1, double x2, double y2, double length, double width, double) {
    const Barbs b = Settle(x1, y1, x2, y2, length, width, false);
    SetSource(cr, m_clrLine);
    cairo_move_to(cr, x2, y2);
    cairo_line_to(cr, b.p1x, b.p1y);
    cairo_stroke(cr);
    cairo_move_to(cr, x2, y2);
    cairo_line_to(cr, b.p2x, b.p2y);
    cairo_stroke(cr);
}

void ArrowSolid::Draw(cairo_t* cr, double x1, double y1, double x2, double y2, double length, double width, double) {
    const Barbs b = Settle(x1, y1, x2, y2, length, width, false);
    cairo_move_to(cr, x2, y2);
    cairo_line_to(cr, b.p1x, b.p1y);
    cairo_line_to(cr, b.p2x, b.p2y);
    cairo_close_path(cr);
    OutlineAndFill(cr);
}

void ArrowDiamond::Draw(cairo_t* cr, double x1, double y1, double x2, double y2, double length, double width,
                        double depth) {
    // A length of 0 leaves the back point undefined: such a head is not drawn.
    if (length == 0) return;
    const Barbs b = Settle(x1, y1, x2, y2, length, width, true);
    const double r = (length - depth) / length;
    const double l = m_dLength;
    cairo_move_to(cr, x2, y2);
    cairo_line_to(cr, b.p1x, b.p1y);
    cairo_line_to(cr, x2 + l * r * std::cos(b.theta), y2 + l * r * std::sin(b.theta));
    cairo_line_to(cr, b.p2x, b.p2y);
    cairo_close_path(cr);
    OutlineAndFill(cr);
}

void ArrowCircle::Draw(cairo_t* cr, double x1, double y1, double x2, double y2, double length, double width, double) {
    const Barbs b = Settle(x1, y1, x2, y2, length, width, false);
    const double l = m_dLength;
    cairo_arc(cr, x2 + l * std::cos(b.theta), y2 + l * std::sin(b.theta), l, 0, 2 * kPi);
    OutlineAndFill(cr);
}

void DrawArrow(HDC hdc, int x1, int y1, int x2, int y2, int length, int width, int depth, COLORREF clrLine,
               BOOL drawLine, int style, COLORREF clrFill) {
    std::unique_ptr<ArrowHead> head;
    switch (style) {
    case 1: head.reset(new (std::nothrow) ArrowOpen(clrLine, clrFill)); break;
    case 2: head.reset(new (std::nothrow) ArrowSolid(clrLine, clrFill)); break;
    case 3: head.reset(new (std::nothrow) ArrowCircle(clrLine, clrFill)); break;
    default: head.reset(new (std::nothrow) ArrowDiamond(clrLine, clrFill)); break;
    }
    if (!head) return;
    std::unique_ptr<CairoCanvas> canvas(new (std::nothrow) CairoCanvas(hdc));
    if (!canvas) return;
    if (drawLine) {
        canvas->SetLineCap(CAIRO_LINE_CAP_ROUND);
        canvas->SetLineWidth(2.0);
        if (cairo_t* cr = canvas->Context()) cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        canvas->MoveTo(x1, y1);
        canvas->LineTo(x2, y2);
        canvas->SetSourceColor(clrLine);
        canvas->Stroke();
    }
    // Without a context there is nothing to draw the head into.
    if (canvas->Context()) head->Draw(canvas->Context(), x1, y1, x2, y2, length, width, depth);
}
