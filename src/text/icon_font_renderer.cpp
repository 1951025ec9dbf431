#include "text/icon_font_renderer.h"

#include <cwchar>
#include <memory>
#include <new>
#include <string_view>
#include <vector>

#include "draw/gdi_objects.h"
#include "base/debug_log.h"
#include "base/real_functions.h"
#include "text/blend_scratch.h"
#include "text/glyph_blend.h"
#include "text/icon_text_syntax.h"

namespace {

constexpr size_t kMaxFontFile = 259;

// Restores a context's text colour and background mode after one icon.
class IconColours {
public:
    IconColours(HDC hdc, COLORREF colour)
        : m_hdc(hdc), m_oldMode(SetBkMode(hdc, TRANSPARENT)), m_oldColour(Real_SetTextColor(hdc, colour)) {}
    ~IconColours() {
        Real_SetTextColor(m_hdc, m_oldColour);
        SetBkMode(m_hdc, m_oldMode);
    }
    IconColours(const IconColours&) = delete;
    IconColours& operator=(const IconColours&) = delete;

private:
    HDC m_hdc;
    int m_oldMode;
    COLORREF m_oldColour;
};

}  // namespace

IconFontRenderer::IconFontRenderer(const wchar_t* fontFile, int size) : m_nCharWidth(size), m_nCharHeight(size) {
    const wchar_t* name = fontFile ? fontFile : L"iconfont.ttf";
    const size_t length = std::wcslen(name);
    if (length <= kMaxFontFile) std::wmemcpy(m_szFontFile, name, length + 1);
    SetSize(0);
    Load(m_szFontFile, size, 0, 0, 0);
}

IconFontRenderer::~IconFontRenderer() { CloseFace(); }

void IconFontRenderer::CloseFace() {
    m_face.reset();
    m_pFTFace = nullptr;
}

void IconFontRenderer::SelectCharmap() {
    if (!m_pFTFace) return;
    if (!m_pFTFace->charmap && m_pFTFace->num_charmaps > 0 && m_pFTFace->charmaps[0]) {
        FT_Select_Charmap(m_pFTFace, m_pFTFace->charmaps[0]->encoding);
    }
}

int IconFontRenderer::Load(const wchar_t* fontFile, int size, int usePixelSizes, int horzRes, int vertRes) {
    if (!m_pFTLib) {
        DebugLog("m_pFTLib == NULL!!!\n");
        return 0;
    }
    CloseFace();
    m_nHorzRes = horzRes;
    m_nVertRes = vertRes;
    if (!fontFile) fontFile = L"iconfont.ttf";
    m_nCharWidth = m_nCharHeight = size < 1 ? (size < 0 ? -size : 0) : size;

    // A name that does not fit the name buffer, as wide characters or as
    // OEM bytes, opens no face.
    if (*fontFile == L'\0' || std::wcslen(fontFile) > kMaxFontFile) return 0;
    char szFontName[kMaxFontFile + 1] = {};
    const int bytes = WideCharToMultiByte(CP_OEMCP, 0, fontFile, -1, szFontName, sizeof szFontName, nullptr, nullptr);
    if (bytes <= 0) return 0;

    IconFaceSize faceSize;
    faceSize.charWidth = m_nCharWidth;
    faceSize.charHeight = m_nCharHeight;
    faceSize.usePixelSizes = usePixelSizes;
    faceSize.horzRes = m_nHorzRes;
    faceSize.vertRes = m_nVertRes;
    FT_Error error = 0;
    m_face = OpenIconFace(szFontName, faceSize, &error);
    if (!m_face) {
        if (error == FT_Err_Unknown_File_Format) {
            DebugLog("error:fonts not support format!\n");
            DebugLog("errno_t error  =  FT_New_Face(m_pFTLib,szFontName ,  0 ,  &m_pFTFace); error:%s,%d,  %X %d %X\n",
                     szFontName, size, static_cast<unsigned>(reinterpret_cast<uintptr_t>(m_pFTLib)), error, 0u);
        }
        return 0;
    }
    m_pFTFace = m_face->Face();
    return m_face->SizeError() == 0 ? 1 : 0;
}

