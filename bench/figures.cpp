#include "figures.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "datawindow/attach_analysis.h"
#include "datawindow/dw_object.h"
#include "runtime_host.h"
#include "sampling_profiler.h"
#include "tessel_api.h"

namespace {

const UINT kSideBarMessage = 11040;
const int kRowHeight = 16;
const int kHeaderHeight = 24;

// A grid of five columns in pixels: the second header carries a sort mark
// and the last column is a progress cell.
const wchar_t kGridSyntax[] =
    L"release 10;\n"
    L"datawindow(units=1 processing=1 color=16777215 selected.mouse=yes)\n"
    L"header(height=24 color=\"12632256\")\n"
    L"detail(height=16 color=\"16777215\")\n"
    L"table(column=(type=long name=id dbname=\"id\") column=(type=char(20) name=name dbname=\"name\") "
    L"column=(type=char(10) name=dept dbname=\"dept\") column=(type=number name=salary dbname=\"salary\") "
    L"column=(type=char(20) name=done dbname=\"done\"))\n"
    L"text(band=header text=\"ID\" x=\"1\" y=\"1\" height=\"22\" width=\"50\" name=id_t)\n"
    L"text(band=header text=\"Name sort:A\" x=\"52\" y=\"1\" height=\"22\" width=\"110\" name=name_t)\n"
    L"text(band=header text=\"Dept\" x=\"163\" y=\"1\" height=\"22\" width=\"70\" name=dept_t)\n"
    L"text(band=header text=\"Salary sort:D\" x=\"234\" y=\"1\" height=\"22\" width=\"90\" name=salary_t)\n"
    L"text(band=header text=\"Done\" x=\"325\" y=\"1\" height=\"22\" width=\"100\" name=done_t)\n"
    L"column(band=detail id=1 x=\"1\" y=\"0\" height=\"16\" width=\"50\" name=id)\n"
    L"column(band=detail id=2 x=\"52\" y=\"0\" height=\"16\" width=\"110\" name=name)\n"
    L"column(band=detail id=3 x=\"163\" y=\"0\" height=\"16\" width=\"70\" name=dept)\n"
    L"column(band=detail id=4 x=\"234\" y=\"0\" height=\"16\" width=\"90\" format=\"#,##0.00\" name=salary)\n"
    L"column(band=detail id=5 x=\"325\" y=\"0\" height=\"16\" width=\"100\" name=done)\n";

const int kColumnX[] = {25, 100, 195, 280, 375};

std::wstring Rows(int n) {
    static const wchar_t* const names[] = {L"Ann Lee", L"Bob Marsh", L"Carla Ortiz", L"Dinh Van An", L"Eva Novak"};
    static const wchar_t* const depts[] = {L"Sales", L"R&D", L"Support", L"Finance"};
    std::wstring rows;
    for (int i = 0; i < n; ++i) {
        wchar_t line[128];
        _snwprintf(line, 128, L"%d\t%ls\t%ls\t%d.%02d\tprogress{%d}\n", 1000 + i, names[i % 5], depts[i % 4],
                   3000 + (i * 137) % 5000, i % 100, (i * 7) % 101);
        line[127] = L'\0';
        rows += line;
    }
    return rows;
}

LPARAM Cell(int headerHeight, int row, int column) {
    return MAKELPARAM(kColumnX[column - 1], headerHeight + (row - 1) * kRowHeight + kRowHeight / 2);
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void Repaint(HWND window) {
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
}

// Counts the paints of a window's client area and frame, by subclassing it
// for as long as it lives.
class PaintCounter {
public:
    explicit PaintCounter(HWND window) : m_hWnd(window) {
        SetPropW(window, kProperty, this);
        m_previous = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PaintCounter::Procedure)));
    }
    ~PaintCounter() { Remove(); }
    PaintCounter(const PaintCounter&) = delete;
    PaintCounter& operator=(const PaintCounter&) = delete;
    void Remove() {
        if (!m_previous) return;
        SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previous));
        RemovePropW(m_hWnd, kProperty);
        m_previous = nullptr;
    }
    long Paints() const { return m_paints; }
    long FramePaints() const { return m_framePaints; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = static_cast<PaintCounter*>(GetPropW(window, kProperty));
        if (!self) return DefWindowProcW(window, message, wParam, lParam);
        if (message == WM_PAINT) ++self->m_paints;
        if (message == WM_NCPAINT) ++self->m_framePaints;
        return CallWindowProcW(self->m_previous, window, message, wParam, lParam);
    }
    static constexpr const wchar_t* kProperty = L"BenchPaintCounter";
    HWND m_hWnd;
    WNDPROC m_previous = nullptr;
    long m_paints = 0;
    long m_framePaints = 0;
};

COLORREF WindowPixel(HWND window, POINT at) {
    HDC dc = GetDC(window);
    const COLORREF pixel = GetPixel(dc, at.x, at.y);
    ReleaseDC(window, dc);
    return pixel;
}

