// Positions of objects in pixels, evaluated for a row, and the width of the
// DataWindow's content.
#include "model/datawindow_model.h"

namespace pbsim {

PixelRect DataWindowModel::ObjectRectPixels(const DwObject& object, long row) const {
    PixelRect rect;
    if (object.kind == ObjectKind::Line) {
        const PixelLine line = LinePixels(object, row);
        rect.x = line.x1 < line.x2 ? line.x1 : line.x2;
        rect.y = line.y1 < line.y2 ? line.y1 : line.y2;
        rect.width = (line.x1 < line.x2 ? line.x2 - line.x1 : line.x1 - line.x2);
        rect.height = (line.y1 < line.y2 ? line.y2 - line.y1 : line.y1 - line.y2);
        return rect;
    }
    const int x = EvaluateInt(object, L"x", row);
    const int y = EvaluateInt(object, L"y", row);
    const int width = EvaluateInt(object, L"width", row);
    const int height = EvaluateInt(object, L"height", row);
    // Both edges are converted, so that adjacent objects stay adjacent.
    rect.x = UnitsToPixelsX(x);
    rect.y = UnitsToPixelsY(y);
    rect.width = UnitsToPixelsX(x + width) - rect.x;
    rect.height = UnitsToPixelsY(y + height) - rect.y;
    return rect;
}

PixelLine DataWindowModel::LinePixels(const DwObject& object, long row) const {
    PixelLine line;
    if (object.kind != ObjectKind::Line) return line;
    line.x1 = UnitsToPixelsX(EvaluateInt(object, L"x1", row));
    line.y1 = UnitsToPixelsY(EvaluateInt(object, L"y1", row));
    line.x2 = UnitsToPixelsX(EvaluateInt(object, L"x2", row));
    line.y2 = UnitsToPixelsY(EvaluateInt(object, L"y2", row));
    return line;
}

int DataWindowModel::ContentWidthPixels() const {
    const long row = m_currentRow;
    int right = 0;
    for (const DwObject& object : m_objects) {
        const std::wstring band = object.Band();
        if (band == L"foreground" || band == L"background") continue;
        if (!IsVisible(object, row)) continue;
        const PixelRect rect = ObjectRectPixels(object, row);
        if (rect.x + rect.width > right) right = rect.x + rect.width;
    }
    return right;
}

}  // namespace pbsim
