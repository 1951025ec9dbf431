// The interception set as the host process sees it: every function of the set
// jumps into the library while it is started and is itself again after the stop;
// calls pass through with the real last errors; an entry too short to take the
// jump is refused with its reason; the printing state follows the printer and
// print calls; file dialogs open resizable; without a bound runtime no runtime
// function is touched.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h.
#include <commdlg.h>
#include <winspool.h>

#include <cstring>
#include <functional>
#include <sstream>
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

// The set: each module the host finds functions in ("lpk": the stand-in
// lpk.dll; "vm", "engine": the stand-in runtime), then its functions.
const char kSet[] =
    "user32: CreateWindowExW DestroyWindow DrawTextExW ScrollDC GetDC GetWindowDC GetDCEx ReleaseDC FillRect "
    "BeginPaint EndPaint DrawEdge DrawFrameControl DrawCaption GetSysColor "
    "gdi32: GetTextExtentExPointW TextOutW ExtTextOutA ExtTextOutW PolyTextOutW CreateCompatibleDC DeleteDC LineTo "
    "BitBlt CreateSolidBrush MoveToEx PatBlt PaintRgn CreateDCW SetTextColor FillRgn Polygon Polyline Rectangle "
    "usp10: ScriptStringAnalyse ScriptTextOut winspool.drv: OpenPrinterW ClosePrinter GetPrinterW "
    "comdlg32: GetOpenFileNameW GetSaveFileNameW "
    "uxtheme: OpenThemeData DrawThemeBackground DrawThemeText GetWindowTheme CloseThemeData DrawThemeEdge "
    "lpk: LpkExtTextOut LpkDrawTextEx LpkPSMTextOut LpkTabbedTextOut LpkGetTextExtentExPoint "
    "vm: fndwPrint FN_DWGetHandle FN_ListBoxWnd FN_WindowWnd fndwModify "
    "engine: dwPaintDC DW_Print DW_Modify dwWinProc dwWinProcEdit";

bool InModule(const BYTE* address, HMODULE module) {
    HMODULE owner = nullptr;
    return GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              reinterpret_cast<LPCWSTR>(address), &owner) &&
           owner == module;
}

// True when the code at entry (after import thunks) jumps into module: directly,
// or through an x64 relay slot (jmp qword ptr [rip+0], then the address).
bool JumpsInto(const BYTE* entry, HMODULE module) {
    for (int hop = 0; hop < 4; ++hop) {
        const size_t rex = entry[0] == 0x48 ? 1 : 0;
        if (entry[rex] != 0xFF || entry[rex + 1] != 0x25) break;
        int32_t operand;
        std::memcpy(&operand, entry + rex + 2, sizeof(operand));
#if defined(_WIN64)
        entry = *reinterpret_cast<const BYTE* const*>(entry + rex + 6 + operand);
#else
        entry = *reinterpret_cast<const BYTE* const*>(static_cast<uintptr_t>(static_cast<uint32_t>(operand)));
#endif
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

size_t Count(const std::string& text, const char* what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// The last error each call leaves after a mark, as text: one call for each kind
// of replacement, on its plain path and where the real function fails.
std::string LastErrors() {
    const auto none = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7FFF0));
    HDC memory = CreateCompatibleDC(nullptr), dc = nullptr;
    RECT r = {0, 0, 100, 30};
    wchar_t text[] = L"plain words";
    const std::function<void()> calls[] = {
        [&] { dc = GetDC(nullptr); },
        [&] { ReleaseDC(nullptr, dc); },
        [&] { GetDC(none); },
        [&] { DeleteDC(reinterpret_cast<HDC>(none)); },
        [&] { TextOutW(memory, 2, 2, text, 11); },
        [&] { DrawTextExW(memory, text, -1, &r, DT_LEFT, nullptr); },
        [&] { GetSysColor(COLOR_WINDOW); },
        [&] { FillRect(memory, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))); },
        [&] { DestroyWindow(none); }};
    std::ostringstream out;
    for (const auto& call : calls) {
        SetLastError(0xDEADBEEF);
        call();
        out << std::hex << GetLastError() << ' ';
    }
    DeleteDC(memory);
    return out.str();
}

}  // namespace

