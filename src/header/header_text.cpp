#include "header/header_text.h"

#include <climits>
#include <cwchar>
#include <cwctype>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "datawindow/dw_object.h"
#include "draw/cairo_canvas.h"
#include "base/real_functions.h"
#include "header/progress_text.h"
#include "header/sort_suffix.h"
#include "text/icon_text.h"

namespace {

constexpr UINT kGridFormat = DT_WORDBREAK | DT_EDITCONTROL | DT_END_ELLIPSIS;

// "%f" without its trailing zeros and point.
std::wstring Percentage(int p) {
    wchar_t text[64];
    swprintf(text, 64, L"%f", static_cast<double>(p));
    std::wstring s = text;
    while (!s.empty() && s.back() == L'0') s.pop_back();
    if (!s.empty() && s.back() == L'.') s.pop_back();
    return s + L"%";
}

void DrawSortMark(HDC hdc, Sort sort, int x, int midY) {
    const RECT bounds = {x - 5, midY - 3, x + 6, midY + 7};
    std::unique_ptr<CairoCanvas> canvas(new (std::nothrow) CairoCanvas(hdc, bounds, CairoCanvas::Backing::Offscreen));
    if (!canvas) return;
    canvas->SetSourceColor(GetTextColor(hdc));
    canvas->SetLineCap(0);
    if (sort == Sort::Ascending) {
        canvas->MoveTo(x, midY);
        canvas->LineTo(x - 2, midY + 3);
        canvas->LineTo(x + 2, midY + 3);
    } else {
        canvas->MoveTo(x, midY + 3);
        canvas->LineTo(x - 2, midY);
        canvas->LineTo(x + 2, midY);
    }
    canvas->ClosePath();
    if (cairo_t* cr = canvas->Context()) {
        cairo_fill_preserve(cr);
        cairo_stroke(cr);
    }
}

// Whether the caller's text can take the null that ends it before the
// suffix (DrawTextExW takes a writable buffer, but not every caller's is).
bool Writable(const wchar_t* at) {
    MEMORY_BASIC_INFORMATION info;
    if (VirtualQuery(at, &info, sizeof(info)) != sizeof(info) || info.State != MEM_COMMIT) return false;
    return (info.Protect & (PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY)) != 0;
}

}  // namespace

int DrawProgressCell(HDC hdc, const wchar_t* text, const RECT* cell) {
    if (!text || IS_INTRESOURCE(text) || !cell) return 0;
    std::vector<std::wstring> fields;
    if (!ProgressFields(text, &fields)) return 0;
    COLORREF barColor = GetTextColor(hdc);
    COLORREF textColor = 0;
    if (fields.size() >= 2) barColor = static_cast<COLORREF>(wcstol(fields[1].c_str(), nullptr, 10));
    if (fields.size() >= 3) textColor = static_cast<COLORREF>(wcstol(fields[2].c_str(), nullptr, 10));
    const int p = static_cast<int>(wcstol(fields[0].c_str(), nullptr, 10));
    if (p <= 0) return 0;

    {
        // The bar's length in floating point: width times percentage does
        // not fit an int for large percentages. Beyond kMaxBarLength no
        // device context shows anything, and cairo's coordinates end soon
        // after it.
        constexpr double kMaxBarLength = 4194304.0;
        double length = static_cast<double>(cell->right - cell->left) * p / 100.0;
        if (length > kMaxBarLength) length = kMaxBarLength;
        if (length < -kMaxBarLength) length = -kMaxBarLength;
        long long right = static_cast<long long>(cell->left) + static_cast<long long>(length);
        if (right > LONG_MAX) right = LONG_MAX;
        if (right < LONG_MIN) right = LONG_MIN;
        const RECT bar = {cell->left - 1, cell->top + 3, static_cast<LONG>(right), cell->bottom - 3};
        RECT bounds = bar;
        InflateRect(&bounds, 2, 2);
        std::unique_ptr<CairoCanvas> canvas(new (std::nothrow)
                                                CairoCanvas(hdc, bounds, CairoCanvas::Backing::Offscreen));
        cairo_t* cr = canvas ? canvas->Context() : nullptr;
        if (cr) {
            cairo_save(cr);
            cairo_pattern_t* gradient = cairo_pattern_create_linear(bar.left, bar.top, bar.right, bar.bottom);
            if (gradient) {
                cairo_pattern_add_color_stop_rgba(gradient, 0.0, RedOf(barColor), GreenOf(barColor), BlueOf(barColor),
                                                  0.7);
                cairo_pattern_add_color_stop_rgba(gradient, 1.0, RedOf(barColor), GreenOf(barColor), BlueOf(barColor),
                                                  0.8);
                cairo_set_source(cr, gradient);
                canvas->Rectangle(bar);
                canvas->Fill();
                cairo_pattern_destroy(gradient);
            }
            cairo_restore(cr);
        }
    }
    if (fields.size() >= 3) {
        // The percentage keeps its own colour, white included: the rule that
        // keeps selected rows in their text colour does not apply to it.
        const COLORREF previous = Real_SetTextColor(hdc, textColor);
        std::wstring label = Percentage(p);
        RECT inset = {cell->left + 1, cell->top + 3, cell->right, cell->bottom - 3};
        Real_DrawTextExW(hdc, &label[0], -1, &inset, DT_SINGLELINE | DT_VCENTER, nullptr);
        Real_SetTextColor(hdc, previous);
    }
    return 1;
}

int DrawHeaderText(DWObject& dw, HDC hdc, LPWSTR text, int count, RECT* rect, UINT format, LPDRAWTEXTPARAMS params) {
    if (DrawProgressCell(hdc, text, rect)) return 1;
    if (!rect) return Real_DrawTextExW(hdc, text, count, rect, format, params);
    const LONG top = rect->top;
    const size_t length = wcslen(text);
    const Sort sort = SortSuffix(text, length);
    std::wstring shortened;
    if (sort != Sort::None) {
        const size_t kept = length - kSortSuffixLength;
        if (Writable(text + kept)) {
            text[kept] = L'\0';
        } else {
            shortened.assign(text, kept);
            text = &shortened[0];
        }
        // A count reaches no further than the text now ends (for a copy,
        // not past the copy).
        if (count >= 0 && static_cast<size_t>(count) > kept) count = static_cast<int>(kept);
    }
    const bool grid = dw.m_nProcessing == 1;
    const UINT drawFormat = grid ? format | kGridFormat : format;

    if (grid && sort != Sort::None && !dw.m_bPrinting) {
        const int midY = top + (rect->bottom - top) / 2 - 1;
        DrawSortMark(hdc, sort, rect->right - 8, midY);
        rect->right -= 11;
        const int result = Real_DrawTextExW(hdc, text, count, rect, drawFormat, params);
        rect->top = top;
        return result;
    }
    if (DrawIconTextInRect(text, rect, hdc, format | DT_SINGLELINE | DT_VCENTER)) return 1;
    RECT measured = *rect;
    const int h = Real_DrawTextExW(hdc, text, count, &measured, drawFormat | DT_CALCRECT, nullptr);
    const int available = rect->bottom - rect->top;
    if (h <= available) {
        rect->top += (available - h) / 2;
        if ((rect->bottom - rect->top) % 2 != 0) rect->top -= 1;
    }
    const int result = Real_DrawTextExW(hdc, text, count, rect, drawFormat, params);
    rect->top = top;
    return result;
}
