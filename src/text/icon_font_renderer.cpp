#include "text/icon_font_renderer.h"

#include <cwchar>
#include <memory>
#include <new>
#include <string_view>
#include <vector>

#include FT_GLYPH_H

#include "draw/gdi_objects.h"
#include "frame/debug_log.h"
#include "frame/real_functions.h"
#include "text/glyph_blend.h"
#include "text/icon_text_syntax.h"

namespace {

constexpr size_t kMaxFontFile = 259;

// The screen's device context, taken and given back through the real
// functions: the icon box is made compatible with it.
class ScreenDC {
public:
    ScreenDC() : m_h(Real_GetDC(nullptr)) {}
    ~ScreenDC() {
        if (m_h) Real_ReleaseDC(nullptr, m_h);
    }
    ScreenDC(const ScreenDC&) = delete;
    ScreenDC& operator=(const ScreenDC&) = delete;
    HDC get() const { return m_h; }

private:
    HDC m_h;
};

class OwnedGlyph {
public:
    OwnedGlyph() = default;
    ~OwnedGlyph() {
        if (m_glyph) FT_Done_Glyph(m_glyph);
    }
    OwnedGlyph(const OwnedGlyph&) = delete;
    OwnedGlyph& operator=(const OwnedGlyph&) = delete;
    FT_Glyph* out() { return &m_glyph; }
    FT_Glyph get() const { return m_glyph; }

private:
    FT_Glyph m_glyph = nullptr;
};

// Bitmap information with room for the colour masks or table.
struct DibInfo {
    BITMAPINFOHEADER header;
    DWORD colours[256];
};

// Formats whose pixels the blend understands: 24 bits, 32 bits in blue,
// green, red byte order, and 16 bits laid out 5-6-5.
bool CanBlend(const DibInfo& info) {
    const BITMAPINFOHEADER& h = info.header;
    if (h.biBitCount == 24) return h.biCompression == BI_RGB;
    if (h.biBitCount == 32) {
        return h.biCompression == BI_RGB || (h.biCompression == BI_BITFIELDS && info.colours[0] == 0xFF0000 &&
                                             info.colours[1] == 0xFF00 && info.colours[2] == 0xFF);
    }
    if (h.biBitCount == 16) {
        return h.biCompression == BI_BITFIELDS && info.colours[0] == 0xF800 && info.colours[1] == 0x07E0 &&
               info.colours[2] == 0x001F;
    }
    return false;
}

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
    if (m_pFTFace) CloseOpenFace(m_pFTFace);
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

    FT_Face face = nullptr;
    const FT_Error error = FT_New_Face(m_pFTLib, szFontName, 0, &face);
    if (error) {
        if (error == FT_Err_Unknown_File_Format) {
            DebugLog("error:fonts not support format!\n");
            DebugLog("errno_t error  =  FT_New_Face(m_pFTLib,szFontName ,  0 ,  &m_pFTFace); error:%s,%d,  %X %d %X\n",
                     szFontName, size, static_cast<unsigned>(reinterpret_cast<uintptr_t>(m_pFTLib)), error,
                     static_cast<unsigned>(reinterpret_cast<uintptr_t>(face)));
        }
        return 0;
    }
    m_pFTFace = face;
    RegisterOpenFace(face);
    FT_Select_Charmap(face, FT_ENCODING_UNICODE);
    SelectCharmap();

    const FT_Error sizing =
        usePixelSizes ? FT_Set_Pixel_Sizes(face, static_cast<FT_UInt>(m_nCharWidth), static_cast<FT_UInt>(m_nCharHeight))
                      : FT_Set_Char_Size(face, static_cast<FT_F26Dot6>(m_nCharWidth) * 64,
                                         static_cast<FT_F26Dot6>(m_nCharHeight) * 64, static_cast<FT_UInt>(m_nHorzRes),
                                         static_cast<FT_UInt>(m_nVertRes));
    return sizing == 0 ? 1 : 0;
}

void IconFontRenderer::SetSize(int delta) {
    m_nSizeDelta = delta;
    if (!m_pFTFace) return;
    FT_Set_Char_Size(m_pFTFace, static_cast<FT_F26Dot6>(m_nCharWidth + delta) * 64,
                     static_cast<FT_F26Dot6>(m_nCharHeight + delta) * 64, static_cast<FT_UInt>(m_nHorzRes),
                     static_cast<FT_UInt>(m_nVertRes));
}

