// The interception set as the host process sees it: every function of the
// set that the system, the stand-in lpk.dll and the stand-in runtime provide
// jumps into the library while it is started and is itself again after the
// stop; replaced system colours reach every caller of GetSysColor; the
// printing state follows the printer calls and the runtime's print calls;
// file dialogs open resizable; and without a bound runtime no runtime
// function is touched.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h.
#include <commdlg.h>
#include <winspool.h>

#include <cstring>
#include <string>
#include <vector>

#include "grid_syntax.h"
#include "import_patch.h"
#include "intercept/intercept.h"
#include "pbsim_runtime.h"
#include "stdout_capture.h"
#include "tessel_dll.h"

namespace {

const std::wstring kGrid = GridSyntax(1).Column(L"a", L"long", 80, L"A").NumberedRows(3).Text();

struct Function {
    const wchar_t* module;  // null: the stand-in lpk.dll; "vm"/"engine": the stand-in runtime
    const char* name;
};

// The set, by where the host finds each function.
const Function kSet[] = {
    {L"user32", "CreateWindowExW"},
    {L"user32", "DestroyWindow"},
    {L"gdi32", "GetTextExtentExPointW"},
    {L"user32", "DrawTextExW"},
    {L"gdi32", "TextOutW"},
    {L"gdi32", "ExtTextOutA"},
    {L"gdi32", "ExtTextOutW"},
    {L"gdi32", "PolyTextOutW"},
    {L"usp10", "ScriptStringAnalyse"},
    {L"usp10", "ScriptTextOut"},
    {L"gdi32", "CreateCompatibleDC"},
    {L"gdi32", "DeleteDC"},
    {L"gdi32", "LineTo"},
    {L"gdi32", "BitBlt"},
    {L"gdi32", "CreateSolidBrush"},
    {L"winspool.drv", "OpenPrinterW"},
    {L"winspool.drv", "ClosePrinter"},
    {L"winspool.drv", "GetPrinterW"},
    {L"comdlg32", "GetOpenFileNameW"},
    {L"comdlg32", "GetSaveFileNameW"},
    {L"gdi32", "MoveToEx"},
    {L"user32", "ScrollDC"},
    {L"gdi32", "PatBlt"},
    {L"gdi32", "PaintRgn"},
    {L"gdi32", "CreateDCW"},
    {L"gdi32", "SetTextColor"},
    {L"user32", "GetDC"},
    {L"user32", "GetWindowDC"},
    {L"user32", "GetDCEx"},
    {L"user32", "ReleaseDC"},
    {L"user32", "FillRect"},
    {L"gdi32", "FillRgn"},
    {L"gdi32", "Polygon"},
    {L"gdi32", "Polyline"},
    {L"gdi32", "Rectangle"},
    {L"user32", "BeginPaint"},
    {L"user32", "EndPaint"},
    {L"user32", "DrawEdge"},
    {L"user32", "DrawFrameControl"},
    {L"user32", "DrawCaption"},
    {L"user32", "GetSysColor"},
    {L"uxtheme", "OpenThemeData"},
    {L"uxtheme", "DrawThemeBackground"},
    {L"uxtheme", "DrawThemeText"},
    {L"uxtheme", "GetWindowTheme"},
    {L"uxtheme", "CloseThemeData"},
    {L"uxtheme", "DrawThemeEdge"},
    {nullptr, "LpkExtTextOut"},
    {nullptr, "LpkDrawTextEx"},
    {nullptr, "LpkPSMTextOut"},
    {nullptr, "LpkTabbedTextOut"},
    {nullptr, "LpkGetTextExtentExPoint"},
    {L"vm", "fndwPrint"},
    {L"vm", "FN_DWGetHandle"},
    {L"engine", "dwPaintDC"},
    {L"engine", "DW_Print"},
    {L"engine", "DW_Modify"},
    {L"engine", "dwWinProc"},
    {L"engine", "dwWinProcEdit"},
    {L"vm", "FN_ListBoxWnd"},
    {L"vm", "FN_WindowWnd"},
    {L"vm", "fndwModify"},
};

bool InModule(const BYTE* address, HMODULE module) {
    const auto* base = reinterpret_cast<const BYTE*>(module);
    const auto* nt =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    return address >= base && address < base + nt->OptionalHeader.SizeOfImage;
}

// True when the code at entry jumps into module: directly, or through the
// relay of an x64 trampoline slot (jmp qword ptr [rip+0], then the address).
bool JumpsInto(const BYTE* entry, HMODULE module) {
    // An import thunk (jmp through a pointer) leads to the function itself.
    for (int hop = 0; hop < 4; ++hop) {
        const size_t rex = entry[0] == 0x48 ? 1 : 0;
        if (entry[rex] != 0xFF || entry[rex + 1] != 0x25) break;
        int32_t operand;
        std::memcpy(&operand, entry + rex + 2, sizeof(operand));
#if defined(_WIN64)
        const BYTE* const* slot = reinterpret_cast<const BYTE* const*>(entry + rex + 6 + operand);
#else
        const BYTE* const* slot =
            reinterpret_cast<const BYTE* const*>(static_cast<uintptr_t>(static_cast<uint32_t>(operand)));
#endif
        entry = *slot;
    }
    if (entry[0] != 0xE9) return false;
    int32_t rel;
    std::memcpy(&rel, entry + 1, sizeof(rel));
    const BYTE* dest = entry + 5 + rel;
    if (InModule(dest, module)) return true;
    if (dest[0] != 0xFF || dest[1] != 0x25) return false;
    const BYTE* relayed = nullptr;
    std::memcpy(&relayed, dest + 6, sizeof(relayed));
    return InModule(relayed, module);
}

// What Tessel2U says about a device context: a DataWindow's context writes
// the DrawFrameControl debug line.
bool HasRecord(HDC dc) {
    StdoutCapture capture;
    RECT r = {0, 0, 8, 8};
    DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH);
    return capture.Stop().find("HookDrawFrameControl") != std::string::npos;
}

}  // namespace

