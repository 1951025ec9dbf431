// IconFontRenderer: one face of the icon font at one size, taken from the
// face cache for one drawing call; measures and draws glyphs, and draws whole
// icon texts at a point or in a rectangle.
#pragma once

#include <windows.h>

#include <memory>

#include "text/font_env.h"
#include "text/icon_face_cache.h"

class IconFontRenderer {
public:
    // Opens the font file (null: "iconfont.ttf") at size points (72 dpi, so
    // pixels) for both dimensions.
    IconFontRenderer(const wchar_t* fontFile, int size);
    ~IconFontRenderer();
    IconFontRenderer(const IconFontRenderer&) = delete;
    IconFontRenderer& operator=(const IconFontRenderer&) = delete;

    int Load(const wchar_t* fontFile, int size, int usePixelSizes, int horzRes, int vertRes);
    void SetSize(int delta);
    int MeasureGlyph(HDC hdc, int code, int* width, int* height);
    int DrawGlyph(HDC hdc, const RECT* rect, UINT flags, int code);
    int TextOutIcons(HDC hdc, int x, int y, const wchar_t* text, int lighten);
    int DrawTextIcons(HDC hdc, const wchar_t* text, const RECT* rect, UINT format, int lighten);

    FT_Face m_pFTFace = nullptr;
    int m_nGlyphIndex = -1;
    int m_nCharWidth = 0;
    int m_nCharHeight = 0;
    int m_nHorzRes = 0;
    int m_nVertRes = 0;
    int m_nSizeDelta = 0;
    int m_nLighten = 0;
    wchar_t m_szFontFile[260] = {};

private:
    std::shared_ptr<IconFace> m_face;  // m_pFTFace's owner

    void CloseFace();
    void SelectCharmap();
};
