#include "draw/polygon_painters.h"

#include <memory>
#include <new>

#include "draw/cairo_canvas.h"
#include "draw/distinct_color.h"

namespace {

void TracePoints(CairoCanvas& canvas, const POINT* points, int count) {
    canvas.MoveTo(points[0].x, points[0].y);
    for (int i = 1; i < count; ++i) canvas.LineTo(points[i].x, points[i].y);
}

}  // namespace

int PaintPolygon(HDC hdc, DWObject& dw, const POINT* points, int count) {
    std::unique_ptr<CairoCanvas> canvas(new (std::nothrow) CairoCanvas(hdc));
    if (!canvas) return 0;
    canvas->SetLineWidth(1.0);
    if (count < 1 || !points) return 0;
    const COLORREF colour = NextDistinctColor(dw, hdc);
    canvas->SetSourceColorAlpha(colour, 0.8);
    TracePoints(*canvas, points, count);
    canvas->ClosePath();
    canvas->FillPreserve();
    canvas->SetSourceColorAlpha(colour, 1.0);
    // The outline is stroked twice at full opacity, the path kept between.
    if (cairo_t* cr = canvas->Context()) {
        cairo_stroke_preserve(cr);
        cairo_stroke_preserve(cr);
    }
    return 1;
}

int PaintPolyline(HDC hdc, const POINT* points, int count) {
    std::unique_ptr<CairoCanvas> canvas(new (std::nothrow) CairoCanvas(hdc));
    if (!canvas) return 0;
    canvas->SetSourceColorAlpha(0x500000, 0.8);
    canvas->SetLineWidth(0.8);
    if (count < 1 || !points) return 0;
    TracePoints(*canvas, points, count);
    canvas->Stroke();
    return 1;
}