TEST(Installed, EveryFunctionOfTheSetWhileStarted) {
    ASSERT_NE(nullptr, LoadLibraryW(L"lpk\\lpk.dll")) << "the stand-in lpk.dll";
    PbsimRuntime pb(TestRuntimeGeneration());
    ASSERT_TRUE(pb.ok());
    TesselDll dll;
    ASSERT_NE(dll.h, nullptr);
    std::vector<BYTE*> entries;
    std::vector<std::vector<BYTE>> before;
    for (const Function& f : kSet) {
        HMODULE module = !f.module                               ? GetModuleHandleW(L"lpk.dll")
                         : std::wcscmp(f.module, L"vm") == 0     ? pb.vm()
                         : std::wcscmp(f.module, L"engine") == 0 ? pb.engine()
                                                                 : LoadLibraryW(f.module);
        auto* entry = reinterpret_cast<BYTE*>(GetProcAddress(module, f.name));
        ASSERT_NE(nullptr, entry) << f.name;
        entries.push_back(entry);
        before.emplace_back(entry, entry + 16);
    }
    for (int round = 0; round < 2; ++round) {
        StdoutCapture capture;
        ASSERT_EQ(1, dll.StartTessel());
        for (size_t i = 0; i < entries.size(); ++i) EXPECT_TRUE(JumpsInto(entries[i], dll.h)) << kSet[i].name;
        EXPECT_EQ(0, dll.StartTessel());  // started once only
        ASSERT_EQ(1, dll.StopTessel());
        const std::string log = capture.Stop();
        EXPECT_EQ(std::string::npos, log.find("refused")) << log;
        for (size_t i = 0; i < entries.size(); ++i) {
            EXPECT_EQ(before[i], std::vector<BYTE>(entries[i], entries[i] + 16)) << kSet[i].name;
        }
    }
    // The functions behave as before.
    HDC dc = GetDC(nullptr);
    ASSERT_NE(nullptr, dc);
    EXPECT_EQ(1, ReleaseDC(nullptr, dc));
}

