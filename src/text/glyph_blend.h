// Blending of an anti-aliased glyph bitmap onto the pixels of a
// device-independent bitmap, in a text colour with a brightness adjustment.
#pragma once

#include <windows.h>

#include <cstddef>

struct DibPixels {
    BYTE* bits = nullptr;
    size_t size = 0;  // bytes at bits
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;  // 16 (5-6-5), 24 or 32
    int stride = 0;        // bytes from one row to the next; 0: the width's, padded to four bytes
    bool topDown = false;  // the first row in memory is the top one
};

struct GlyphCoverage {
    const unsigned char* buffer = nullptr;  // one coverage byte (0..255) per pixel
    int width = 0;
    int rows = 0;
    int pitch = 0;  // bytes from one row to the next
};

// Row length of a DIB, padded to a multiple of four bytes.
int DibStride(int width, int bitsPerPixel);

// Draws the glyph with its top-left corner at (xoff, yoff) of the bitmap.
// 24 and 32 bits: each channel moves from the background towards the colour
// by the coverage, then towards white (lighten > 0) or black (lighten < 0);
// lighten is taken within -255..255. 16 bits: pixels covered more than 180
// become the colour. Pixels outside the bitmap are dropped.
void BlendGlyph(DibPixels& dib, const GlyphCoverage& glyph, int xoff, int yoff, COLORREF colour, int lighten);
