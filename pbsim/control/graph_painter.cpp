#include "control/graph_painter.h"

#include <algorithm>

#include "control/gdi_objects.h"
#include "control/pb_color.h"
#include "model/wide_text.h"

namespace pbsim {

namespace {

const COLORREF kBarColors[] = {RGB(70, 130, 180), RGB(230, 140, 50),  RGB(90, 170, 90),
                               RGB(200, 70, 70),  RGB(150, 110, 190), RGB(120, 120, 120)};
const int kGraphTypeLine = 12;
const int kInset = 4;

std::vector<double> EvaluateList(const DataWindowModel& model, const std::wstring& list, long row) {
    std::vector<double> values;
    for (const std::wstring& expression : SplitExpressionList(list)) {
        std::wstring text;
        double value = 0.0;
        if (!model.EvaluateExpression(expression, row, &text) || !ParseNumber(text, &value)) value = 0.0;
        values.push_back(value);
    }
    return values;
}

int ScaledHeight(double value, double top, int plotHeight) {
    if (value <= 0.0 || top <= 0.0) return 0;
    return static_cast<int>(value / top * plotHeight + 0.5);
}

void PaintBars(HDC dc, const std::vector<double>& values, double top, const RECT& plot) {
    const int count = static_cast<int>(values.size());
    const int slot = (plot.right - plot.left) / count;
    if (slot < 2) return;
    Pen outline(CreatePen(PS_SOLID, 1, RGB(40, 40, 40)));
    SelectionScope pen(dc, outline.Get());
    for (int i = 0; i < count; ++i) {
        const int height = ScaledHeight(values[static_cast<size_t>(i)], top, plot.bottom - plot.top);
        if (height <= 0) continue;
        const int left = plot.left + i * slot + slot / 5;
        const int right = plot.left + (i + 1) * slot - slot / 5;
        POINT corners[4] = {
            {left, plot.bottom}, {left, plot.bottom - height}, {right, plot.bottom - height}, {right, plot.bottom}};
        Brush fill(CreateSolidBrush(kBarColors[static_cast<size_t>(i) % (sizeof(kBarColors) / sizeof(kBarColors[0]))]));
        SelectionScope brush(dc, fill.Get());
        Polygon(dc, corners, 4);
    }
}

void PaintLineSeries(HDC dc, const std::vector<double>& values, double top, const RECT& plot) {
    const int count = static_cast<int>(values.size());
    const int slot = (plot.right - plot.left) / count;
    if (slot < 1) return;
    std::vector<POINT> points;
    for (int i = 0; i < count; ++i) {
        POINT p;
        p.x = plot.left + i * slot + slot / 2;
        p.y = plot.bottom - ScaledHeight(values[static_cast<size_t>(i)], top, plot.bottom - plot.top);
        points.push_back(p);
    }
    Pen line(CreatePen(PS_SOLID, 2, RGB(160, 0, 0)));
    SelectionScope pen(dc, line.Get());
    Polyline(dc, points.data(), static_cast<int>(points.size()));
}

}  // namespace

std::vector<std::wstring> SplitExpressionList(const std::wstring& list) {
    std::vector<std::wstring> parts;
    std::wstring current;
    int depth = 0;
    wchar_t quote = 0;
    for (size_t i = 0; i < list.size(); ++i) {
        const wchar_t c = list[i];
        if (quote) {
            current += c;
            if (c == L'~' && i + 1 < list.size()) {
                current += list[++i];
            } else if (c == quote) {
                quote = 0;
            }
            continue;
        }
        if (c == L'\'' || c == L'"') quote = c;
        if (c == L'(') ++depth;
        if (c == L')' && depth > 0) --depth;
        if (c == L',' && depth == 0) {
            if (!Trim(current).empty()) parts.push_back(Trim(current));
            current.clear();
            continue;
        }
        current += c;
    }
    if (!Trim(current).empty()) parts.push_back(Trim(current));
    return parts;
}

void PaintGraph(HDC dc, const DataWindowModel& model, const DwObject& object, long row, const RECT& rect,
                FontCache& fonts) {
    const long background = ColorValue(model.EvaluateProperty(object, L"background.color", row));
    if (!IsTransparentColor(background) && model.EvaluateInt(object, L"background.mode", row) != 1) {
        Brush fill(CreateSolidBrush(ResolveColor(background)));
        FillRect(dc, &rect, fill.Get());
    }
    FrameRect(dc, &rect, GetSysColorBrush(COLOR_3DSHADOW));

    RECT plot = rect;
    InflateRect(&plot, -kInset, -kInset);
    const std::wstring title = model.EvaluateProperty(object, L"title", row);
    if (!title.empty()) {
        SelectionScope font(dc, fonts.Get(ObjectFontSpec(model, object, row)));
        TEXTMETRICW metrics = {};
        GetTextMetricsW(dc, &metrics);
        RECT titleRect = {plot.left, plot.top, plot.right, plot.top + metrics.tmHeight};
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, ResolveColor(ColorValue(model.EvaluateProperty(object, L"color", row))));
        std::vector<wchar_t> buffer(title.begin(), title.end());
        buffer.push_back(L'\0');
        DrawTextExW(dc, buffer.data(), -1, &titleRect, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX, nullptr);
        plot.top += metrics.tmHeight + 2;
    }
    if (plot.right - plot.left < 4 || plot.bottom - plot.top < 4) return;

    const bool lineGraph = model.EvaluateInt(object, L"graphtype", row) == kGraphTypeLine;
    const std::vector<double> values = EvaluateList(model, model.EvaluateProperty(object, L"values", row), row);
    std::vector<double> series = EvaluateList(model, model.EvaluateProperty(object, L"series", row), row);
    if (series.empty() && lineGraph) series = values;
    double top = 0.0;
    for (double v : values) top = std::max(top, v);
    for (double v : series) top = std::max(top, v);
    if (top <= 0.0) return;

    if (!lineGraph && !values.empty()) PaintBars(dc, values, top, plot);
    if (!series.empty()) PaintLineSeries(dc, series, top, plot);
}

}  // namespace pbsim
