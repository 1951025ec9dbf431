// The release the library says it is: its version resource as version.dll
// reads it from the file, and the about box, a real message box caught with a
// CBT hook, read and closed with its OK button.
#include <gtest/gtest.h>
#include <windows.h>

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

// Catches a string, version number, file type, debug flag or translation of
// the resource out of step with the release.
TEST(Release, VersionResource) {
    TesselDll dll;
    wchar_t path[MAX_PATH] = {};
    ASSERT_TRUE(dll.h && GetModuleFileNameW(dll.h, path, MAX_PATH));
    DWORD ignored = 0;
    std::vector<BYTE> block(GetFileVersionInfoSizeW(path, &ignored), 0);
    ASSERT_TRUE(!block.empty() && GetFileVersionInfoW(path, 0, static_cast<DWORD>(block.size()), block.data()));
    UINT length = 0;
    auto value = [&](const std::wstring& sub) -> const void* {
        void* found = nullptr;
        return VerQueryValueW(block.data(), sub.c_str(), &found, &length) ? found : nullptr;
    };
    const std::wstring strings =
        L"FileVersion=1.0.0|ProductVersion=1.0.0|ProductName=Tessel2U|OriginalFilename=Tessel2U.dll|"
        L"InternalName=Tessel2U|CompanyName=The Tessel2U developers|"
        L"LegalCopyright=Copyright (C) 2026 the Tessel2U developers|"
        L"FileDescription=Tessel2U: a modern look for the DataWindow controls of PowerBuilder applications|";
    std::wstring read;
    for (size_t at = 0, eq; (eq = strings.find(L'=', at)) != std::wstring::npos; at = strings.find(L'|', eq) + 1) {
        const std::wstring name = strings.substr(at, eq - at);
        const auto* text = static_cast<const wchar_t*>(value(L"\\StringFileInfo\\040904B0\\" + name));
        read += name + L"=" + (text ? text : L"(none)") + L"|";
    }
    EXPECT_EQ(read, strings);
    const auto* f = static_cast<const VS_FIXEDFILEINFO*>(value(L"\\"));
    ASSERT_NE(f, nullptr);
    EXPECT_EQ((std::vector<DWORD>{f->dwSignature, f->dwFileVersionMS, f->dwFileVersionLS, f->dwProductVersionMS,
                                  f->dwProductVersionLS, f->dwFileType,
                                  f->dwFileFlags & f->dwFileFlagsMask & (VS_FF_DEBUG | VS_FF_PRERELEASE)}),
              (std::vector<DWORD>{0xFEEF04BDu, 0x00010000u, 0, 0x00010000u, 0, VFT_DLL, 0}));
    const auto* pair = static_cast<const WORD*>(value(L"\\VarFileInfo\\Translation"));
    ASSERT_TRUE(pair && length == 4u);
    EXPECT_EQ((std::vector<WORD>{pair[0], pair[1]}), (std::vector<WORD>{0x0409, 1200}));
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
