#include "text/glyph_blend.h"

#include <algorithm>

namespace {

BYTE BlendChannel(BYTE background, BYTE text, int coverage, int lighten) {
    float v = background + (static_cast<float>(text) - background) / 255.0f * static_cast<float>(coverage);
    if (lighten > 0) {
        v = v + (255.0f - v) / 255.0f * static_cast<float>(lighten);
    } else if (lighten < 0) {
        v = v + v / 255.0f * static_cast<float>(lighten);
    }
    v = std::min(v, 255.0f);
    v = std::max(v, 0.0f);
    return static_cast<BYTE>(v);
}

}  // namespace

int DibStride(int width, int bitsPerPixel) { return ((width * bitsPerPixel + 31) / 32) * 4; }

void BlendGlyph(DibPixels& dib, const GlyphCoverage& glyph, int xoff, int yoff, COLORREF colour, int lighten) {
    if (!dib.bits || !glyph.buffer) return;
    if (dib.bitsPerPixel != 16 && dib.bitsPerPixel != 24 && dib.bitsPerPixel != 32) return;
    lighten = std::max(-255, std::min(lighten, 255));
    const int bytesPerPixel = dib.bitsPerPixel / 8;
    const int minimum = DibStride(dib.width, dib.bitsPerPixel);
    if (dib.stride != 0 && dib.stride < minimum) return;
    const size_t stride = static_cast<size_t>(dib.stride != 0 ? dib.stride : minimum);
    const BYTE red = GetRValue(colour);
    const BYTE green = GetGValue(colour);
    const BYTE blue = GetBValue(colour);
    const WORD packed = static_cast<WORD>(((red >> 3) << 11) | ((green >> 2) << 5) | (blue >> 3));

    for (int y = 0; y < glyph.rows; ++y) {
        const int row = yoff + y;
        if (row < 0 || row >= dib.height) continue;
        const unsigned char* coverage = glyph.buffer + static_cast<ptrdiff_t>(y) * glyph.pitch;
        for (int x = 0; x < glyph.width; ++x) {
            const int a = coverage[x];
            if (a == 0) continue;
            const int column = xoff + x;
            if (column < 0 || column >= dib.width) continue;
            const size_t line = static_cast<size_t>(dib.topDown ? row : dib.height - 1 - row);
            const size_t offset = line * stride + static_cast<size_t>(column) * static_cast<size_t>(bytesPerPixel);
            if (offset + static_cast<size_t>(bytesPerPixel) > dib.size) continue;
            BYTE* pixel = dib.bits + offset;
            if (bytesPerPixel == 2) {
                if (a > 180) {
                    pixel[0] = static_cast<BYTE>(packed & 0xFF);
                    pixel[1] = static_cast<BYTE>(packed >> 8);
                }
                continue;
            }
            pixel[0] = BlendChannel(pixel[0], blue, a, lighten);
            pixel[1] = BlendChannel(pixel[1], green, a, lighten);
            pixel[2] = BlendChannel(pixel[2], red, a, lighten);
        }
    }
}