TEST(Installed, CallsPassThroughToTheRealFunctions) {
    HMODULE lpk = LoadLibraryW(L"lpk\\lpk.dll");
    ASSERT_NE(nullptr, lpk);
    using Calls = LONG(WINAPI*)();
    using Measure = BOOL(WINAPI*)(HDC, LPCWSTR, int, int, LPINT, LPINT, LPSIZE, DWORD, int);
    auto calls = reinterpret_cast<Calls>(reinterpret_cast<void*>(GetProcAddress(lpk, "LpkStandinCalls")));
    auto measure = reinterpret_cast<Measure>(reinterpret_cast<void*>(GetProcAddress(lpk, "LpkGetTextExtentExPoint")));
    ASSERT_TRUE(calls && measure);
    TesselDll dll;
    ASSERT_EQ(1, dll.StartTessel());
    HDC dc = GetDC(nullptr);
    SIZE viaLpk = {}, direct = {};
    const LONG before = calls();
    EXPECT_TRUE(measure(dc, L"Tessel", 6, 0, nullptr, nullptr, &viaLpk, 0, 0));
    EXPECT_EQ(before + 1, calls());
    GetTextExtentExPointW(dc, L"Tessel", 6, 0, nullptr, nullptr, &direct);
    EXPECT_EQ(direct.cx, viaLpk.cx);
    EXPECT_GT(direct.cx, 0);
    ReleaseDC(nullptr, dc);
    ASSERT_EQ(1, dll.StopTessel());
}

TEST(Installed, AnInterceptionThatCannotBeInstalledIsNamedWithItsReason) {
    HMODULE lpk = LoadLibraryW(L"lpk\\lpk.dll");
    ASSERT_NE(nullptr, lpk);
    auto* entry = reinterpret_cast<BYTE*>(GetProcAddress(lpk, "LpkPSMTextOut"));
    ASSERT_NE(nullptr, entry);
    // The function made too short to take an entry jump: xor eax,eax / ret,
    // with code right behind.
    BYTE saved[8];
    std::memcpy(saved, entry, sizeof(saved));
    const BYTE shortened[8] = {0x31, 0xC0, 0xC3, 0x55, 0x89, 0xE5, 0x5D, 0xC3};
    DWORD old = 0;
    ASSERT_TRUE(VirtualProtect(entry, sizeof(saved), PAGE_EXECUTE_READWRITE, &old));
    std::memcpy(entry, shortened, sizeof(shortened));
    TesselDll dll;
    StdoutCapture capture;
    ASSERT_EQ(1, dll.StartTessel());
    ASSERT_EQ(1, dll.StopTessel());
    const std::string log = capture.Stop();
    std::memcpy(entry, saved, sizeof(saved));
    VirtualProtect(entry, sizeof(saved), old, &old);
    EXPECT_NE(std::string::npos,
              log.find("interception of LpkPSMTextOut refused: the function ends before the entry jump fits and no "
                       "padding follows: push "))
        << log;
    size_t lines = 0;
    for (size_t at = log.find("refused"); at != std::string::npos; at = log.find("refused", at + 1)) ++lines;
    EXPECT_EQ(2u, lines) << log;  // its installation, and its removal finding nothing to take off
}

TEST(Installed, ReplacedSystemColoursReachEveryCaller) {
    TesselDll dll;
    ASSERT_EQ(1, dll.StartTessel());
    const DWORD system = GetSysColor(COLOR_WINDOW);
    const COLORREF replaced = system == RGB(1, 2, 3) ? RGB(4, 5, 6) : RGB(1, 2, 3);
    dll.ReplaceSysColor(COLOR_WINDOW, replaced);
    EXPECT_EQ(replaced, GetSysColor(COLOR_WINDOW));
    ASSERT_EQ(1, dll.StopTessel());
    EXPECT_EQ(system, GetSysColor(COLOR_WINDOW));
    // The table outlives the stop.
    ASSERT_EQ(1, dll.StartTessel());
    EXPECT_EQ(replaced, GetSysColor(COLOR_WINDOW));
    ASSERT_EQ(1, dll.StopTessel());
}

