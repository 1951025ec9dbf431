#include "control/object_painter.h"

#include <vector>

#include "control/display_format.h"
#include "control/gdi_objects.h"
#include "control/graph_painter.h"
#include "control/pb_color.h"

namespace pbsim {

namespace {

// DrawTextExW format for an object's text: its alignment, single-line and
// vertically centred unless the text has line breaks.
UINT TextFormat(int alignment, const std::wstring& text) {
    UINT format = DT_NOPREFIX;
    switch (alignment) {
    case 1: format |= DT_RIGHT; break;
    case 2: format |= DT_CENTER; break;
    default: format |= DT_LEFT; break;
    }
    if (text.find_first_of(L"\r\n") != std::wstring::npos) return format | DT_WORDBREAK;
    return format | DT_SINGLELINE | DT_VCENTER;
}

// The text an object shows in a row, with its display format applied.
std::wstring ShownText(const DataWindowModel& model, const DwObject& object, long row) {
    const std::wstring text = model.DisplayText(object, row);
    if (object.kind != ObjectKind::Column && object.kind != ObjectKind::Compute) return text;
    return ApplyDisplayFormat(text, model.EvaluateProperty(object, L"format", row));
}

// Pen styles of line objects, in the order of the DataWindow's pen.style.
int PenStyle(int style) {
    switch (style) {
    case 1: return PS_DASH;
    case 2: return PS_DOT;
    case 3: return PS_DASHDOT;
    case 4: return PS_DASHDOTDOT;
    case 5: return PS_NULL;
    default: return PS_SOLID;
    }
}

// Opaque object backgrounds are pattern fills in the background colour.
void PaintBackground(HDC dc, const DataWindowModel& model, const DwObject& object, long row, const RECT& rect) {
    if (model.EvaluateInt(object, L"background.mode", row) == 1) return;  // transparent
    const long color = ColorValue(model.EvaluateProperty(object, L"background.color", row));
    if (IsTransparentColor(color)) return;
    Brush brush(CreateSolidBrush(ResolveColor(color)));
    if (!brush) return;
    SelectionScope selected(dc, brush.Get());
    PatBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, PATCOPY);
}

// Borders lie just outside the object: 1 shadow box, 2 box, 3 resize,
// 4 underline, 5 lowered, 6 raised.
void PaintBorder(HDC dc, int border, const RECT& rect) {
    RECT outer = rect;
    switch (border) {
    case 1:
    case 2:
    case 3: {
        InflateRect(&outer, 1, 1);
        FrameRect(dc, &outer, GetSysColorBrush(COLOR_WINDOWFRAME));
        if (border == 1) {
            RECT right = {outer.right, outer.top + 2, outer.right + 1, outer.bottom + 1};
            RECT bottom = {outer.left + 2, outer.bottom, outer.right + 1, outer.bottom + 1};
            FillRect(dc, &right, GetSysColorBrush(COLOR_3DSHADOW));
            FillRect(dc, &bottom, GetSysColorBrush(COLOR_3DSHADOW));
        }
        break;
    }
    case 4: {
        RECT line = {rect.left, rect.bottom, rect.right, rect.bottom + 1};
        FillRect(dc, &line, GetSysColorBrush(COLOR_WINDOWFRAME));
        break;
    }
    case 5:
    case 6:
        InflateRect(&outer, 2, 2);
        DrawEdge(dc, &outer, border == 5 ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
        break;
    default: break;
    }
}

void DrawObjectText(HDC dc, const std::wstring& text, RECT rect, UINT format) {
    if (text.empty()) return;
    // The text goes in a buffer of its own: a DrawTextExW hook may shorten it.
    std::vector<wchar_t> buffer(text.begin(), text.end());
    buffer.push_back(L'\0');
    DrawTextExW(dc, buffer.data(), -1, &rect, format, nullptr);
}

void PaintTextual(HDC dc, const ControlLayout& layout, const DwObject& object, long row, const RECT& rect,
                  FontCache& fonts, const ObjectPaintState& state) {
    const DataWindowModel& model = layout.Model();
    PaintBackground(dc, model, object, row, rect);
    PaintBorder(dc, model.EvaluateInt(object, L"border", row), rect);
    const std::wstring text = ShownText(model, object, row);
    if (text.empty()) return;
    SelectionScope font(dc, fonts.Get(ObjectFontSpec(model, object, row)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ResolveColor(ColorValue(model.EvaluateProperty(object, L"color", row))));
    if (state.highlighted) SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    DrawObjectText(dc, text, rect, TextFormat(model.EvaluateInt(object, L"alignment", row), text));
}

void PaintButton(HDC dc, const ControlLayout& layout, const DwObject& object, long row, RECT rect, FontCache& fonts) {
    const DataWindowModel& model = layout.Model();
    DrawFrameControl(dc, &rect, DFC_BUTTON, DFCS_BUTTONPUSH);
    const std::wstring text = model.DisplayText(object, row);
    if (text.empty()) return;
    SelectionScope font(dc, fonts.Get(ObjectFontSpec(model, object, row)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ResolveColor(ColorValue(model.EvaluateProperty(object, L"color", row))));
    DrawObjectText(dc, text, rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void PaintLine(HDC dc, const ControlLayout& layout, const DwObject& object, long detailRow) {
    const DataWindowModel& model = layout.Model();
    const std::wstring band = object.Band();
    const long row = layout.EvaluationRow(band, detailRow);
    const PixelLine line = model.LinePixels(object, row);
    const int top = layout.BandTop(band, detailRow);
    int width = model.UnitsToPixelsY(model.EvaluateInt(object, L"pen.width", row));
    if (width < 1) width = 1;
    const int style = PenStyle(model.EvaluateInt(object, L"pen.style", row));
    if (style == PS_NULL) return;
    const COLORREF color = ResolveColor(ColorValue(model.EvaluateProperty(object, L"pen.color", row)));
    Pen pen(CreatePen(style, width, color));
    if (!pen) return;
    SelectionScope selected(dc, pen.Get());
    MoveToEx(dc, layout.ToAreaX(line.x1), top + line.y1, nullptr);
    LineTo(dc, layout.ToAreaX(line.x2), top + line.y2);
}

// The pen of a drawing object; null for pen style 5 (no outline).
HPEN CreateOutlinePen(const DataWindowModel& model, const DwObject& object, long row) {
    const int style = PenStyle(model.EvaluateInt(object, L"pen.style", row));
    if (style == PS_NULL) return nullptr;
    int width = model.UnitsToPixelsY(model.EvaluateInt(object, L"pen.width", row));
    if (width < 1) width = 1;
    return CreatePen(style, width, ResolveColor(ColorValue(model.EvaluateProperty(object, L"pen.color", row))));
}

// The brush of a drawing object: brush.hatch 6 solid, 7 none, 0 to 5 the
// hatch patterns (horizontal, /, vertical, cross, \, diagonal cross).
HBRUSH CreateFillBrush(const DataWindowModel& model, const DwObject& object, long row) {
    const int hatch = model.EvaluateInt(object, L"brush.hatch", row);
    const long color = ColorValue(model.EvaluateProperty(object, L"brush.color", row));
    if (hatch == 7 || IsTransparentColor(color)) return nullptr;
    static const int kHatches[] = {HS_HORIZONTAL, HS_BDIAGONAL, HS_VERTICAL, HS_CROSS, HS_FDIAGONAL, HS_DIAGCROSS};
    if (hatch >= 0 && hatch <= 5) return CreateHatchBrush(kHatches[hatch], ResolveColor(color));
    return CreateSolidBrush(ResolveColor(color));
}

// Rectangle, roundrectangle and ellipse: the brush inside, the pen around.
void PaintShape(HDC dc, const DataWindowModel& model, const DwObject& object, long row, const RECT& rect) {
    Pen pen(CreateOutlinePen(model, object, row));
    Brush brush(CreateFillBrush(model, object, row));
    SelectionScope penScope(dc, pen ? static_cast<HGDIOBJ>(pen.Get()) : GetStockObject(NULL_PEN));
    SelectionScope brushScope(dc, brush ? static_cast<HGDIOBJ>(brush.Get()) : GetStockObject(NULL_BRUSH));
    // Without a pen the shape's right and bottom edges are not drawn.
    const int grow = pen ? 0 : 1;
    switch (object.kind) {
    case ObjectKind::Ellipse: Ellipse(dc, rect.left, rect.top, rect.right + grow, rect.bottom + grow); break;
    case ObjectKind::RoundRectangle:
        RoundRect(dc, rect.left, rect.top, rect.right + grow, rect.bottom + grow,
                  model.UnitsToPixelsX(model.EvaluateInt(object, L"ellipsewidth", row)),
                  model.UnitsToPixelsY(model.EvaluateInt(object, L"ellipseheight", row)));
        break;
    default: Rectangle(dc, rect.left, rect.top, rect.right + grow, rect.bottom + grow); break;
    }
}

// A frame around the object's area, in the window frame colour.
void PaintFrame(HDC dc, const RECT& rect) { FrameRect(dc, &rect, GetSysColorBrush(COLOR_WINDOWFRAME)); }

// A picture from its file (a .bmp), stretched over the object; a picture
// whose file cannot be loaded shows its frame.
void PaintBitmap(HDC dc, const DataWindowModel& model, const DwObject& object, long row, const RECT& rect) {
    const std::wstring file = model.EvaluateProperty(object, L"filename", row);
    HBITMAP bitmap = file.empty() ? nullptr
                                  : static_cast<HBITMAP>(LoadImageW(nullptr, file.c_str(), IMAGE_BITMAP, 0, 0,
                                                                    LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (!bitmap) {
        PaintFrame(dc, rect);
        return;
    }
    Bitmap owned(bitmap);
    BITMAP info = {};
    HDC source = CreateCompatibleDC(dc);
    if (source && GetObjectW(bitmap, sizeof(info), &info) == sizeof(info)) {
        HGDIOBJ old = SelectObject(source, bitmap);
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, source, 0, 0, info.bmWidth,
                   info.bmHeight, SRCCOPY);
        SelectObject(source, old);
    }
    if (source) DeleteDC(source);
    PaintBorder(dc, model.EvaluateInt(object, L"border", row), rect);
}

// A group box: a frame with its text at the top left, over the frame line.
void PaintGroupBox(HDC dc, const DataWindowModel& model, const DwObject& object, long row, const RECT& rect,
                   FontCache& fonts) {
    PaintBackground(dc, model, object, row, rect);
    const std::wstring text = model.DisplayText(object, row);
    SelectionScope font(dc, fonts.Get(ObjectFontSpec(model, object, row)));
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    RECT frame = rect;
    frame.top += metrics.tmHeight / 2;
    if (frame.bottom > frame.top) DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    if (text.empty()) return;
    SIZE extent = {};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    RECT label = {rect.left + 8, rect.top, rect.left + 8 + extent.cx + 4, rect.top + metrics.tmHeight};
    if (label.right > rect.right) label.right = rect.right;
    const long back = ColorValue(model.EvaluateProperty(object, L"background.color", row));
    if (!IsTransparentColor(back)) {
        Brush brush(CreateSolidBrush(ResolveColor(back)));
        if (brush) FillRect(dc, &label, brush.Get());
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ResolveColor(ColorValue(model.EvaluateProperty(object, L"color", row))));
    label.left += 2;
    DrawObjectText(dc, text, label, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
}

}  // namespace

void PaintObject(HDC dc, const ControlLayout& layout, const DwObject& object, long detailRow, FontCache& fonts,
                 const ObjectPaintState& state) {
    const DataWindowModel& model = layout.Model();
    const long row = layout.EvaluationRow(object.Band(), detailRow);
    if (!model.IsVisible(object, row)) return;
    if (object.kind == ObjectKind::Line) {
        PaintLine(dc, layout, object, detailRow);
        return;
    }
    const RECT rect = layout.ObjectRect(object, detailRow);
    if (rect.right <= rect.left || rect.bottom <= rect.top) return;
    switch (object.kind) {
    case ObjectKind::Text:
    case ObjectKind::Column:
    case ObjectKind::Compute: PaintTextual(dc, layout, object, row, rect, fonts, state); break;
    case ObjectKind::Button: PaintButton(dc, layout, object, row, rect, fonts); break;
    case ObjectKind::Graph: PaintGraph(dc, model, object, row, rect, fonts); break;
    case ObjectKind::Rectangle:
    case ObjectKind::RoundRectangle:
    case ObjectKind::Ellipse: PaintShape(dc, model, object, row, rect); break;
    case ObjectKind::Bitmap: PaintBitmap(dc, model, object, row, rect); break;
    case ObjectKind::GroupBox: PaintGroupBox(dc, model, object, row, rect, fonts); break;
    case ObjectKind::Report:
        // A nested report shows its frame; its own DataWindow is not loaded.
        PaintFrame(dc, rect);
        break;
    default: break;
    }
}

}  // namespace pbsim