// Catches a function left out of the set or not given back, and a replacement
// that changes the last error its real function leaves.
TEST(Installed, EveryFunctionOfTheSetWhileStarted) {
    ASSERT_NE(nullptr, LoadLibraryW(L"lpk\\lpk.dll")) << "the stand-in lpk.dll";
    PbsimRuntime pb(TestRuntimeGeneration());
    ASSERT_TRUE(pb.ok());
    TesselDll dll;
    struct Entry {
        std::string name;
        BYTE* code;
        std::vector<BYTE> before;
    };
    std::vector<Entry> entries;
    std::istringstream words(kSet);
    HMODULE module = nullptr;
    for (std::string word; words >> word;) {
        if (word.back() == ':') {
            word.pop_back();
            module = word == "lpk"      ? GetModuleHandleW(L"lpk.dll")
                     : word == "vm"     ? pb.vm()
                     : word == "engine" ? pb.engine()
                                        : LoadLibraryA(word.c_str());
            continue;
        }
        auto* code = reinterpret_cast<BYTE*>(GetProcAddress(module, word.c_str()));
        ASSERT_NE(nullptr, code) << word;
        entries.push_back({word, code, std::vector<BYTE>(code, code + 16)});
    }
    ASSERT_EQ(entries.size(), 62u);
    const std::string real = LastErrors();
    for (int round = 0; round < 2; ++round) {
        StdoutCapture capture;
        ASSERT_EQ(1, dll.StartTessel());
        for (const Entry& e : entries) EXPECT_TRUE(JumpsInto(e.code, dll.h)) << e.name;
        const std::string errors = LastErrors();
        ASSERT_EQ(1, dll.StopTessel());
        const std::string log = capture.Stop();
        EXPECT_EQ(errors, real);
        EXPECT_EQ(0u, Count(log, "refused")) << log;
        for (const Entry& e : entries)
            EXPECT_EQ(e.before, std::vector<BYTE>(e.code, e.code + 16)) << e.name << " not given back";
    }
}

// LpkPSMTextOut made too short for the entry jump: xor eax,eax / ret, then code.
TEST(Installed, AnEntryTooShortIsRefusedWithItsReason) {
    HMODULE lpk = LoadLibraryW(L"lpk\\lpk.dll");
    ASSERT_NE(nullptr, lpk);
    auto* entry = reinterpret_cast<BYTE*>(GetProcAddress(lpk, "LpkPSMTextOut"));
    ASSERT_NE(nullptr, entry);
    BYTE saved[8], shortened[8] = {0x31, 0xC0, 0xC3, 0x55, 0x89, 0xE5, 0x5D, 0xC3};
    DWORD old = 0;
    ASSERT_TRUE(VirtualProtect(entry, sizeof(saved), PAGE_EXECUTE_READWRITE, &old));
    std::memcpy(saved, entry, sizeof(saved));
    std::memcpy(entry, shortened, sizeof(shortened));
    TesselDll dll;
    StdoutCapture capture;
    ASSERT_EQ(1, dll.StartTessel());
    ASSERT_EQ(1, dll.StopTessel());
    const std::string log = capture.Stop();
    std::memcpy(entry, saved, sizeof(saved));
    VirtualProtect(entry, sizeof(saved), old, &old);
    EXPECT_NE(std::string::npos, log.find("interception of LpkPSMTextOut refused: the function ends before the entry "
                                          "jump fits and no padding follows: push "))
        << log;
}

// Two printers open: printing lasts until the second is closed, and the
// DataWindow the runtime names owns every context meanwhile; during dw.Print()
// every context is the DataWindow's, after it none.
TEST(Installed, PrintingFollowsPrintersAndPrintCalls) {
    PbsimRuntime pb(TestRuntimeGeneration());
    ASSERT_TRUE(pb.ok());
    TesselDll dll;
    ASSERT_EQ(1, dll.StartTessel());
    HWND grid = pb.Create(kGrid.c_str());
    ASSERT_NE(nullptr, grid);
    dll.AttachDatawindow(grid, nullptr);
    auto getHandle = PbsimRuntime::Proc<LONG_PTR(WINAPI*)(HWND, LONG_PTR)>(pb.vm(), "FN_DWGetHandle");
    ASSERT_NE(nullptr, getHandle);
    static HDC s_probe;
    s_probe = CreateCompatibleDC(nullptr);
    wchar_t name[] = L"Tessel2U test printer";
    HANDLE first = nullptr, second = nullptr;
    getHandle(grid, 0);
    std::string owned(1, HasRecord(s_probe) ? 'Y' : 'n');  // no print job: no target
    OpenPrinterW(name, &first, nullptr);
    OpenPrinterW(name, &second, nullptr);
    getHandle(grid, 0);
    for (HANDLE printer : {second, first}) {
        owned += HasRecord(s_probe) ? 'Y' : 'n';
        ClosePrinter(printer);
    }
    EXPECT_EQ(owned + (HasRecord(s_probe) ? 'Y' : 'n'), "nYYn");

    // The probe draws once inside the engine's first text call of the print.
    static int s_texts = 0;
    struct Probe {
        static int WINAPI DrawTextExW(HDC dc, LPWSTR text, int count, LPRECT rect, UINT format, LPDRAWTEXTPARAMS p) {
            RECT r = {0, 0, 8, 8};
            if (s_texts++ == 0) ::DrawFrameControl(s_probe, &r, DFC_BUTTON, DFCS_BUTTONPUSH);
            return ::DrawTextExW(dc, text, count, rect, format, p);
        }
    };
    ImportPatch patch(pb.engine(), "user32.dll", "DrawTextExW", reinterpret_cast<void*>(&Probe::DrawTextExW));
    ASSERT_TRUE(patch.ok());
    HDC target = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(400, 300, 1, 32, nullptr);
    HGDIOBJ old = SelectObject(target, bitmap);
    StdoutCapture capture;
    EXPECT_GT(pb.PrintToDC(grid, target), 0);
    RECT r = {0, 0, 8, 8};
    DrawFrameControl(s_probe, &r, DFC_BUTTON, DFCS_BUTTONPUSH);
    const std::string log = capture.Stop();
    EXPECT_EQ(1u, Count(log, "HookDrawFrameControl")) << log;  // the probe during the print only
    DeleteObject(SelectObject(target, old));
    DeleteDC(target);
    DeleteDC(s_probe);
    ASSERT_EQ(1, dll.StopTessel());
    DestroyWindow(grid);
}