TEST(Installed, PrintingFollowsPrintersAndPrintCalls) {
    PbsimRuntime pb(TestRuntimeGeneration());
    ASSERT_TRUE(pb.ok());
    TesselDll dll;
    ASSERT_EQ(1, dll.StartTessel());
    HWND grid = pb.Create(kGrid.c_str());
    ASSERT_NE(nullptr, grid);
    dll.AttachDatawindow(grid, nullptr);
    using Internal = LONG_PTR(WINAPI*)(LONG_PTR, LONG_PTR);
    auto getHandle = reinterpret_cast<Internal>(reinterpret_cast<void*>(GetProcAddress(pb.vm(), "FN_DWGetHandle")));
    ASSERT_NE(nullptr, getHandle);
    HDC probe = CreateCompatibleDC(nullptr);
    EXPECT_FALSE(HasRecord(probe));
    getHandle(reinterpret_cast<LONG_PTR>(grid), 0);  // no print job: no target
    EXPECT_FALSE(HasRecord(probe));

    // Two printers open: printing lasts until the second is closed. While it
    // lasts, the DataWindow the runtime names owns every device context.
    wchar_t name[] = L"Tessel2U test printer";
    HANDLE first = nullptr;
    HANDLE second = nullptr;
    OpenPrinterW(name, &first, nullptr);
    OpenPrinterW(name, &second, nullptr);
    getHandle(reinterpret_cast<LONG_PTR>(grid), 0);
    EXPECT_TRUE(HasRecord(probe));
    ClosePrinter(second);
    EXPECT_TRUE(HasRecord(probe));
    ClosePrinter(first);
    EXPECT_FALSE(HasRecord(probe));

    // dw.Print(): during the call every context is the DataWindow's, after it none.
    static HDC s_probe = nullptr;
    static int s_texts = 0;
    s_probe = probe;
    s_texts = 0;
    struct Probe {
        static int WINAPI DrawTextExW(HDC dc, LPWSTR text, int count, LPRECT rect, UINT format, LPDRAWTEXTPARAMS p) {
            if (s_texts++ == 0) {
                RECT r = {0, 0, 8, 8};
                ::DrawFrameControl(s_probe, &r, DFC_BUTTON, DFCS_BUTTONPUSH);
            }
            return ::DrawTextExW(dc, text, count, rect, format, p);
        }
    };
    {
        ImportPatch patch(pb.engine(), "user32.dll", "DrawTextExW", reinterpret_cast<void*>(&Probe::DrawTextExW));
        ASSERT_TRUE(patch.ok());
        HDC target = CreateCompatibleDC(nullptr);
        HBITMAP bitmap = CreateCompatibleBitmap(GetDC(nullptr), 400, 300);
        HGDIOBJ old = SelectObject(target, bitmap);
        StdoutCapture capture;
        EXPECT_GT(pb.PrintToDC(grid, target), 0);
        RECT r = {0, 0, 8, 8};
        DrawFrameControl(probe, &r, DFC_BUTTON, DFCS_BUTTONPUSH);
        const std::string log = capture.Stop();
        EXPECT_GT(s_texts, 0);
        size_t lines = 0;
        for (size_t at = log.find("HookDrawFrameControl"); at != std::string::npos;
             at = log.find("HookDrawFrameControl", at + 1)) {
            ++lines;
        }
        EXPECT_EQ(1u, lines) << log;  // the probe during the print, not the call after it
        SelectObject(target, old);
        DeleteObject(bitmap);
        DeleteDC(target);
    }
    DeleteDC(probe);
    dll.DettachDatawindow(grid);
    ASSERT_EQ(1, dll.StopTessel());
    DestroyWindow(grid);
}

namespace {

decltype(&GetOpenFileNameW) g_openUnderneath = nullptr;
decltype(&GetSaveFileNameW) g_saveUnderneath = nullptr;
DWORD g_seenSize = 0;
DWORD g_seenFlags = 0;

// Underneath the library's interception: sees the structure and shows nothing.
BOOL WINAPI SeeDialog(LPOPENFILENAMEW ofn) {
    g_seenSize = ofn->lStructSize;
    g_seenFlags = ofn->Flags;
    return FALSE;
}

LONG Layer(PVOID* real, PVOID detour, bool attach) {
    InterceptTransactionBegin();
    InterceptUpdateThread(GetCurrentThread());
    const LONG result = attach ? InterceptAttach(real, detour) : InterceptDetach(real, detour);
    InterceptTransactionCommit();
    return result;
}

}  // namespace

