// The box an icon glyph is blended in: what the target shows under the icon
// is copied into it, the glyph is blended onto its pixels, and the box is
// copied back.
//
// One DIB section with its memory context serves every icon: top-down, in
// the pixel format of a bitmap compatible with the screen (read once when it
// is made), grown when a larger box is asked for. A box too large to keep
// gets a section of its own for that one icon. Used on the thread that owns
// the library only; released at StopTessel or when the module is unloaded.
#pragma once

#include <windows.h>

#include "text/glyph_blend.h"

class BlendBox {
public:
    // A width x height box at the top-left of the shared section.
    BlendBox(int width, int height);
    ~BlendBox();
    BlendBox(const BlendBox&) = delete;
    BlendBox& operator=(const BlendBox&) = delete;

    // False when the screen's format cannot be blended (8 bits or less, or an
    // unknown layout) or the section could not be made.
    bool Ok() const { return m_dc != nullptr; }
    HDC Dc() const { return m_dc; }
    // The box's pixels, for BlendGlyph; the section is flushed first.
    DibPixels Pixels() const;

private:
    int m_width;
    int m_height;
    HDC m_dc = nullptr;
    BYTE* m_bits = nullptr;
    int m_stride = 0;
    int m_bitsPerPixel = 0;
    size_t m_bytes = 0;
    bool m_own = false;  // a section made for this box alone
    HBITMAP m_ownBitmap = nullptr;
    HGDIOBJ m_ownPrevious = nullptr;
};

// Frees the shared section and forgets the screen's format.
void ReleaseBlendScratch();
