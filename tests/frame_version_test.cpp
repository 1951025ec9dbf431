// The release the library says it is: its version resource as version.dll
// reads it from the file (the strings Explorer shows), and the about box, a real message box caught with a
// CBT hook, read and closed with its OK button.
#include <gtest/gtest.h>
#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

#include "tessel_dll.h"

namespace {

// The boxes seen, each as its caption and then its visible controls in order:
// texts, "(information icon)" or "(other icon)", "(button <id>)".
std::vector<std::wstring> g_boxes;
HHOOK g_hook = nullptr;

LRESULT CALLBACK CatchBox(int code, WPARAM wParam, LPARAM lParam) {
    HWND box = reinterpret_cast<HWND>(wParam);
    wchar_t cls[16] = {}, text[512] = {};
    if (code == HCBT_ACTIVATE && GetClassNameW(box, cls, 16) && lstrcmpW(cls, L"#32770") == 0) {
        GetWindowTextW(box, text, 512);
        std::wstring seen = text;
        for (HWND c = nullptr; (c = FindWindowExW(box, c, nullptr, nullptr)) != nullptr;) {
            const LONG style = GetWindowLongW(c, GWL_STYLE);
            GetClassNameW(c, cls, 16);
            const auto icon = reinterpret_cast<HICON>(SendMessageW(c, STM_GETICON, 0, 0));
            if (!(style & WS_VISIBLE)) continue;
            if (lstrcmpiW(cls, L"Button") == 0) seen += L"|(button " + std::to_wstring(GetDlgCtrlID(c)) + L")";
            else if ((style & SS_TYPEMASK) == SS_ICON)
                seen += icon == LoadIconW(nullptr, IDI_INFORMATION) ? L"|(information icon)" : L"|(other icon)";
            else if (GetWindowTextW(c, text, 512) > 0) seen += L"|" + std::wstring(text);
        }
        g_boxes.push_back(seen);
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

}  // namespace

// Catches a string, version number, file type or debug flag of the resource out
// of step with the release.
TEST(Release, VersionResource) {
    TesselDll dll;
    wchar_t path[MAX_PATH] = {};
    ASSERT_TRUE(dll.h && GetModuleFileNameW(dll.h, path, MAX_PATH));
    DWORD ignored = 0;
    std::vector<BYTE> block(GetFileVersionInfoSizeW(path, &ignored), 0);
    ASSERT_TRUE(!block.empty() && GetFileVersionInfoW(path, 0, static_cast<DWORD>(block.size()), block.data()));
    UINT length = 0;
    for (const wchar_t* pair : {L"FileVersion=1.0.0", L"ProductName=Tessel2U", L"OriginalFilename=Tessel2U.dll"}) {
        const std::wstring name(pair, wcschr(pair, L'=') - pair);
        void* text = nullptr;
        ASSERT_TRUE(VerQueryValueW(block.data(), (L"\\StringFileInfo\\040904B0\\" + name).c_str(), &text, &length));
        EXPECT_EQ(name + L"=" + static_cast<const wchar_t*>(text), pair);
    }
    VS_FIXEDFILEINFO* f = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&f), &length));
    EXPECT_EQ((std::vector<DWORD>{f->dwFileVersionMS, f->dwFileVersionLS, f->dwFileType,
                                  f->dwFileFlags & f->dwFileFlagsMask & (VS_FF_DEBUG | VS_FF_PRERELEASE)}),
              (std::vector<DWORD>{0x00010000u, 0, VFT_DLL, 0}));
}

// Catches a wrong caption, text, button or icon of the about box.
TEST(Release, AboutBoxShowsTheReleaseOnALineOfItsOwn) {
    TesselDll dll;
    g_hook = SetWindowsHookExW(WH_CBT, CatchBox, nullptr, GetCurrentThreadId());
    ASSERT_NE(g_hook, nullptr);
    const int result = dll.DWAbout();
    UnhookWindowsHookEx(g_hook);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(g_boxes, std::vector<std::wstring>{
                           L"\u5173\u4E8E...|(information icon)|(button 1)|PB10\u53CA\u4EE5\u4E0A\u4F7F\u7528\u6B64"
                           L"\u7248\u672C\n\n\u4F5C\u8005\uFF1ATessel2U \u9879\u76EE\nTessel2U 1.0.0"});
}