void IconFontRenderer::SetSize(int delta) {
    m_nSizeDelta = delta;
    if (!m_face) return;
    // Cached faces are shared: another size is another face of the same file.
    IconFaceSize faceSize;
    faceSize.charWidth = m_nCharWidth + delta;
    faceSize.charHeight = m_nCharHeight + delta;
    faceSize.horzRes = m_nHorzRes;
    faceSize.vertRes = m_nVertRes;
    char szFontName[kMaxFontFile + 1] = {};
    if (WideCharToMultiByte(CP_OEMCP, 0, m_szFontFile, -1, szFontName, sizeof szFontName, nullptr, nullptr) <= 0)
        return;
    FT_Error error = 0;
    if (std::shared_ptr<IconFace> resized = OpenIconFace(szFontName, faceSize, &error)) {
        m_face = std::move(resized);
        m_pFTFace = m_face->Face();
    }
}

int IconFontRenderer::MeasureGlyph(HDC, int code, int* width, int* height) {
    int w = 0, h = 0;
    int result = 0;
    if (m_face) {
        if (code < 1) {
            result = 1;
        } else {
            try {
                // The code is tried as a glyph index first, then as a character.
                const RenderedGlyph* glyph = &m_face->Render(static_cast<FT_UInt>(code));
                FT_Error error = glyph->loadError;
                if (error) {
                    const FT_UInt index = FT_Get_Char_Index(m_pFTFace, static_cast<FT_ULong>(code));
                    glyph = index < 1 ? nullptr : &m_face->Render(index);
                    error = glyph ? glyph->loadError : 1;
                }
                if (!error) {
                    if (glyph->renderError == 0 && glyph->glyphError == 0) {
                        w = glyph->width;
                        h = glyph->rows;
                    }
                    result = 1;
                }
            } catch (const std::bad_alloc&) {
                result = 0;
            }
        }
    }
    if (width) *width = w;
    if (height) *height = h;
    return result;
}

int IconFontRenderer::DrawGlyph(HDC hdc, const RECT* rect, UINT flags, int code) {
    if (code == 0 || !rect) return 0;
    SelectCharmap();
    m_nGlyphIndex = m_pFTFace ? static_cast<int>(FT_Get_Char_Index(m_pFTFace, static_cast<FT_ULong>(code))) : 0;
    if (m_nGlyphIndex < 1) return 0;
    const RenderedGlyph* glyph = nullptr;
    try {
        glyph = &m_face->Render(static_cast<FT_UInt>(m_nGlyphIndex));
    } catch (const std::bad_alloc&) {
        return 0;
    }
    if (glyph->loadError) {
        DebugLog("load glyph fail %d\n", m_nGlyphIndex);
        return 0;
    }
    if (glyph->glyphError) {
        DebugLog("error  =  FT_Get_Glyph(m_pFTFace->glyph,  & glyph);\n");
        return 0;
    }
    if (glyph->pixelMode != FT_PIXEL_MODE_GRAY) return 0;

    // The box is one pixel wider and taller than the rectangle: what the
    // context shows there is copied into it, the glyph blended on, and the
    // box copied back.
    const int W = rect->right - rect->left + 1;
    const int H = rect->bottom - rect->top + 1;
    if (W < 1 || H < 1) return 0;
    BlendBox box(W, H);
    if (!box.Ok()) return 0;
    if (!BitBlt(box.Dc(), 0, 0, W, H, hdc, rect->left, rect->top, SRCCOPY)) {
        GdiObject<HBRUSH> window(CreateSolidBrush(GetSysColor(COLOR_WINDOW)));
        RECT all = {0, 0, W, H};
        FillRect(box.Dc(), &all, window.get());
    }

    const COLORREF text = GetTextColor(hdc);
    const int yoff = (H - glyph->rows) / 2;
    const int xoff = (flags & DT_CENTER) ? (W - glyph->width) / 2 : 0;
    DibPixels dib = box.Pixels();
    GlyphCoverage coverage;
    coverage.buffer = glyph->coverage.data();
    coverage.width = glyph->width;
    coverage.rows = glyph->coverage.empty() ? 0 : glyph->rows;
    coverage.pitch = glyph->pitch;
    BlendGlyph(dib, coverage, xoff, yoff, text, m_nLighten);
    BitBlt(hdc, rect->left, rect->top, W, H, box.Dc(), 0, 0, SRCCOPY);
    return 1;
}