TEST(Installed, FileDialogsOpenResizable) {
    HMODULE comdlg = LoadLibraryW(L"comdlg32.dll");
    g_openUnderneath = reinterpret_cast<decltype(&GetOpenFileNameW)>(
        reinterpret_cast<void*>(GetProcAddress(comdlg, "GetOpenFileNameW")));
    g_saveUnderneath = reinterpret_cast<decltype(&GetSaveFileNameW)>(
        reinterpret_cast<void*>(GetProcAddress(comdlg, "GetSaveFileNameW")));
    ASSERT_EQ(NO_ERROR, Layer(reinterpret_cast<PVOID*>(&g_openUnderneath), reinterpret_cast<PVOID>(SeeDialog), true));
    ASSERT_EQ(NO_ERROR, Layer(reinterpret_cast<PVOID*>(&g_saveUnderneath), reinterpret_cast<PVOID>(SeeDialog), true));
    TesselDll dll;
    ASSERT_EQ(1, dll.StartTessel());

    const DWORD full = sizeof(OPENFILENAMEW);
    for (auto show : {&GetOpenFileNameW, &GetSaveFileNameW}) {
        // The older structure, in a buffer of exactly its size.
        std::vector<BYTE> buffer(OPENFILENAME_SIZE_VERSION_400W, 0);
        auto* old = reinterpret_cast<OPENFILENAMEW*>(buffer.data());
        old->lStructSize = OPENFILENAME_SIZE_VERSION_400W;
        old->Flags = OFN_FILEMUSTEXIST;
        g_seenSize = 0;
        EXPECT_FALSE(show(old));
        EXPECT_EQ(full, g_seenSize);
        EXPECT_EQ(static_cast<DWORD>(OFN_FILEMUSTEXIST | OFN_EXPLORER | OFN_ENABLESIZING), g_seenFlags);
        EXPECT_EQ(static_cast<DWORD>(OPENFILENAME_SIZE_VERSION_400W), old->lStructSize);
        EXPECT_EQ(static_cast<DWORD>(OFN_FILEMUSTEXIST | OFN_EXPLORER | OFN_ENABLESIZING), old->Flags);
        // The current structure is changed in place.
        OPENFILENAMEW current = {};
        current.lStructSize = full;
        EXPECT_FALSE(show(&current));
        EXPECT_EQ(full, g_seenSize);
        EXPECT_EQ(static_cast<DWORD>(OFN_EXPLORER | OFN_ENABLESIZING), g_seenFlags);
    }

    ASSERT_EQ(1, dll.StopTessel());
    OPENFILENAMEW after = {};
    after.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    GetOpenFileNameW(&after);
    EXPECT_EQ(static_cast<DWORD>(OPENFILENAME_SIZE_VERSION_400W), g_seenSize);  // as the caller gave it
    EXPECT_EQ(0u, g_seenFlags);
    EXPECT_EQ(NO_ERROR, Layer(reinterpret_cast<PVOID*>(&g_openUnderneath), reinterpret_cast<PVOID>(SeeDialog), false));
    EXPECT_EQ(NO_ERROR, Layer(reinterpret_cast<PVOID*>(&g_saveUnderneath), reinterpret_cast<PVOID>(SeeDialog), false));
}

// Started before any runtime is loaded (a process of its own): generation 0
// finds no runtime function, and the runtime loaded later is left alone.
namespace {

// What a pass-through call finds and leaves: a plain window of its own, a
// memory context with a bitmap, a pen and a brush.
struct PlainTargets {
    HWND window = nullptr;
    HDC memory = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ oldBitmap = nullptr;
    HRGN region = nullptr;
};

constexpr DWORD kMark = 0xDEADBEEF;

// Runs before, sets the mark, makes the call, reads the last error right
// after it, then runs after.
struct PassThroughCall {
    const char* name;
    DWORD (*call)(PlainTargets&);
};

RECT Box(int right, int bottom) { return RECT{0, 0, right, bottom}; }

#define CALL(name, before, statement, after) \
    {                                        \
        name, [](PlainTargets& t) -> DWORD { \
            (void)t;                         \
            before;                          \
            SetLastError(kMark);             \
            statement;                       \
            const DWORD e = GetLastError();  \
            after;                           \
            return e;                        \
        }                                    \
    }

const POINT kTriangle[] = {{2, 2}, {30, 2}, {16, 20}};
wchar_t g_text[] = L"plain words here";
PAINTSTRUCT g_ps;
HDC g_dc;
HWND g_window;
RECT g_rect;
const HWND kNoWindow = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7FFF0));

