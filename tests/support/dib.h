// A 32-bit top-down DIB section selected into a memory context: what tests
// draw into, or copy a window's pixels into, and read back pixel by pixel.
#pragma once

#include <windows.h>

#include <cstdint>

class Dib {
public:
    // compatibleWith: the context the memory context is made from (none: the screen's).
    Dib(int width, int height, HDC compatibleWith = nullptr) : m_width(width), m_height(height) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        m_dc = CreateCompatibleDC(compatibleWith);
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_bits), nullptr, 0);
        if (m_bitmap) m_previous = SelectObject(m_dc, m_bitmap);
    }
    ~Dib() {
        if (m_previous) SelectObject(m_dc, m_previous);
        if (m_bitmap) DeleteObject(m_bitmap);
        if (m_dc) DeleteDC(m_dc);
    }
    Dib(const Dib&) = delete;
    Dib& operator=(const Dib&) = delete;

    bool Ok() const { return m_dc && m_bits; }
    // Copies what source shows at (x, y) into the whole DIB.
    bool CopyFrom(HDC source, int x = 0, int y = 0) {
        return BitBlt(m_dc, 0, 0, m_width, m_height, source, x, y, SRCCOPY) != FALSE;
    }
    HDC Dc() const { return m_dc; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    void Fill(COLORREF color) {
        GdiFlush();
        for (int i = 0; i < m_width * m_height; ++i) m_bits[i] = Pack(color);
    }
    // The pixel as a COLORREF (0x00BBGGRR); 0xFFFFFFFF outside.
    COLORREF At(int x, int y) const {
        if (x < 0 || y < 0 || x >= m_width || y >= m_height) return 0xFFFFFFFF;
        GdiFlush();
        const std::uint32_t p = m_bits[y * m_width + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    // How many pixels of the rectangle satisfy the predicate.
    template <class Predicate>
    int Count(RECT rect, Predicate predicate) const {
        int count = 0;
        for (int y = rect.top; y < rect.bottom; ++y) {
            for (int x = rect.left; x < rect.right; ++x) {
                if (predicate(At(x, y))) ++count;
            }
        }
        return count;
    }

private:
    static std::uint32_t Pack(COLORREF c) {
        return (static_cast<std::uint32_t>(GetRValue(c)) << 16) | (static_cast<std::uint32_t>(GetGValue(c)) << 8) |
               GetBValue(c);
    }
    int m_width;
    int m_height;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_previous = nullptr;
    std::uint32_t* m_bits = nullptr;
};
