// The figures of the benchmark: what the interceptions and the decorations
// cost a host, each against a baseline measured in the same run.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "measure.h"

struct RuntimeHost;
struct TesselApi;

struct BenchOptions {
    int trials = 11;
    double trialSeconds = 0.05;  // the shortest trial of either side
};

class BenchHost {
public:
    BenchHost(RuntimeHost& runtime, TesselApi& tessel, const BenchOptions& options);
    ~BenchHost();
    BenchHost(const BenchHost&) = delete;
    BenchHost& operator=(const BenchHost&) = delete;
    bool Ready() const { return m_bReady; }

    // Each appends its lines to figures.
    void PlainCalls(std::vector<Figure>& figures);       // 1
    void StartAttachStop(std::vector<Figure>& figures);  // 6
    void Repaint(std::vector<Figure>& figures);          // 2
    void Mouse(std::vector<Figure>& figures);            // 3
    void RecordDescribe(std::vector<Figure>& figures);   // 4
    void IconText(std::vector<Figure>& figures);         // 5
    // What each step of an attach and each decoration of a repaint cost,
    // printed.
    void RepaintBreakdown();
    // Runs one scenario for about two seconds under the sampling profiler
    // and prints its most frequent stack frames: "attach", "repaint",
    // "hover", "selection" or "icons". False for an unknown scenario.
    bool Profile(const std::wstring& scenario);

private:
    void SetInstalled(bool installed);
    void Decorate(HWND grid);
    HWND Grid(int rows, int x, int y, int width, int height);
    // Through the stand-in runtime, as the application's scripts would.
    std::wstring DescribeDW(HWND grid, const wchar_t* what) const;
    void ModifyDW(HWND grid, const wchar_t* text) const;
    void ClearModifyLog(HWND grid) const;
    long ModifyLogCount(HWND grid) const;

    RuntimeHost& m_runtime;
    TesselApi& m_tessel;
    BenchOptions m_options;
    bool m_bReady = false;
    bool m_bInstalled = false;
    HWND m_hPlainWindow = nullptr;
    HDC m_hMemoryDC = nullptr;
    HBITMAP m_hBitmap = nullptr;
    HGDIOBJ m_hOldBitmap = nullptr;
};
