// Unit conversion without the runtime: PowerBuilder units and pixels from the
// screen resolution, cached once per process.
#pragma once

struct ScreenMetrics {
    int nTextHeight = 0;
    int nAveCharWidth = 0;
    int nDpiX = 0;
    int nDpiY = 0;
};

// Fills the cache on first use (while height and width are both 0).
const ScreenMetrics& GetScreenMetrics();

// kind 1: pixels → units across, 2: pixels → units down, 3: units → pixels
// across, 4: units → pixels down; any other kind gives 0. Rounded half away
// from zero.
int ScreenConvertUnits(int value, int kind);