namespace {

// Text that DrawText lays out as the one line its extent measures: no
// prefix character, tab or line break, and no marker that the measuring of
// the text functions would stand in for.
bool MeasuresAsOneLine(const wchar_t* text) {
    for (const wchar_t* c = text; *c; ++c) {
        if (*c == L'&' || *c == L'\t' || *c == L'\r' || *c == L'\n') return false;
    }
    return !HasIconMarker(text, std::wcslen(text));
}

// Splits the text and measures every run: icons one pixel of space either
// side of the glyph, plain runs as DrawText lays them out (by their extent
// where that is the same).
std::unique_ptr<IconTextRuns> MeasureRuns(IconFontRenderer& renderer, HDC hdc, const wchar_t* text) {
    std::unique_ptr<IconTextRuns> runs;
    if (!text) return runs;
    const size_t length = std::wcslen(text);
    if (length < kMinIconTextLength || !HasIconMarker(text, length)) return runs;
    try {
        runs.reset(new IconTextRuns(std::wstring_view(text, length), GetTextColor(hdc)));
    } catch (const std::bad_alloc&) {
        return runs;
    }
    for (IconTextSegment& run : runs->Segments()) {
        if (run.kind == IconTextSegment::kIcon) {
            renderer.MeasureGlyph(hdc, run.code, &run.width, &run.height);
            run.width += 2;
        } else if (MeasuresAsOneLine(run.text)) {
            SIZE size = {0, 0};
            if (*run.text) GetTextExtentPoint32W(hdc, run.text, static_cast<int>(std::wcslen(run.text)), &size);
            run.width = size.cx;
            run.height = size.cy;
        } else {
            RECT measured = {0, 0, 0, 0};
            DrawTextW(hdc, run.text, -1, &measured, DT_CALCRECT);
            run.width = measured.right - measured.left;
            run.height = measured.bottom - measured.top;
        }
    }
    return runs;
}

}  // namespace

int IconFontRenderer::TextOutIcons(HDC hdc, int x, int y, const wchar_t* text, int lighten) {
    const std::unique_ptr<IconTextRuns> runs = MeasureRuns(*this, hdc, text);
    if (!runs) return 0;
    m_nLighten = lighten;
    const int saved = SaveDC(hdc);
    int p = x;
    for (const IconTextSegment& run : runs->Segments()) {
        if (run.kind == IconTextSegment::kIcon) {
            IconColours colours(hdc, run.colour);
            const RECT box = {p, y, p + run.width, y + run.height};
            DrawGlyph(hdc, &box, DT_CENTER, run.code);
        } else if (run.text && *run.text) {
            TextOutW(hdc, p, y, run.text, static_cast<int>(std::wcslen(run.text)));
        }
        p += run.width;
    }
    RestoreDC(hdc, saved);
    return 1;
}

int IconFontRenderer::DrawTextIcons(HDC hdc, const wchar_t* text, const RECT* rect, UINT format, int lighten) {
    if (!rect) return 0;
    const std::unique_ptr<IconTextRuns> runs = MeasureRuns(*this, hdc, text);
    if (!runs) return 0;
    m_nLighten = lighten;

    int total = 0;
    for (const IconTextSegment& run : runs->Segments()) total += run.width;
    const RECT r = *rect;
    int x = r.left;
    if (format & DT_CENTER) x = r.left + (r.right - r.left - total) / 2;
    if (format & DT_RIGHT) x = r.right - total;
    if (x < r.left) x = r.left;

    // Clipped to the rectangle within whatever clipping the caller has; the
    // rectangle is in logical units, as callers that move the viewport
    // origin (buttons drawing their labels) give it.
    const int saved = SaveDC(hdc);
    IntersectClipRect(hdc, r.left, r.top, r.right, r.bottom);
    for (const IconTextSegment& run : runs->Segments()) {
        RECT box = {x, r.top, x + run.width, r.bottom};
        if (run.kind == IconTextSegment::kIcon) {
            IconColours colours(hdc, run.colour);
            DrawGlyph(hdc, &box, format | DT_CENTER, run.code);
        } else {
            DrawTextExW(hdc, const_cast<wchar_t*>(run.text), -1, &box, format | DT_VCENTER | DT_SINGLELINE, nullptr);
        }
        x += run.width;
        if (x > r.right) break;
    }
    RestoreDC(hdc, saved);
    return 1;
}
