// Demo host: a window of the kind a PowerBuilder application shows, made of
// the stand-in runtime's window, list box and DataWindow controls, with
// Tessel2U started on it as a PowerBuilder script would. Options:
//   --scene NAME             what happens before the screenshot: overview,
//                            hover, selection, pageinfo, titles, progress,
//                            icons, skin, preview (see scene.cpp)
//   --screenshot <file.png>  write the window's client area, children
//                            included, once the scene has played
//   --without-tessel         the same window without Tessel2U
//   --exit                   close after the screenshot (scripted runs)
//   --runtime N              the stand-in runtime generation to run on: 105
//                            (default), 115, 125, 170, or 220 for the
//                            unversioned pbvm.dll of PowerBuilder 2022
//   --srd <file.srd>         instead of the application window: that
//                            exported DataWindow side by side without and
//                            with Tessel2U (selection, hover, side bar)
//   --settings <file.ini>    the settings file for --srd (default
//                            preview.ini beside Tessel2U.dll)
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "runtime_host.h"
#include "scene.h"
#include "screenshot.h"
#include "srd_preview.h"
#include "tessel_api.h"

namespace {

std::wstring g_screenshotPath;
std::wstring g_scene = L"overview";
bool g_exitAfterShot = false;
DemoScene* g_pScene = nullptr;
SrdPreview* g_pPreview = nullptr;
int g_exitCode = 0;

HWND MainWindow() { return g_pScene ? g_pScene->hMain : g_pPreview ? g_pPreview->hMain : nullptr; }

void CALLBACK TakeScreenshot(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    HWND main = MainWindow();
    if (!main) return;
    if (!g_screenshotPath.empty()) {
        const bool ok = SaveWindowScreenshot(main, g_screenshotPath);
        wprintf(L"screenshot %ls: %ls\n", ok ? L"written" : L"FAILED", g_screenshotPath.c_str());
        fflush(stdout);
        if (!ok) g_exitCode = 1;
    }
    if (g_exitAfterShot) DestroyWindow(main);
}

void CALLBACK StartScene(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (g_pPreview) {
        PlaySrdPreview(*g_pPreview);
        TakeScreenshot(nullptr, 0, 0, 0);
        return;
    }
    if (!g_pScene) return;
    if (!PlayScene(g_scene.c_str(), *g_pScene)) {
        fwprintf(stderr, L"demo: unknown scene %ls\n", g_scene.c_str());
        g_exitCode = 2;
        DestroyWindow(g_pScene->hMain);
        return;
    }
    // Read back at once: the next paint of the DataWindow would take the
    // hover band and the selection frame away again.
    TakeScreenshot(nullptr, 0, 0, 0);
}

}  // namespace

int main() {
    int argc = 0;
    bool withTessel = true;
    int generation = PBSIM_DEFAULT_GENERATION;
    std::wstring srd;
    std::wstring settings = L"preview.ini";
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    for (int i = 1; argv && i < argc; ++i) {
        if (wcscmp(argv[i], L"--screenshot") == 0 && i + 1 < argc) g_screenshotPath = argv[++i];
        else if (wcscmp(argv[i], L"--exit") == 0) g_exitAfterShot = true;
        else if (wcscmp(argv[i], L"--scene") == 0 && i + 1 < argc) g_scene = argv[++i];
        else if (wcscmp(argv[i], L"--without-tessel") == 0) withTessel = false;
        else if (wcscmp(argv[i], L"--runtime") == 0 && i + 1 < argc) generation = _wtoi(argv[++i]);
        else if (wcscmp(argv[i], L"--srd") == 0 && i + 1 < argc) srd = argv[++i];
        else if (wcscmp(argv[i], L"--settings") == 0 && i + 1 < argc) settings = argv[++i];
    }
    if (argv) LocalFree(argv);

    // A PowerBuilder application has its runtime loaded before it calls us.
    RuntimeHost runtime;
    if (!runtime.Load(generation)) {
        fwprintf(stderr, L"demo: the stand-in PowerBuilder runtime of generation %d could not be loaded\n", generation);
        return 1;
    }
    TesselApi tessel;
    if (withTessel) {
        if (!tessel.Load(L"Tessel2U.dll")) {
            fwprintf(stderr, L"demo: Tessel2U.dll could not be loaded\n");
            return 1;
        }
        tessel.StartTessel();
    }

    // A scripted run keeps the mouse away from the window: only the scene
    // moves it there.
    if (g_exitAfterShot) SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    if (!srd.empty()) {
        SrdPreview preview;
        if (!withTessel || !BuildSrdPreview(runtime, tessel, srd, settings, preview)) {
            TearDownSrdPreview(preview);
            if (withTessel) tessel.StopTessel();
            return 1;
        }
        g_pPreview = &preview;
        ShowWindow(preview.hMain, SW_SHOW);
        UpdateWindow(preview.hMain);
        SetTimer(nullptr, 0, 1000, StartScene);
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            if (!IsWindow(preview.hMain)) break;
        }
        g_pPreview = nullptr;
        TearDownSrdPreview(preview);
        tessel.StopTessel();
        return g_exitCode;
    }
    DemoScene scene;
    if (!BuildScene(runtime, withTessel ? &tessel : nullptr, scene)) return 1;
    g_pScene = &scene;
    ShowWindow(scene.hMain, SW_SHOW);
    UpdateWindow(scene.hMain);
    SetTimer(nullptr, 0, 1000, StartScene);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        // The clicked events of a PowerBuilder window: a click on the grid's
        // header turns the sort mark around; the About button shows the
        // library's about box.
        if (msg.message == WM_LBUTTONUP && msg.hwnd == scene.hGrid && HIWORD(msg.lParam) < 40) ToggleSort(scene);
        if (msg.message == WM_LBUTTONUP && msg.hwnd == scene.hAbout && withTessel) tessel.DWAbout();
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        if (!IsWindow(scene.hMain)) break;
    }
    g_pScene = nullptr;
    TearDownScene(scene);
    if (withTessel) tessel.StopTessel();
    return g_exitCode;
}