// The client area of a window as it shows on the screen, as 32-bit pixels.
std::string ClientPicture(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    HDC dc = GetDC(window);
    HDC memory = CreateCompatibleDC(dc);
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = client.right;
    format.bmiHeader.biHeight = -client.bottom;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::string picture;
    if (memory && bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
        GdiFlush();
        picture.assign(static_cast<const char*>(bits), static_cast<size_t>(client.right) * client.bottom * 4);
        SelectObject(memory, old);
    }
    if (bitmap) DeleteObject(bitmap);
    if (memory) DeleteDC(memory);
    ReleaseDC(window, dc);
    return picture;
}

// The settings file of the benchmark's DataWindows, beside the library:
// written once, and dated a minute back, as a deployed file is (a file
// written a moment ago is read again at every attach).
std::wstring SettingsFile() {
    static bool written = false;
    if (!written) {
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(GetModuleHandleW(L"Tessel2U.dll"), path, MAX_PATH);
        std::wstring file(path);
        file = file.substr(0, file.find_last_of(L"\\/") + 1) + L"bench.ini";
        const wchar_t* keys[][2] = {
            {L"lineStyle", L"0"},         {L"lineColor", L"14211288"},      {L"AlterColor", L"16314351"},
            {L"HoverColor", L"16758639"}, {L"SelectRowColor", L"16766378"}, {L"HeaderColor", L"15658734"}};
        for (auto& key : keys) WritePrivateProfileStringW(L"datawindow", key[0], key[1], file.c_str());
        WritePrivateProfileStringW(nullptr, nullptr, nullptr, file.c_str());  // flushed to the file now
        HANDLE handle = CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            FILETIME now;
            GetSystemTimeAsFileTime(&now);
            ULARGE_INTEGER t;
            t.LowPart = now.dwLowDateTime;
            t.HighPart = now.dwHighDateTime;
            t.QuadPart -= 60ULL * 10000000ULL;
            FILETIME past = {t.LowPart, t.HighPart};
            SetFileTime(handle, nullptr, nullptr, &past);
            CloseHandle(handle);
        }
        written = true;
    }
    return L"bench.ini";
}

}  // namespace

BenchHost::BenchHost(RuntimeHost& runtime, TesselApi& tessel, const BenchOptions& options)
    : m_runtime(runtime), m_tessel(tessel), m_options(options) {
    m_hPlainWindow = CreateWindowExW(0, L"STATIC", L"plain", WS_POPUP | WS_VISIBLE, 1000, 900, 200, 100, nullptr,
                                     nullptr, nullptr, nullptr);
    HDC screen = GetDC(nullptr);
    m_hMemoryDC = CreateCompatibleDC(screen);
    m_hBitmap = CreateCompatibleBitmap(screen, 400, 60);
    ReleaseDC(nullptr, screen);
    if (m_hMemoryDC && m_hBitmap) m_hOldBitmap = SelectObject(m_hMemoryDC, m_hBitmap);
    m_bReady = m_hPlainWindow && m_hOldBitmap;
}

BenchHost::~BenchHost() {
    SetInstalled(false);
    if (m_hOldBitmap) SelectObject(m_hMemoryDC, m_hOldBitmap);
    if (m_hBitmap) DeleteObject(m_hBitmap);
    if (m_hMemoryDC) DeleteDC(m_hMemoryDC);
    if (m_hPlainWindow) DestroyWindow(m_hPlainWindow);
}

void BenchHost::SetInstalled(bool installed) {
    if (installed == m_bInstalled) return;
    if (installed) {
        m_tessel.StartTessel();
    } else {
        m_tessel.StopTessel();
    }
    m_bInstalled = installed;
    Pump();
}

HWND BenchHost::Grid(int rows, int x, int y, int width, int height) {
    HWND host = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, x, y, width, height, nullptr, nullptr,
                                nullptr, nullptr);
    HWND grid = m_runtime.CreateDataWindow(host, kGridSyntax, Rows(rows).c_str(), 0, 0, width, height, 0);
    Pump();
    return grid;
}

void BenchHost::Decorate(HWND grid) {
    m_tessel.AttachDatawindow(grid, SettingsFile().c_str());
    Pump();
    m_tessel.AddDatawindowTitle(grid, L"Staff list", L"Tahoma", 10, 24);
    m_tessel.AddDatawindowTitle(grid, L"December 2026", L"Tahoma", 8, 20);
    m_tessel.SetSpanTitle(grid, L"id,name", L"Person", L"Tahoma", 9, 20);
    SendMessageW(grid, kSideBarMessage, 0, 1);
    Pump();
}

namespace {

// The first bytes of an exported function: they change when the function is
// intercepted.
// An entry that is an import thunk (jmp through a slot) is followed, as the
// interception follows it.
std::string EntryBytes(const wchar_t* module, const char* name) {
    HMODULE handle = GetModuleHandleW(module);
    const BYTE* entry = handle ? reinterpret_cast<const BYTE*>(GetProcAddress(handle, name)) : nullptr;
    for (int hop = 0; entry && hop < 4 && entry[0] == 0xFF && entry[1] == 0x25; ++hop) {
        INT32 operand;
        memcpy(&operand, entry + 2, sizeof operand);
#ifdef _WIN64
        const BYTE* slot = entry + 6 + operand;
#else
        const BYTE* slot = reinterpret_cast<const BYTE*>(static_cast<UINT_PTR>(static_cast<UINT32>(operand)));
#endif
        memcpy(&entry, slot, sizeof entry);
    }
    return entry ? std::string(reinterpret_cast<const char*>(entry), 8) : std::string();
}

}  // namespace