int IconFontRenderer::MeasureGlyph(HDC, int code, int* width, int* height) {
    int w = 0, h = 0;
    int result = 0;
    if (m_pFTFace) {
        if (code < 1) {
            result = 1;
        } else {
            // The code is tried as a glyph index first, then as a character.
            FT_Error error = FT_Load_Glyph(m_pFTFace, static_cast<FT_UInt>(code), FT_LOAD_DEFAULT);
            if (error) {
                const FT_UInt index = FT_Get_Char_Index(m_pFTFace, static_cast<FT_ULong>(code));
                error = index < 1 ? 1 : FT_Load_Glyph(m_pFTFace, index, FT_LOAD_DEFAULT);
            }
            if (!error) {
                OwnedGlyph glyph;
                if (FT_Render_Glyph(m_pFTFace->glyph, FT_RENDER_MODE_NORMAL) == 0 &&
                    FT_Get_Glyph(m_pFTFace->glyph, glyph.out()) == 0) {
                    w = static_cast<int>(m_pFTFace->glyph->bitmap.width);
                    h = static_cast<int>(m_pFTFace->glyph->bitmap.rows);
                }
                result = 1;
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
    if (FT_Load_Glyph(m_pFTFace, static_cast<FT_UInt>(m_nGlyphIndex), FT_LOAD_DEFAULT)) {
        DebugLog("load glyph fail %d\n", m_nGlyphIndex);
        return 0;
    }
    FT_Render_Glyph(m_pFTFace->glyph, FT_RENDER_MODE_NORMAL);
    OwnedGlyph glyph;
    if (FT_Get_Glyph(m_pFTFace->glyph, glyph.out())) {
        DebugLog("error  =  FT_Get_Glyph(m_pFTFace->glyph,  & glyph);\n");
        return 0;
    }
    const FT_Bitmap& bitmap = m_pFTFace->glyph->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) return 0;

    // The box is one pixel wider and taller than the rectangle.
    const int W = rect->right - rect->left + 1;
    const int H = rect->bottom - rect->top + 1;
    if (W < 1 || H < 1) return 0;
    ScreenDC screen;
    MemoryDC memory(screen.get());
    GdiObject<HBITMAP> box(CreateCompatibleBitmap(screen.get(), W, H));
    if (!screen.get() || !memory || !box) return 0;
    {
        SelectedObject selected(memory.get(), box.get());
        if (!BitBlt(memory.get(), 0, 0, W, H, hdc, rect->left, rect->top, SRCCOPY)) {
            GdiObject<HBRUSH> window(CreateSolidBrush(GetSysColor(COLOR_WINDOW)));
            RECT all = {0, 0, W, H};
            FillRect(memory.get(), &all, window.get());
        }
    }

    DibInfo info = {};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    if (!GetDIBits(screen.get(), box.get(), 0, static_cast<UINT>(H), nullptr, reinterpret_cast<BITMAPINFO*>(&info),
                   DIB_RGB_COLORS) ||
        info.header.biBitCount <= 8) {
        return 0;
    }
    info.header.biHeight = H;  // bottom-up rows
    std::vector<BYTE> pixels;
    const int stride = DibStride(W, info.header.biBitCount);
    try {
        pixels.assign(static_cast<size_t>(stride) * static_cast<size_t>(H), 0);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    if (GetDIBits(screen.get(), box.get(), 0, static_cast<UINT>(H), pixels.data(),
                  reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) != H ||
        !CanBlend(info)) {
        return 0;
    }

    const COLORREF text = GetTextColor(hdc);
    const int rows = static_cast<int>(bitmap.rows);
    const int columns = static_cast<int>(bitmap.width);
    const int yoff = (H - rows) / 2;
    const int xoff = (flags & DT_CENTER) ? (W - columns) / 2 : 0;
    DibPixels dib;
    dib.bits = pixels.data();
    dib.size = pixels.size();
    dib.width = W;
    dib.height = H;
    dib.bitsPerPixel = info.header.biBitCount;
    GlyphCoverage coverage;
    coverage.buffer = bitmap.buffer;
    coverage.width = columns;
    coverage.rows = rows;
    coverage.pitch = bitmap.pitch;
    BlendGlyph(dib, coverage, xoff, yoff, text, m_nLighten);

    SelectedObject selected(memory.get(), box.get());
    SetDIBitsToDevice(memory.get(), 0, 0, static_cast<DWORD>(W), static_cast<DWORD>(H), 0, 0, 0,
                      static_cast<UINT>(H), pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    BitBlt(hdc, rect->left, rect->top, W, H, memory.get(), 0, 0, SRCCOPY);
    return 1;
}

namespace {

// Splits the text and measures every run: icons one pixel of space either
// side of the glyph, plain runs as DrawText lays them out.
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