namespace {

decltype(&GetOpenFileNameW) g_openUnderneath = nullptr;
decltype(&GetSaveFileNameW) g_saveUnderneath = nullptr;
std::vector<DWORD> g_seen;  // the size and flags of every structure that reached the dialog

// Underneath the library's interception: sees the structure and shows nothing.
BOOL WINAPI SeeDialog(LPOPENFILENAMEW ofn) {
    g_seen.insert(g_seen.end(), {ofn->lStructSize, ofn->Flags});
    return FALSE;
}

LONG Layer(bool attach) {
    InterceptTransactionBegin();
    InterceptUpdateThread(GetCurrentThread());
    for (PVOID* real : {reinterpret_cast<PVOID*>(&g_openUnderneath), reinterpret_cast<PVOID*>(&g_saveUnderneath)})
        attach ? InterceptAttach(real, reinterpret_cast<PVOID>(SeeDialog))
               : InterceptDetach(real, reinterpret_cast<PVOID>(SeeDialog));
    return InterceptTransactionCommit();
}

}  // namespace

// The older structure, in a buffer of exactly its size, is passed on grown and
// given back as it was; the current one passes as it is; both get the flags.
TEST(Installed, FileDialogsOpenResizable) {
    HMODULE comdlg = LoadLibraryW(L"comdlg32.dll");
    g_openUnderneath = PbsimRuntime::Proc<decltype(&GetOpenFileNameW)>(comdlg, "GetOpenFileNameW");
    g_saveUnderneath = PbsimRuntime::Proc<decltype(&GetSaveFileNameW)>(comdlg, "GetSaveFileNameW");
    ASSERT_EQ(NO_ERROR, Layer(true));
    TesselDll dll;
    ASSERT_EQ(1, dll.StartTessel());
    const DWORD full = sizeof(OPENFILENAMEW), v400 = OPENFILENAME_SIZE_VERSION_400W;
    const DWORD mustExist = OFN_FILEMUSTEXIST, resizable = OFN_EXPLORER | OFN_ENABLESIZING;
    for (auto show : {&GetOpenFileNameW, &GetSaveFileNameW}) {
        std::vector<BYTE> buffer(v400, 0);
        auto* older = reinterpret_cast<OPENFILENAMEW*>(buffer.data());
        older->lStructSize = v400;
        older->Flags = mustExist;
        OPENFILENAMEW current = {};
        current.lStructSize = full;
        EXPECT_FALSE(show(older));
        EXPECT_FALSE(show(&current));
        EXPECT_EQ((std::vector<DWORD>{older->lStructSize, older->Flags}),
                  (std::vector<DWORD>{v400, mustExist | resizable}));
    }
    ASSERT_EQ(1, dll.StopTessel());
    EXPECT_EQ(NO_ERROR, Layer(false));
    EXPECT_EQ(g_seen, (std::vector<DWORD>{full, mustExist | resizable, full, resizable, full, mustExist | resizable,
                                          full, resizable}));
}

// Started before any runtime is loaded (a process of its own).
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
    ASSERT_EQ(1, dll.StopTessel());
}
