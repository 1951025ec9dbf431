// Demo host: a window of the kind a PowerBuilder application shows, with
// Tessel2U started on it. Options:
//   --screenshot <file.png>  write a screenshot of the main window once it is painted
//   --exit                   close after the screenshot (for scripted runs)
//   --scene NAME             before the screenshot the mouse plays a scene:
//                            "hover" rests over a row, "selection" drags
//                            over a block of cells, "skin" loads the
//                            skin file demo-skin.ini
#include <windows.h>

#include <cwchar>
#include <string>

#include "runtime_host.h"
#include "scene.h"
#include "screenshot.h"
#include "tessel_api.h"

namespace {

const UINT_PTR kScreenshotTimer = 1;
std::wstring g_screenshotPath;
std::wstring g_scene;
bool g_exitAfterShot = false;
DemoScene* g_pScene = nullptr;

LRESULT CALLBACK MainWndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hWnd, &ps);
        RECT rc;
        GetClientRect(hWnd, &rc);
        // The window colour as the system reports it, so that a skin file
        // that replaces it recolours the window.
        HBRUSH window = CreateSolidBrush(GetSysColor(COLOR_WINDOW));
        FillRect(hdc, &rc, window);
        DeleteObject(window);
        SetBkMode(hdc, TRANSPARENT);
        rc.left += 16;
        rc.top += 16;
        DrawTextW(hdc, L"Employees (stand-in PowerBuilder runtime 10.5, DataWindow enhanced by Tessel2U)", -1, &rc,
                  DT_LEFT | DT_TOP | DT_SINGLELINE);
        EndPaint(hWnd, &ps);
        return 0;
    }
    case WM_TIMER:
        if (wParam == kScreenshotTimer) {
            KillTimer(hWnd, kScreenshotTimer);
            // The scene's drawing is on the screen now; the next paints of
            // the DataWindow would take the hover band and the frame away.
            if (g_pScene) PlayScene(g_scene.c_str(), *g_pScene);
            if (!g_screenshotPath.empty()) {
                bool ok = SaveWindowScreenshot(hWnd, g_screenshotPath);
                wprintf(L"screenshot %ls: %ls\n", ok ? L"written" : L"FAILED", g_screenshotPath.c_str());
                fflush(stdout);
            }
            if (g_exitAfterShot) DestroyWindow(hWnd);
        }
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hWnd, msg, wParam, lParam);
}

}  // namespace

int main() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    for (int i = 1; argv && i < argc; ++i) {
        if (wcscmp(argv[i], L"--screenshot") == 0 && i + 1 < argc) g_screenshotPath = argv[++i];
        else if (wcscmp(argv[i], L"--exit") == 0) g_exitAfterShot = true;
        else if (wcscmp(argv[i], L"--scene") == 0 && i + 1 < argc) g_scene = argv[++i];
    }
    if (argv) LocalFree(argv);

    // A PowerBuilder application has its runtime loaded before it calls us.
    RuntimeHost runtime;
    if (!runtime.Load(105)) {
        fwprintf(stderr, L"demo: the stand-in PowerBuilder runtime could not be loaded\n");
        return 1;
    }
    TesselApi tessel;
    if (!tessel.Load(L"Tessel2U.dll")) {
        fwprintf(stderr, L"demo: Tessel2U.dll could not be loaded\n");
        return 1;
    }
    tessel.StartTessel();

    HINSTANCE hInst = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = hInst;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"Tessel2UDemo";
    RegisterClassExW(&wc);
    HWND hMain = CreateWindowExW(0, wc.lpszClassName, L"Tessel2U demo", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                 20, 20, 900, 600, nullptr, nullptr, hInst, nullptr);
    DemoScene scene;
    BuildScene(hMain, runtime, tessel, scene);
    g_pScene = &scene;
    ShowWindow(hMain, SW_SHOW);
    UpdateWindow(hMain);
    SetTimer(hMain, kScreenshotTimer, 1500, nullptr);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        // A click on the grid's header toggles the sort mark (the clicked
        // event of a PowerBuilder window; header rows are the top 40 pixels).
        if (msg.message == WM_LBUTTONUP && msg.hwnd == scene.hGrid && HIWORD(msg.lParam) < 40) ToggleSort(scene);
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    g_pScene = nullptr;
    TearDownScene(tessel, scene);
    tessel.StopTessel();
    return 0;
}