const PassThroughCall kPassThroughCalls[] = {
    CALL("GetDC", , g_dc = GetDC(t.window), ReleaseDC(t.window, g_dc)),
    CALL("GetDC_of_no_window", , GetDC(kNoWindow), ),
    CALL("GetWindowDC", , g_dc = GetWindowDC(t.window), ReleaseDC(t.window, g_dc)),
    CALL("GetDCEx", , g_dc = GetDCEx(t.window, nullptr, DCX_CACHE), ReleaseDC(t.window, g_dc)),
    CALL("ReleaseDC", g_dc = GetDC(t.window), ReleaseDC(t.window, g_dc), ),
    CALL("BeginPaint", InvalidateRect(t.window, nullptr, TRUE), BeginPaint(t.window, &g_ps), EndPaint(t.window, &g_ps)),
    CALL("EndPaint", InvalidateRect(t.window, nullptr, TRUE); BeginPaint(t.window, &g_ps), EndPaint(t.window, &g_ps), ),
    CALL("CreateCompatibleDC", , g_dc = CreateCompatibleDC(t.memory), DeleteDC(g_dc)),
    CALL("DeleteDC", g_dc = CreateCompatibleDC(t.memory), DeleteDC(g_dc), ),
    CALL("DeleteDC_of_no_context", , DeleteDC(reinterpret_cast<HDC>(static_cast<INT_PTR>(0x7FFF0))), ),
    CALL("TextOutW", , TextOutW(t.memory, 2, 2, L"plain words here", 16), ),
    CALL("TextOutW_short", , TextOutW(t.memory, 2, 2, L"abc", 3), ),
    CALL("ExtTextOutW", g_rect = Box(100, 30),
         ExtTextOutW(t.memory, 2, 2, ETO_CLIPPED, &g_rect, g_text, 16, nullptr), ),
    CALL("ExtTextOutA", , ExtTextOutA(t.memory, 2, 2, 0, nullptr, "narrow", 6, nullptr), ),
    CALL("DrawTextExW", g_rect = Box(100, 30), DrawTextExW(t.memory, g_text, -1, &g_rect, DT_LEFT, nullptr), ),
    CALL("GetTextExtentExPointW", SIZE size,
         GetTextExtentExPointW(t.memory, L"plain", 5, 0, nullptr, nullptr, &size), ),
    CALL("FillRect", g_rect = Box(10, 10),
         FillRect(t.memory, &g_rect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), ),
    CALL("MoveToEx", , MoveToEx(t.memory, 1, 1, nullptr), ),
    CALL("LineTo", , LineTo(t.memory, 20, 20), ),
    CALL("BitBlt", , BitBlt(t.memory, 0, 0, 10, 10, t.memory, 20, 20, SRCCOPY), ),
    CALL("CreateSolidBrush", HBRUSH brush, brush = CreateSolidBrush(RGB(1, 2, 3)), DeleteObject(brush)),
    CALL("PatBlt", , PatBlt(t.memory, 0, 0, 10, 10, PATCOPY), ),
    CALL("Rectangle", , Rectangle(t.memory, 0, 0, 10, 2), ),
    CALL("PaintRgn", , PaintRgn(t.memory, t.region), ),
    CALL("FillRgn", , FillRgn(t.memory, t.region, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH))), ),
    CALL("Polygon", , Polygon(t.memory, kTriangle, 3), ),
    CALL("Polyline", , Polyline(t.memory, kTriangle, 3), ),
    CALL("SetTextColor", , SetTextColor(t.memory, GetSysColor(COLOR_HIGHLIGHTTEXT)), ),
    CALL("GetSysColor", , GetSysColor(COLOR_WINDOW), ),
    CALL("DrawEdge", g_rect = Box(20, 20), DrawEdge(t.memory, &g_rect, EDGE_RAISED, BF_RECT), ),
    CALL("DrawFrameControl", g_rect = Box(20, 20), DrawFrameControl(t.memory, &g_rect, DFC_BUTTON, DFCS_BUTTONPUSH), ),
    CALL("DrawCaption", g_rect = Box(60, 20), DrawCaption(t.window, t.memory, &g_rect, DC_TEXT), ),
    CALL("ScrollDC", , ScrollDC(t.memory, 1, 1, nullptr, nullptr, nullptr, nullptr), ),
    CALL("CreateWindowExW", ,
         g_window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr),
         DestroyWindow(g_window)),
    CALL("DestroyWindow",
         g_window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr),
         DestroyWindow(g_window), ),
    CALL("DestroyWindow_of_no_window", , DestroyWindow(kNoWindow), ),
};

