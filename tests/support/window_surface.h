// What a window shows, copied from its own surface: its client area, or the
// whole window with its frame. Drawing made straight on the window (the
// library's hover band, selection frame, side bar) shows here at once.
#pragma once

#include <windows.h>

#include <vector>

#include "dib.h"

class WindowSurface : public Dib {
public:
    enum Area { Client, WholeWindow };

    WindowSurface(HWND window, Area area) : Dib(BoundsWidth(window, area), BoundsHeight(window, area)) {
        HDC source = area == Client ? GetDC(window) : GetWindowDC(window);
        CopyFrom(source);
        ReleaseDC(window, source);
    }
    // Every pixel, row by row.
    std::vector<COLORREF> Pixels() const {
        std::vector<COLORREF> pixels;
        for (int y = 0; y < Height(); ++y)
            for (int x = 0; x < Width(); ++x) pixels.push_back(At(x, y));
        return pixels;
    }

private:
    static RECT Bounds(HWND window, Area area) {
        RECT r;
        if (area == Client) {
            GetClientRect(window, &r);
        } else {
            GetWindowRect(window, &r);
            OffsetRect(&r, -r.left, -r.top);
        }
        return r;
    }
    static int BoundsWidth(HWND window, Area area) { return Bounds(window, area).right; }
    static int BoundsHeight(HWND window, Area area) { return Bounds(window, area).bottom; }
};