void BenchHost::PlainCalls(std::vector<Figure>& figures) {
    HDC dc = m_hMemoryDC;
    RECT box = {0, 0, 300, 40};
    MoveToEx(dc, 0, 0, nullptr);
    bool ok = true;  // every call did its work
    struct Call {
        const char* name;
        const wchar_t* module;
        const char* function;
        std::function<void(long)> body;
    };
    const Call calls[] = {
        {"GetSysColor (index not replaced)", L"user32.dll", "GetSysColor",
         [&ok](long i) { ok &= GetSysColor(static_cast<int>(i & 7)) != 0xFFFFFFFF; }},
        {"TextOutW of a short plain text", L"gdi32.dll", "TextOutW",
         [dc, &ok](long) { ok &= TextOutW(dc, 2, 2, L"Hello", 5) != FALSE; }},
        {"LineTo on a memory DC", L"gdi32.dll", "LineTo",
         [dc, &ok](long i) { ok &= LineTo(dc, static_cast<int>(i & 31), 20) != FALSE; }},
        {"PatBlt on a memory DC", L"gdi32.dll", "PatBlt",
         [dc, &ok](long) { ok &= PatBlt(dc, 0, 0, 16, 16, PATCOPY) != FALSE; }},
        {"DrawTextExW of a plain text", L"user32.dll", "DrawTextExW",
         [dc, &box, &ok](long) {
             wchar_t text[] = L"Plain text";
             ok &= DrawTextExW(dc, text, -1, &box, DT_LEFT, nullptr) > 0;
         }},
        {"GetDC + ReleaseDC", L"user32.dll", "GetDC",
         [this, &ok](long) { ok &= ReleaseDC(m_hPlainWindow, GetDC(m_hPlainWindow)) == 1; }},
    };
    int index = 0;
    for (const Call& call : calls) {
        Figure figure(std::string("1") + static_cast<char>('a' + index++), call.name, "same calls, not installed",
                      "<= 1.10x");
        SetInstalled(false);
        const std::string plain = EntryBytes(call.module, call.function);
        SetInstalled(true);
        const bool intercepted = EntryBytes(call.module, call.function) != plain;
        ok = true;
        Compare(
            figure, m_options.trials, m_options.trialSeconds, [this](bool subject) { SetInstalled(subject); },
            Side{call.body, nullptr}, Side{call.body, nullptr});
        figure.met = figure.ratio.median <= 1.10;
        if (!intercepted) figure.notDone = "the function was not intercepted while installed";
        else if (!ok) figure.notDone = "a call failed";
        figures.push_back(figure);
    }
    SetInstalled(false);
}

void BenchHost::StartAttachStop(std::vector<Figure>& figures) {
    SetInstalled(false);
    HWND grids[3];
    for (int i = 0; i < 3; ++i) grids[i] = Grid(20, 20 + i * 40, 20 + i * 40, 440, 200);
    const std::wstring settings = SettingsFile();
    Figure start("6a", "StartTessel", "-", "for reference");
    Figure attach("6b", "AttachDatawindow of a 20-row grid, its completion pumped",
                  "a full repaint of the same grid with its frame, not attached", "<= 12 ms beyond baseline");
    Figure stop("6c", "StopTessel with 3 DataWindows attached, pumped", "-", "for reference");
    start.judged = stop.judged = false;

    std::string notDone;
    // One cycle: start, attach each grid, stop; the times of its three kinds
    // added to the trial's.
    long cycles = 0;
    double startSum = 0, attachSum = 0, stopSum = 0;
    auto cycle = [&]() {
        for (HWND grid : grids) {
            ModifyDW(grid, L"DataWindow.Detail.Color='16777215'");
            ClearModifyLog(grid);
        }
        double at = NowSeconds();
        m_tessel.StartTessel();
        startSum += NowSeconds() - at;
        for (HWND grid : grids) {
            at = NowSeconds();
            m_tessel.AttachDatawindow(grid, settings.c_str());
            Pump();
            attachSum += NowSeconds() - at;
            MSG pending;
            if (PeekMessageW(&pending, grid, 11023, 11023, PM_NOREMOVE)) notDone = "an attach was not completed";
            if (DescribeDW(grid, L"DataWindow.Detail.Color").find(L"getrow()") == std::wstring::npos ||
                ModifyLogCount(grid) <= 0)
                notDone = "an attach did not stripe its grid";
        }
        at = NowSeconds();
        m_tessel.StopTessel();
        Pump();
        stopSum += NowSeconds() - at;
        ++cycles;
    };
    HWND repainted = grids[1];
    Side repaint{[repainted](long) {
                     RedrawWindow(repainted, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_UPDATENOW);
                     Pump();
                 },
                 nullptr};
    cycle();  // warm up
    attach.baselineCalls = CallsForTrial(repaint, m_options.trialSeconds);
    std::vector<double> startMs, attachMs, stopMs, repaintMs, ratios;
    for (int t = 0; t < m_options.trials; ++t) {
        double b = 0;
        if (t % 2) b = TimeCalls(repaint, attach.baselineCalls) / static_cast<double>(attach.baselineCalls);
        cycles = 0;
        startSum = attachSum = stopSum = 0;
        // Start and stop share one trial's minimum: they are shown for
        // reference only.
        while (cycles < 40 && (attachSum < m_options.trialSeconds || startSum + stopSum < m_options.trialSeconds))
            cycle();
        if (t % 2 == 0) b = TimeCalls(repaint, attach.baselineCalls) / static_cast<double>(attach.baselineCalls);
        const double c = static_cast<double>(cycles);
        startMs.push_back(startSum * 1000 / c);
        attachMs.push_back(attachSum * 1000 / (3 * c));
        stopMs.push_back(stopSum * 1000 / c);
        repaintMs.push_back(b * 1000);
        ratios.push_back(b > 0 ? attachSum / (3 * c) / b : 0);
    }
    start.subjectCalls = stop.subjectCalls = cycles;
    attach.subjectCalls = 3 * cycles;
    start.subjectMs = Summarise(startMs);
    attach.subjectMs = Summarise(attachMs);
    stop.subjectMs = Summarise(stopMs);
    attach.baselineMs = Summarise(repaintMs);
    attach.ratio = Summarise(ratios);
    attach.met = attach.subjectMs.median - attach.baselineMs.median <= 12.0;
    start.notDone = stop.notDone = attach.notDone = notDone;
    for (HWND grid : grids) DestroyWindow(GetParent(grid));
    figures.push_back(start);
    figures.push_back(attach);
    figures.push_back(stop);
}