#undef CALL

class LastError : public ::testing::TestWithParam<PassThroughCall> {
protected:
    void SetUp() override {
        ASSERT_TRUE(pb.ok());
        ASSERT_NE(nullptr, dll.h);
        t.window = CreateWindowExW(0, L"STATIC", L"plain", WS_POPUP | WS_VISIBLE, 0, 0, 80, 40, nullptr, nullptr,
                                   nullptr, nullptr);
        t.memory = CreateCompatibleDC(nullptr);
        t.bitmap = CreateCompatibleBitmap(t.memory, 64, 64);
        t.oldBitmap = SelectObject(t.memory, t.bitmap);
        t.region = CreateRectRgn(0, 0, 10, 10);
        ASSERT_TRUE(t.window && t.memory && t.bitmap && t.region);
    }
    void TearDown() override {
        SelectObject(t.memory, t.oldBitmap);
        DeleteObject(t.bitmap);
        DeleteObject(t.region);
        DeleteDC(t.memory);
        DestroyWindow(t.window);
    }
    PbsimRuntime pb{TestRuntimeGeneration()};
    TesselDll dll;
    PlainTargets t;
};

}  // namespace

TEST_P(LastError, PassThroughLeavesTheRealFunctionsLastError) {
    // The real function alone, then the same call through the library.
    const DWORD real = GetParam().call(t);
    ASSERT_EQ(1, dll.StartTessel());
    const DWORD intercepted = GetParam().call(t);
    const DWORD again = GetParam().call(t);
    ASSERT_EQ(1, dll.StopTessel());
    EXPECT_EQ(real, intercepted) << std::hex << "real " << real << ", through the library " << intercepted;
    EXPECT_EQ(real, again);
}

INSTANTIATE_TEST_SUITE_P(Installed, LastError, ::testing::ValuesIn(kPassThroughCalls),
                         [](const ::testing::TestParamInfo<PassThroughCall>& info) {
                             return std::string(info.param.name);
                         });

TEST(GenerationZero, NoRuntimeFunctionIsTouched) {
    TesselDll dll;
    StdoutCapture capture;
    ASSERT_EQ(1, dll.StartTessel());
    EXPECT_NE(std::string::npos, capture.Stop().find("pb version : 0\n"));
    PbsimRuntime pb(105);
    ASSERT_TRUE(pb.ok());
    auto* proc = reinterpret_cast<BYTE*>(GetProcAddress(pb.engine(), "dwWinProc"));
    ASSERT_NE(nullptr, proc);
    EXPECT_FALSE(JumpsInto(proc, dll.h));
    HWND grid = pb.Create(kGrid.c_str());
    ASSERT_NE(nullptr, grid);
    RECT before;
    GetClientRect(grid, &before);
    dll.AttachDatawindow(grid, nullptr);
    SendMessageW(grid, 11040, 0, 1);
    RECT after;
    GetClientRect(grid, &after);
    EXPECT_EQ(before.right, after.right);
    ASSERT_EQ(1, dll.StopTessel());
    DestroyWindow(grid);
}
