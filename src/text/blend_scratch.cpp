#include "text/blend_scratch.h"

#include <vector>

#include "base/real_functions.h"

namespace {

constexpr int kGrowStep = 64;                 // pixels the shared section grows by at least
constexpr size_t kMaxSharedBytes = 4u << 20;  // larger boxes get a section of their own

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

// The pixel depth of a bitmap compatible with the screen, as GetDIBits
// reports it; 0 when it is none the blend understands.
int ScreenBitsPerPixel() {
    HDC screen = Real_GetDC(nullptr);
    if (!screen) return 0;
    int bits = 0;
    if (HBITMAP probe = CreateCompatibleBitmap(screen, 1, 1)) {
        DibInfo info = {};
        info.header.biSize = sizeof(BITMAPINFOHEADER);
        if (GetDIBits(screen, probe, 0, 1, nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) &&
            info.header.biBitCount > 8) {
            info.header.biHeight = 1;
            std::vector<BYTE> pixel(static_cast<size_t>(DibStride(1, info.header.biBitCount)));
            if (GetDIBits(screen, probe, 0, 1, pixel.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) ==
                    1 &&
                CanBlend(info)) {
                bits = info.header.biBitCount;
            }
        }
        DeleteObject(probe);
    }
    Real_ReleaseDC(nullptr, screen);
    return bits;
}

// A top-down DIB section selected into a memory context of the screen.
struct Section {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    BYTE* bits = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
    int bitsPerPixel = 0;

    bool Make(int w, int h, int bpp) {
        struct {
            BITMAPINFOHEADER header;
            DWORD masks[3];
        } info = {};
        info.header.biSize = sizeof(BITMAPINFOHEADER);
        info.header.biWidth = w;
        info.header.biHeight = -h;
        info.header.biPlanes = 1;
        info.header.biBitCount = static_cast<WORD>(bpp);
        info.header.biCompression = bpp == 16 ? BI_BITFIELDS : BI_RGB;
        info.masks[0] = 0xF800;
        info.masks[1] = 0x07E0;
        info.masks[2] = 0x001F;
        dc = Real_CreateCompatibleDC(nullptr);
        if (!dc) return false;
        void* memory = nullptr;
        bitmap = CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &memory, nullptr, 0);
        if (!bitmap || !memory) {
            Free();
            return false;
        }
        previous = SelectObject(dc, bitmap);
        bits = static_cast<BYTE*>(memory);
        width = w;
        height = h;
        stride = DibStride(w, bpp);
        bitsPerPixel = bpp;
        return true;
    }
    void Free() {
        if (dc && previous) SelectObject(dc, previous);
        if (bitmap) DeleteObject(bitmap);
        if (dc) Real_DeleteDC(dc);
        *this = Section();
    }
};

Section g_shared;
int g_screenBits = -1;  // not read yet

size_t Bytes(int width, int height, int bpp) {
    return static_cast<size_t>(DibStride(width, bpp)) * static_cast<size_t>(height);
}

int Grown(int needed, int current) {
    int size = needed > current ? needed : current;
    return (size + kGrowStep - 1) / kGrowStep * kGrowStep;
}

}  // namespace

BlendBox::BlendBox(int width, int height) : m_width(width), m_height(height) {
    if (width < 1 || height < 1) return;
    if (g_screenBits < 0) g_screenBits = ScreenBitsPerPixel();
    const int bpp = g_screenBits;
    if (bpp == 0) return;
    // Width and height each fit a section; their product is checked in 64 bits.
    if (width > 0x7FFF || height > 0x7FFF ||
        static_cast<unsigned long long>(DibStride(width, bpp)) * static_cast<unsigned long long>(height) >
            kMaxSharedBytes) {
        Section own;
        if (!own.Make(width, height, bpp)) return;
        m_own = true;
        m_ownBitmap = own.bitmap;
        m_ownPrevious = own.previous;
        m_dc = own.dc;
        m_bits = own.bits;
        m_stride = own.stride;
        m_bitsPerPixel = bpp;
        m_bytes = Bytes(width, height, bpp);
        return;
    }
    if (!g_shared.dc || g_shared.width < width || g_shared.height < height) {
        int w = Grown(width, g_shared.width);
        int h = Grown(height, g_shared.height);
        if (Bytes(w, h, bpp) > kMaxSharedBytes) {
            w = width;
            h = height;
        }
        g_shared.Free();
        if (!g_shared.Make(w, h, bpp)) return;
    }
    m_dc = g_shared.dc;
    m_bits = g_shared.bits;
    m_stride = g_shared.stride;
    m_bitsPerPixel = bpp;
    m_bytes = static_cast<size_t>(m_stride) * static_cast<size_t>(height);
}

BlendBox::~BlendBox() {
    if (!m_own) return;
    if (m_ownPrevious) SelectObject(m_dc, m_ownPrevious);
    if (m_ownBitmap) DeleteObject(m_ownBitmap);
    Real_DeleteDC(m_dc);
}

DibPixels BlendBox::Pixels() const {
    GdiFlush();
    DibPixels pixels;
    pixels.bits = m_bits;
    pixels.size = m_bytes;
    pixels.width = m_width;
    pixels.height = m_height;
    pixels.bitsPerPixel = m_bitsPerPixel;
    pixels.stride = m_stride;
    pixels.topDown = true;
    return pixels;
}

void ReleaseBlendScratch() {
    g_shared.Free();
    g_screenBits = -1;
}