void BenchHost::Repaint(std::vector<Figure>& figures) {
    SetInstalled(true);
    // Forty rows each, all visible: one grid attached with every decoration,
    // the same grid left alone.
    const int height = 3 * 24 + kHeaderHeight + 40 * kRowHeight + 40;
    HWND decorated = Grid(40, 0, 0, 480, height);
    HWND plain = Grid(40, 490, 0, 480, height);
    Decorate(decorated);
    // The side bar takes its width from the client area: widen the decorated
    // grid so that both show the same client area.
    RECT decoratedClient, plainClient, frame;
    GetClientRect(decorated, &decoratedClient);
    GetClientRect(plain, &plainClient);
    GetWindowRect(decorated, &frame);
    SetWindowPos(decorated, nullptr, 0, 0, frame.right - frame.left + plainClient.right - decoratedClient.right,
                 frame.bottom - frame.top + plainClient.bottom - decoratedClient.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Pump();
    GetClientRect(decorated, &decoratedClient);
    Figure figure("2", "full repaint with frame of a 40-row grid, every decoration on",
                  "the same grid, not attached, same client size", "<= 2.0x");
    PaintCounter decoratedPaints(decorated), plainPaints(plain);
    auto repaint = [](HWND window) {
        return Side{[window](long) {
                        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_UPDATENOW);
                        Pump();
                    },
                    nullptr};
    };
    Compare(
        figure, m_options.trials, m_options.trialSeconds, [](bool) { Pump(); }, repaint(decorated), repaint(plain));
    figure.met = figure.ratio.median <= 2.0;
    const long decoratedCalls = figure.subjectCalls * m_options.trials,
               plainCalls = figure.baselineCalls * m_options.trials;
    if (decoratedClient.right != plainClient.right || decoratedClient.bottom != plainClient.bottom)
        figure.notDone = "the client areas differ";
    else if (decoratedPaints.Paints() < decoratedCalls || decoratedPaints.FramePaints() < decoratedCalls ||
             plainPaints.Paints() < plainCalls || plainPaints.FramePaints() < plainCalls)
        figure.notDone = "a repaint did not paint the client area and the frame";
    else if (ClientPicture(decorated) == ClientPicture(plain))
        figure.notDone = "the decorated grid looks like the plain one";
    figures.push_back(figure);
    decoratedPaints.Remove();
    plainPaints.Remove();
    m_tessel.DettachDatawindow(decorated);
    DestroyWindow(GetParent(decorated));
    DestroyWindow(GetParent(plain));
}

