#include "control/page_view.h"

#include <algorithm>

#include "control/content_painter.h"
#include "control/control_layout.h"
#include "control/gdi_objects.h"

namespace pbsim {

namespace {

// Letter paper: 8.5 by 11 inches.
const int kPaperWidthTenths = 85;
const int kPaperHeightTenths = 110;

void PaintPageContent(HDC dc, const DataWindowModel& model, int width, int height, long firstRow,
                      PaintPurpose purpose) {
    PageArea area;
    area.width = width;
    area.height = height;
    area.firstRow = firstRow;
    area.hScroll = 0;
    ControlLayout layout(model, area);
    PagePaintOptions options;
    options.purpose = purpose;
    options.focusMark = false;
    PaintPage(dc, layout, options);
}

// Size in pixels of what the context draws on: the selected bitmap of a
// memory context, else the device's resolution.
SIZE DrawingSurfaceSize(HDC dc) {
    SIZE size = {GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES)};
    HGDIOBJ bitmap = GetCurrentObject(dc, OBJ_BITMAP);
    BITMAP info = {};
    if (bitmap && GetObjectW(bitmap, sizeof(info), &info) == sizeof(info) && info.bmWidth > 1) {
        size.cx = info.bmWidth;
        size.cy = info.bmHeight;
    }
    return size;
}

// The page of the print preview: letter-shaped, as tall as the client area
// allows, and at least as wide as the content.
RECT PreviewPageRect(const DataWindowModel& model, int clientWidth, int clientHeight) {
    const int height = std::max(60, clientHeight - 2 * kPreviewDeskMargin);
    const int width =
        std::max(height * kPaperWidthTenths / kPaperHeightTenths, model.ContentWidthPixels() + 2 * kPreviewPageMargin);
    RECT page;
    page.left = std::max(kPreviewDeskMargin, (clientWidth - width) / 2);
    page.top = kPreviewDeskMargin;
    page.right = page.left + width;
    page.bottom = page.top + height;
    return page;
}

}  // namespace

void PaintPreview(HDC dc, const DataWindowModel& model, int clientWidth, int clientHeight, long firstRow) {
    RECT client = {0, 0, clientWidth, clientHeight};
    FillRect(dc, &client, GetSysColorBrush(COLOR_APPWORKSPACE));
    const RECT page = PreviewPageRect(model, clientWidth, clientHeight);
    RECT shadow = page;
    OffsetRect(&shadow, 4, 4);
    FillRect(dc, &shadow, GetSysColorBrush(COLOR_3DDKSHADOW));
    FillRect(dc, &page, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    FrameRect(dc, &page, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));

    RECT inner = page;
    InflateRect(&inner, -kPreviewPageMargin, -kPreviewPageMargin);
    if (inner.right <= inner.left || inner.bottom <= inner.top) return;
    SavedState state(dc);
    IntersectClipRect(dc, inner.left, inner.top, inner.right, inner.bottom);
    POINT origin;
    GetViewportOrgEx(dc, &origin);
    SetViewportOrgEx(dc, origin.x + inner.left, origin.y + inner.top, nullptr);
    PaintPageContent(dc, model, inner.right - inner.left, inner.bottom - inner.top, firstRow, PaintPurpose::Preview);
}

long PrintPages(HDC dc, const DataWindowModel& model, const wchar_t* documentName) {
    if (!dc) return -1;
    if (GetDeviceCaps(dc, TECHNOLOGY) != DT_RASPRINTER) {
        const SIZE size = DrawingSurfaceSize(dc);
        if (size.cx <= 0 || size.cy <= 0) return -1;
        SavedState state(dc);
        PaintPageContent(dc, model, size.cx, size.cy, model.RowCount() > 0 ? 1 : 0, PaintPurpose::Print);
        return 1;
    }

    // A printer: screen pixels are scaled to the printer's resolution.
    const int printerDpiX = GetDeviceCaps(dc, LOGPIXELSX);
    const int printerDpiY = GetDeviceCaps(dc, LOGPIXELSY);
    if (printerDpiX <= 0 || printerDpiY <= 0) return -1;
    const int width = MulDiv(GetDeviceCaps(dc, HORZRES), model.DpiX(), printerDpiX);
    const int height = MulDiv(GetDeviceCaps(dc, VERTRES), model.DpiY(), printerDpiY);
    DOCINFOW doc = {};
    doc.cbSize = sizeof(doc);
    doc.lpszDocName = documentName ? documentName : L"DataWindow";
    if (StartDocW(dc, &doc) <= 0) return -1;
    long pages = 0;
    long first = model.RowCount() > 0 ? 1 : 0;
    for (;;) {
        if (StartPage(dc) <= 0) break;
        {
            SavedState state(dc);
            SetMapMode(dc, MM_ANISOTROPIC);
            SetWindowExtEx(dc, model.DpiX(), model.DpiY(), nullptr);
            SetViewportExtEx(dc, printerDpiX, printerDpiY, nullptr);
            PaintPageContent(dc, model, width, height, first, PaintPurpose::Print);
        }
        EndPage(dc);
        ++pages;
        PageArea area;
        area.width = width;
        area.height = height;
        area.firstRow = first;
        const ControlLayout layout(model, area);
        if (first == 0 || layout.LastWholeRow() >= model.RowCount() || layout.LastWholeRow() < first) break;
        first = layout.LastWholeRow() + 1;
    }
    EndDoc(dc);
    return pages;
}

}  // namespace pbsim
