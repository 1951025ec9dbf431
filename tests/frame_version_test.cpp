// The release the library says it is: its version resource as version.dll
// reads it from the file, and the about box, a real message box caught with a
// CBT hook, read and closed with its OK button.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tessel_dll.h"

namespace {

struct CapturedBox {
    std::wstring caption, text;
    int visibleButtons = 0, seen = 0;
    bool okButton = false;
    HICON icon = nullptr;
} g_box;
HHOOK g_hook = nullptr;

BOOL CALLBACK ReadChild(HWND child, LPARAM) {
    wchar_t cls[32] = {}, text[512] = {};
    GetClassNameW(child, cls, 32);
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    if (lstrcmpiW(cls, L"Button") == 0 && (style & WS_VISIBLE)) {
        ++g_box.visibleButtons;
        g_box.okButton = g_box.okButton || GetDlgCtrlID(child) == IDOK;
    } else if (lstrcmpiW(cls, L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON) {
        g_box.icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
    } else if (lstrcmpiW(cls, L"Static") == 0 && GetWindowTextW(child, text, 512) > 0) {
        g_box.text = text;
    }
    return TRUE;
}

LRESULT CALLBACK CatchBox(int code, WPARAM wParam, LPARAM lParam) {
    HWND box = reinterpret_cast<HWND>(wParam);
    wchar_t cls[16] = {}, caption[512] = {};
    if (code == HCBT_ACTIVATE && GetClassNameW(box, cls, 16) && lstrcmpW(cls, L"#32770") == 0) {
        ++g_box.seen;
        GetWindowTextW(box, caption, 512);
        g_box.caption = caption;
        EnumChildWindows(box, ReadChild, 0);
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
    ASSERT_FALSE(block.empty()) << "no version resource in Tessel2U.dll";
    ASSERT_TRUE(GetFileVersionInfoW(path, 0, static_cast<DWORD>(block.size()), block.data()));
    auto value = [&](const std::wstring& sub, UINT* length) -> const void* {
        void* found = nullptr;
        return VerQueryValueW(block.data(), sub.c_str(), &found, length) ? found : nullptr;
    };
    const wchar_t* const strings[][2] = {
        {L"FileVersion", L"1.0.0"},
        {L"ProductVersion", L"1.0.0"},
        {L"ProductName", L"Tessel2U"},
        {L"OriginalFilename", L"Tessel2U.dll"},
        {L"InternalName", L"Tessel2U"},
        {L"CompanyName", L"The Tessel2U developers"},
        {L"LegalCopyright", L"Copyright (C) 2026 the Tessel2U developers"},
        {L"FileDescription", L"Tessel2U: a modern look for the DataWindow controls of PowerBuilder applications"}};
    UINT length = 0;
    for (const auto& s : strings) {
        const void* text = value(std::wstring(L"\\StringFileInfo\\040904B0\\") + s[0], &length);
        ASSERT_NE(text, nullptr) << s[0];
        EXPECT_STREQ(static_cast<const wchar_t*>(text), s[1]);
    }
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value(L"\\", &length));
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
    EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask & (VS_FF_DEBUG | VS_FF_PRERELEASE), 0u);
    const auto* pair = static_cast<const WORD*>(value(L"\\VarFileInfo\\Translation", &length));
    ASSERT_NE(pair, nullptr);
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(pair[0], 0x0409);
    EXPECT_EQ(pair[1], 1200);
}

// Catches a wrong caption, text, button or icon of the about box.
TEST(Release, AboutBoxShowsTheReleaseOnALineOfItsOwn) {
    TesselDll dll;
    g_hook = SetWindowsHookExW(WH_CBT, CatchBox, nullptr, GetCurrentThreadId());
    ASSERT_NE(g_hook, nullptr);
    const int result = dll.DWAbout();
    UnhookWindowsHookEx(g_hook);
    EXPECT_EQ(result, 0);
    ASSERT_EQ(g_box.seen, 1);
    EXPECT_EQ(g_box.caption, L"\u5173\u4E8E...");
    EXPECT_EQ(g_box.text,
              L"PB10\u53CA\u4EE5\u4E0A\u4F7F\u7528\u6B64\u7248\u672C\n\n\u4F5C\u8005\uFF1ATessel2U \u9879\u76EE\n"
              L"Tessel2U 1.0.0");
    EXPECT_EQ(g_box.visibleButtons, 1);
    EXPECT_TRUE(g_box.okButton);
    EXPECT_EQ(g_box.icon, LoadIconW(nullptr, IDI_INFORMATION));
}