void BenchHost::RepaintBreakdown() {
    SetInstalled(false);
    const std::wstring settings = SettingsFile();
    {
        HWND grids[3];
        for (int i = 0; i < 3; ++i) grids[i] = Grid(20, 20 + i * 40, 20 + i * 40, 440, 200);
        for (int t = 0; t < 3; ++t) {
            double at = NowSeconds();
            m_tessel.StartTessel();
            printf("StartTessel: %.3f ms\n", (NowSeconds() - at) * 1000);
            for (HWND grid : grids) {
                at = NowSeconds();
                m_tessel.AttachDatawindow(grid, settings.c_str());
                printf("AttachDatawindow: %.3f ms\n", (NowSeconds() - at) * 1000);
            }
            at = NowSeconds();
            m_tessel.StopTessel();
            printf("StopTessel: %.3f ms\n", (NowSeconds() - at) * 1000);
            Pump();
        }
        for (int t = 0; t < 3; ++t) {
            double at = NowSeconds();
            DWObject* fresh = new DWObject();
            const double made = NowSeconds();
            fresh->ResolveRuntimeFunctions(m_runtime.hVM, m_runtime.hEngine);
            const double resolved = NowSeconds();
            AnalyseAttach(*fresh, grids[1]);
            const double analysed = NowSeconds();
            fresh->LoadSettings(settings.c_str());
            const double loaded = NowSeconds();
            delete fresh;
            printf("record %.3f, resolve %.3f, analyse %.3f, settings %.3f, delete %.3f ms\n", (made - at) * 1000,
                   (resolved - made) * 1000, (analysed - resolved) * 1000, (loaded - analysed) * 1000,
                   (NowSeconds() - loaded) * 1000);
        }
        {
            wchar_t path[MAX_PATH] = {};
            GetModuleFileNameW(GetModuleHandleW(L"Tessel2U.dll"), path, MAX_PATH);
            std::wstring file(path);
            file = file.substr(0, file.find_last_of(L"\\/") + 1) + L"bench.ini";
            double at = NowSeconds();
            for (int i = 0; i < 20; ++i) GetPrivateProfileIntW(L"datawindow", L"AlterColor", 0, file.c_str());
            printf("GetPrivateProfileIntW: %.3f ms\n", (NowSeconds() - at) * 1000 / 20);
            at = NowSeconds();
            for (int i = 0; i < 20; ++i)
                RedrawWindow(grids[1], nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW | RDW_ERASE);
            printf("full repaint with frame: %.3f ms\n", (NowSeconds() - at) * 1000 / 20);
            HWND grid = grids[2];
            at = NowSeconds();
            for (int i = 0; i < 200; ++i) {
                RECT band = {0, 40 + (i % 2) * 16, 400, 56 + (i % 2) * 16};
                InvalidateRect(grid, &band, FALSE);
                UpdateWindow(grid);
                ReleaseDC(grid, GetDC(grid));
            }
            printf("band repaint + GetDC/ReleaseDC, not attached: %.3f ms\n", (NowSeconds() - at) * 1000 / 200);
            at = NowSeconds();
            for (int i = 0; i < 200; ++i) {
                RECT band = {0, 40 + (i % 2) * 16, 400, 56 + (i % 2) * 16};
                InvalidateRect(grid, &band, FALSE);
                UpdateWindow(grid);
            }
            printf("band repaint alone: %.3f ms\n", (NowSeconds() - at) * 1000 / 200);
        }
        DWObject record;
        record.m_hWnd = grids[0];
        record.ResolveRuntimeFunctions(m_runtime.hVM, m_runtime.hEngine);
        double at = NowSeconds();
        for (int i = 0; i < 20; ++i) record.Modify(L"id.Y='0'");
        printf("Modify: %.3f ms\n", (NowSeconds() - at) * 1000 / 20);
        at = NowSeconds();
        for (int i = 0; i < 20; ++i) InvalidateRect(grids[0], nullptr, FALSE);
        printf("InvalidateRect: %.3f ms\n", (NowSeconds() - at) * 1000 / 20);
        at = NowSeconds();
        for (int i = 0; i < 20; ++i) record.Describe(L"DataWindow.Syntax");
        printf("Describe syntax: %.3f ms\n", (NowSeconds() - at) * 1000 / 20);
        at = NowSeconds();
        for (int i = 0; i < 20; ++i) record.Describe(L"#1.visible");
        printf("Describe visible: %.3f ms\n", (NowSeconds() - at) * 1000 / 20);
        for (HWND grid : grids) DestroyWindow(GetParent(grid));
    }
    SetInstalled(true);
    const int height = 3 * 24 + kHeaderHeight + 40 * kRowHeight + 40;
    HWND grid = Grid(40, 0, 0, 480, height);
    // The client area alone, the frame alone (WM_NCPAINT of the whole frame)
    // and both with the background erased, as a full repaint does.
    auto time = [grid]() {
        ::Repaint(grid);
        const double client = TimeEach(10, [grid](long) { ::Repaint(grid); }) * 1000;
        const double frame = TimeEach(10, [grid](long) { SendMessageW(grid, WM_NCPAINT, 1, 0); }) * 1000;
        const double both =
            TimeEach(10,
                     [grid](long) {
                         RedrawWindow(grid, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_UPDATENOW);
                     }) *
            1000;
        printf("  client %.3f, frame %.3f, both with erase %.3f ms; ", client, frame, both);
        return both;
    };
    printf("repaint, not attached: %.3f ms\n", time());
    m_tessel.AttachDatawindow(grid, nullptr);
    Pump();
    printf("attached without settings: %.3f ms\n", time());
    m_tessel.DettachDatawindow(grid);
    m_tessel.AttachDatawindow(grid, SettingsFile().c_str());
    Pump();
    printf("attached with striping and hover colours: %.3f ms\n", time());
    m_tessel.AddDatawindowTitle(grid, L"Staff list", L"Tahoma", 10, 24);
    m_tessel.AddDatawindowTitle(grid, L"December 2026", L"Tahoma", 8, 20);
    Pump();
    printf("+ two titles: %.3f ms\n", time());
    m_tessel.SetSpanTitle(grid, L"id,name", L"Person", L"Tahoma", 9, 20);
    Pump();
    printf("+ span title: %.3f ms\n", time());
    SendMessageW(grid, kSideBarMessage, 0, 1);
    Pump();
    printf("+ side bar: %.3f ms\n", time());
    m_tessel.DettachDatawindow(grid);
    Pump();
    printf("detached again: %.3f ms\n", time());
    DestroyWindow(GetParent(grid));
}

void BenchHost::Mouse(std::vector<Figure>& figures) {
    SetInstalled(true);
    // Fifty visible rows of five columns: room for a 5 x 50 selection.
    const int height = kHeaderHeight + 50 * kRowHeight + 24;
    HWND attached = Grid(60, 0, 0, 480, height);
    HWND plain = Grid(60, 490, 0, 480, height);
    m_tessel.AttachDatawindow(attached, SettingsFile().c_str());
    Pump();
    const LPARAM a = Cell(kHeaderHeight, 3, 2), b = Cell(kHeaderHeight, 4, 2);
    const Side plainMove{[plain, a, b](long i) {
                             SendMessageW(plain, WM_MOUSEMOVE, 0, i % 2 ? a : b);
                             Pump();
                         },
                         nullptr};

    // Every hover step repaints the band it leaves: the baseline is that
    // repaint of the same grid (its decorated cells included), the band and
    // the pixel around it that its outline reaches.
    Figure hover("3a", "WM_MOUSEMOVE into a cell of another row, hover on, pumped",
                 "the previous band's area invalidated and updated, same grid", "<= 0.4 ms beyond baseline");
    PaintCounter hoverPaints(attached);
    Compare(
        hover, m_options.trials, m_options.trialSeconds, [](bool) { Pump(); },
        Side{[attached, a, b](long i) {
                 SendMessageW(attached, WM_MOUSEMOVE, 0, i % 2 ? a : b);
                 Pump();
             },
             nullptr},
        Side{[attached](long i) {
                 const int top = kHeaderHeight + (2 + i % 2) * kRowHeight;
                 RECT reach = {0, top - 1, 481, top + kRowHeight + 1};
                 InvalidateRect(attached, &reach, FALSE);
                 UpdateWindow(attached);
                 Pump();
             },
             nullptr});
    hover.met = hover.subjectMs.median - hover.baselineMs.median <= 0.4;
    {
        // The band shows on the row under the mouse, and goes with it.
        const POINT inRow3 = {kColumnX[1], kHeaderHeight + 2 * kRowHeight + 1};
        SendMessageW(attached, WM_MOUSEMOVE, 0, b);
        Pump();
        SendMessageW(attached, WM_MOUSEMOVE, 0, a);
        Pump();
        const COLORREF hovered = WindowPixel(attached, inRow3);
        SendMessageW(attached, WM_MOUSEMOVE, 0, b);
        Pump();
        const COLORREF left = WindowPixel(attached, inRow3);
        if (hoverPaints.Paints() < hover.subjectCalls * m_options.trials)
            hover.notDone = "a hover step repainted nothing";
        else if (hovered == left) hover.notDone = "no band was drawn";
    }
    hoverPaints.Remove();
    figures.push_back(hover);

    Figure selection("3b", "one drag step of a 5 x 50 cell selection, its repaint pumped",
                     "an unattached mouse move, pumped", "<= 4 ms");
    const LPARAM first = Cell(kHeaderHeight, 1, 1);
    const LPARAM last = Cell(kHeaderHeight, 50, 5), shorter = Cell(kHeaderHeight, 49, 5);
    Compare(
        selection, m_options.trials, m_options.trialSeconds,
        [this, attached, first, last](bool subject) {
            SendMessageW(attached, WM_LBUTTONUP, 0, last);
            Pump();
            ClearModifyLog(attached);
            if (subject) SendMessageW(attached, WM_LBUTTONDOWN, MK_LBUTTON, first);
        },
        Side{[attached, last, shorter](long i) {
                 SendMessageW(attached, WM_MOUSEMOVE, MK_LBUTTON, i % 2 ? shorter : last);
                 Pump();
             },
             nullptr},
        plainMove);
    // The drag step writes the selection to the DataWindow.
    {
        SendMessageW(attached, WM_LBUTTONUP, 0, last);
        Pump();
        ClearModifyLog(attached);
        SendMessageW(attached, WM_LBUTTONDOWN, MK_LBUTTON, first);
        SendMessageW(attached, WM_MOUSEMOVE, MK_LBUTTON, shorter);
        Pump();
        const std::wstring toShorter = DescribeDW(attached, L"DataWindow.Selected");
        SendMessageW(attached, WM_MOUSEMOVE, MK_LBUTTON, last);
        Pump();
        const std::wstring toLast = DescribeDW(attached, L"DataWindow.Selected");
        if (ModifyLogCount(attached) <= 0 || toShorter.empty() || toShorter == toLast)
            selection.notDone = "the drag steps did not change the selection";
    }
    SendMessageW(attached, WM_LBUTTONUP, 0, last);
    selection.met = selection.subjectMs.median <= 4.0;
    figures.push_back(selection);
    Pump();
    m_tessel.DettachDatawindow(attached);
    DestroyWindow(GetParent(attached));
    DestroyWindow(GetParent(plain));
}

void BenchHost::RecordDescribe(std::vector<Figure>& figures) {
    HWND grid = Grid(20, 0, 0, 480, 300);
    typedef LONG(WINAPI * PFN_Describe)(HWND, LPCWSTR, LPWSTR, LONG);
    auto describe = reinterpret_cast<PFN_Describe>(
        reinterpret_cast<void*>(GetProcAddress(m_runtime.hVM, "FNX_DataWindowDescribe")));
    DWObject record;
    record.m_hWnd = grid;
    record.ResolveRuntimeFunctions(m_runtime.hVM, m_runtime.hEngine);
    Figure figure("4", "one short describe through the record", "FNX_DataWindowDescribe, small buffer", "<= 1.5x");
    if (describe && record.m_pfnDescribe) {
        bool right = true;
        Compare(
            figure, m_options.trials, m_options.trialSeconds, [](bool) {},
            Side{[&record, &right](long) { right &= record.Describe(L"name.X") == L"52"; }, nullptr},
            Side{[describe, grid, &right](long) {
                     wchar_t answer[64];
                     right &= describe(grid, L"name.X", answer, 64) > 0 && wcscmp(answer, L"52") == 0;
                 },
                 nullptr});
        figure.met = figure.ratio.median <= 1.5;
        if (!right) figure.notDone = "a describe did not answer 52";
    } else {
        figure.notDone = "no describe function";
    }
    figures.push_back(figure);
    DestroyWindow(GetParent(grid));
}

namespace {

const wchar_t kIconText[] =
    L"a iconfont{61447} b iconfont{61441} c iconfont{61452} d iconfont{61445} e iconfont{61553:255} f";
const wchar_t kIconlessText[] = L"a X b X c X d X e X f";
const int kIcons = 5;

// The bits of a memory DC's bitmap after drawing text on a cleared area.
std::string DrawnPicture(HDC dc, HBITMAP bitmap, HGDIOBJ unselected, const wchar_t* text) {
    RECT box = {0, 0, 400, 40};
    FillRect(dc, &box, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    std::wstring copy(text);
    DrawTextExW(dc, &copy[0], -1, &box, DT_LEFT, nullptr);
    GdiFlush();
    BITMAP info = {};
    GetObjectW(bitmap, sizeof info, &info);
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = info.bmWidth;
    format.bmiHeader.biHeight = -info.bmHeight;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    std::string bits(static_cast<size_t>(info.bmWidth) * info.bmHeight * 4, '\0');
    // GetDIBits wants the bitmap out of the context.
    SelectObject(dc, unselected);
    GetDIBits(dc, bitmap, 0, info.bmHeight, &bits[0], &format, DIB_RGB_COLORS);
    SelectObject(dc, bitmap);
    return bits;
}

}  // namespace

void BenchHost::IconText(std::vector<Figure>& figures) {
    SetInstalled(true);
    m_tessel.SetIconfont(L"iconfont.ttf", 0);
    HDC dc = m_hMemoryDC;
    // What the icons look like when first drawn, and the markup drawn as
    // plain text: a cache that stops drawing icons would show.
    const std::string first = DrawnPicture(dc, m_hBitmap, m_hOldBitmap, kIconText);
    const std::string iconless = DrawnPicture(dc, m_hBitmap, m_hOldBitmap, kIconlessText);
    SetInstalled(false);
    const std::string markup = DrawnPicture(dc, m_hBitmap, m_hOldBitmap, kIconText);
    SetInstalled(true);
    Figure figure("5", "DrawTextExW of a text with 5 icons", "the same text, 5 characters for the icons", "<= 30x");
    auto draw = [dc](const wchar_t* text) {
        return Side{[dc, text](long) {
                        wchar_t copy[128];
                        wcsncpy(copy, text, 127);
                        copy[127] = L'\0';
                        RECT box = {0, 0, 400, 40};
                        DrawTextExW(dc, copy, -1, &box, DT_LEFT, nullptr);
                    },
                    nullptr};
    };
    Compare(
        figure, m_options.trials, m_options.trialSeconds, [](bool) {}, draw(kIconText), draw(kIconlessText));
    figure.met = figure.ratio.median <= 30.0;
    const std::string last = DrawnPicture(dc, m_hBitmap, m_hOldBitmap, kIconText);
    if (first == markup || first == iconless) figure.notDone = "no icons were drawn";
    else if (last != first) figure.notDone = "the icons drawn last differ from the first ones";
    figures.push_back(figure);

    // The same per icon: what the icons add to the text, in microseconds.
#ifdef _WIN64
    const double perIconTarget = 0.06;
    Figure perIcon("5'", "one icon of figure 5 (subject - baseline) / 5, in ms", "-", "<= 0.06 ms");
#else
    const double perIconTarget = 0.15;
    Figure perIcon("5'", "one icon of figure 5 (subject - baseline) / 5, in ms", "-", "<= 0.15 ms");
#endif
    perIcon.subjectMs.median = (figure.subjectMs.median - figure.baselineMs.median) / kIcons;
    perIcon.subjectMs.low = (figure.subjectMs.low - figure.baselineMs.high) / kIcons;
    perIcon.subjectMs.high = (figure.subjectMs.high - figure.baselineMs.low) / kIcons;
    perIcon.subjectCalls = figure.subjectCalls;
    perIcon.met = perIcon.subjectMs.median <= perIconTarget;
    perIcon.notDone = figure.notDone;
    figures.push_back(perIcon);
    SetInstalled(false);
}

std::wstring BenchHost::DescribeDW(HWND grid, const wchar_t* what) const {
    typedef LONG(WINAPI * PFN_Describe)(HWND, LPCWSTR, LPWSTR, LONG);
    static auto describe = reinterpret_cast<PFN_Describe>(
        reinterpret_cast<void*>(GetProcAddress(m_runtime.hVM, "FNX_DataWindowDescribe")));
    wchar_t answer[1024] = {};
    if (!describe || describe(grid, what, answer, 1024) < 0) return std::wstring();
    answer[1023] = L'\0';
    return answer;
}

void BenchHost::ModifyDW(HWND grid, const wchar_t* text) const {
    wchar_t error[256];
    if (m_runtime.ScriptModify) m_runtime.ScriptModify(grid, text, error, 256);
}

void BenchHost::ClearModifyLog(HWND grid) const {
    static auto clear = reinterpret_cast<PFN_pbsim_ClearModifyLog>(
        reinterpret_cast<void*>(GetProcAddress(m_runtime.hEngine, PBSIM_CLEAR_MODIFY_LOG)));
    if (clear) clear(grid);
}

long BenchHost::ModifyLogCount(HWND grid) const {
    static auto count = reinterpret_cast<PFN_pbsim_GetModifyLogCount>(
        reinterpret_cast<void*>(GetProcAddress(m_runtime.hEngine, PBSIM_GET_MODIFY_LOG_COUNT)));
    return count ? count(grid) : -1;
}

bool BenchHost::Profile(const std::wstring& scenario) {
    SetInstalled(true);
    const int height = 3 * 24 + kHeaderHeight + 40 * kRowHeight + 40;
    HWND grid = Grid(60, 0, 0, 480, height);
    std::function<void(long)> body;
    DWObject record;
    record.m_hWnd = grid;
    record.ResolveRuntimeFunctions(m_runtime.hVM, m_runtime.hEngine);
    if (scenario == L"modify") {
        body = [&record](long) { record.Modify(L"id.Y='0'"); };
    } else if (scenario == L"attach") {
        const std::wstring settings = SettingsFile();
        body = [this, grid, settings](long) {
            m_tessel.AttachDatawindow(grid, settings.c_str());
            Pump();
            m_tessel.DettachDatawindow(grid);
        };
    } else {
        Decorate(grid);
        const LPARAM a = Cell(kHeaderHeight + 68, 3, 2), b = Cell(kHeaderHeight + 68, 4, 2);
        if (scenario == L"repaint") {
            body = [grid](long) {
                RedrawWindow(grid, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_UPDATENOW);
            };
        } else if (scenario == L"frame") {
            body = [grid](long) { SendMessageW(grid, WM_NCPAINT, 1, 0); };
        } else if (scenario == L"hover") {
            body = [grid, a, b](long i) { SendMessageW(grid, WM_MOUSEMOVE, 0, i % 2 ? a : b); };
        } else if (scenario == L"selection") {
            SendMessageW(grid, WM_LBUTTONDOWN, MK_LBUTTON, Cell(kHeaderHeight + 68, 1, 1));
            const LPARAM far1 = Cell(kHeaderHeight + 68, 30, 5), far2 = Cell(kHeaderHeight + 68, 29, 5);
            body = [grid, far1, far2](long i) { SendMessageW(grid, WM_MOUSEMOVE, MK_LBUTTON, i % 2 ? far1 : far2); };
        } else if (scenario == L"icons") {
            HDC dc = m_hMemoryDC;
            body = [dc](long) {
                wchar_t text[] =
                    L"a iconfont{61447} b iconfont{61441} c iconfont{61452} d iconfont{61445} e "
                    L"iconfont{61553:255} f";
                RECT box = {0, 0, 400, 40};
                DrawTextExW(dc, text, -1, &box, DT_LEFT, nullptr);
            };
        } else {
            return false;
        }
    }
    {
        SamplingProfiler profiler;
        const double end = NowSeconds() + 2.0;
        const bool pump = scenario != L"modify";
        for (long i = 0; NowSeconds() < end; ++i) {
            body(i);
            if (pump) Pump();
        }
        profiler.Report(stdout, 60);
    }
    SendMessageW(grid, WM_LBUTTONUP, 0, 0);
    m_tessel.DettachDatawindow(grid);
    DestroyWindow(GetParent(grid));
    return true;
}
