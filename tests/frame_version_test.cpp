// The release the library says it is: its version resource as the version
// API of the system reads it from the file, and the about box, a real
// message box caught with a CBT hook, read and closed.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tessel_dll.h"

namespace {

// The library a host loads by name, and its file's version resource.
class Release : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        TesselDll dll;
        ASSERT_NE(dll.h, nullptr);
        wchar_t path[MAX_PATH] = {};
        ASSERT_GT(GetModuleFileNameW(dll.h, path, MAX_PATH), 0u);
        s_path = path;
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
        ASSERT_GT(size, 0u) << "no version resource in " << std::string(s_path.begin(), s_path.end());
        s_block.assign(size, 0);
        ASSERT_TRUE(GetFileVersionInfoW(path, 0, size, s_block.data()));
    }

    // The string value of the English (United States), Unicode table; null
    // when the table has no such value.
    static const wchar_t* StringValue(const wchar_t* name) {
        const std::wstring sub = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
        void* value = nullptr;
        UINT length = 0;
        if (!VerQueryValueW(s_block.data(), sub.c_str(), &value, &length) || !value || length == 0) return nullptr;
        return static_cast<const wchar_t*>(value);
    }

    static const VS_FIXEDFILEINFO* Fixed() {
        void* value = nullptr;
        UINT length = 0;
        if (!VerQueryValueW(s_block.data(), L"\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO))
            return nullptr;
        return static_cast<const VS_FIXEDFILEINFO*>(value);
    }

    static std::wstring s_path;
    static std::vector<BYTE> s_block;
};
std::wstring Release::s_path;
std::vector<BYTE> Release::s_block;

struct StringEntry {
    const wchar_t* name;
    const wchar_t* value;
};

const StringEntry kStrings[] = {
    {L"FileVersion", L"1.0.0"},
    {L"ProductVersion", L"1.0.0"},
    {L"ProductName", L"Tessel2U"},
    {L"OriginalFilename", L"Tessel2U.dll"},
    {L"InternalName", L"Tessel2U"},
    {L"CompanyName", L"The Tessel2U developers"},
    {L"LegalCopyright", L"Copyright (C) 2026 the Tessel2U developers"},
    {L"FileDescription", L"Tessel2U: a modern look for the DataWindow controls of PowerBuilder applications"},
};

void PrintTo(const StringEntry& entry, std::ostream* os) {
    for (const wchar_t* p = entry.name; *p; ++p) *os << static_cast<char>(*p);
}

class ReleaseString : public Release, public ::testing::WithParamInterface<StringEntry> {};

// ---------------------------------------------------------------- the about box

struct CapturedBox {
    std::wstring caption;
    std::wstring text;
    int visibleButtons = 0;
    bool okButton = false;
    HICON icon = nullptr;
    int seen = 0;
};
CapturedBox g_box;
HHOOK g_hook = nullptr;

BOOL CALLBACK ReadChild(HWND child, LPARAM) {
    wchar_t cls[32] = {};
    GetClassNameW(child, cls, 32);
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    if (lstrcmpiW(cls, L"Button") == 0 && (style & WS_VISIBLE)) {
        ++g_box.visibleButtons;
        if (GetDlgCtrlID(child) == IDOK) g_box.okButton = true;
    } else if (lstrcmpiW(cls, L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON) {
        g_box.icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
    } else if (lstrcmpiW(cls, L"Static") == 0) {
        wchar_t text[512] = {};
        GetWindowTextW(child, text, 512);
        if (text[0]) g_box.text = text;  // the message
    }
    return TRUE;
}

// Reads the message box when it becomes active and closes it with its OK
// button, as a user would.
LRESULT CALLBACK CatchBox(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        HWND box = reinterpret_cast<HWND>(wParam);
        wchar_t cls[16] = {};
        GetClassNameW(box, cls, 16);
        if (lstrcmpW(cls, L"#32770") == 0) {
            ++g_box.seen;
            wchar_t buffer[512] = {};
            GetWindowTextW(box, buffer, 512);
            g_box.caption = buffer;
            EnumChildWindows(box, ReadChild, 0);
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        }
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

}  // namespace

TEST_P(ReleaseString, IsTheLiteral) {
    const wchar_t* value = StringValue(GetParam().name);
    ASSERT_NE(value, nullptr) << "no value " << std::string(GetParam().name, GetParam().name + wcslen(GetParam().name));
    EXPECT_STREQ(value, GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Resource, ReleaseString, ::testing::ValuesIn(kStrings),
                         [](const ::testing::TestParamInfo<StringEntry>& info) {
                             const std::wstring name = info.param.name;
                             return std::string(name.begin(), name.end());
                         });

TEST_F(Release, FixedPartIsOneZeroZeroZeroOfADll) {
    const VS_FIXEDFILEINFO* fixed = Fixed();
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), 1u);
    EXPECT_EQ(LOWORD(fixed->dwFileVersionMS), 0u);
    EXPECT_EQ(HIWORD(fixed->dwFileVersionLS), 0u);
    EXPECT_EQ(LOWORD(fixed->dwFileVersionLS), 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
    EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask & (VS_FF_DEBUG | VS_FF_PRERELEASE), 0u);
}

TEST_F(Release, TranslationNamesTheOneStringTable) {
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(s_block.data(), L"\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 4u);
    const WORD* pair = static_cast<const WORD*>(value);
    EXPECT_EQ(pair[0], 0x0409);
    EXPECT_EQ(pair[1], 1200);
}

TEST_F(Release, AboutBoxShowsTheReleaseOnALineOfItsOwn) {
    TesselDll dll;
    ASSERT_NE(dll.DWAbout, nullptr);
    g_box = CapturedBox();
    g_hook = SetWindowsHookExW(WH_CBT, CatchBox, nullptr, GetCurrentThreadId());
    ASSERT_NE(g_hook, nullptr);
    const int result = dll.DWAbout();
    UnhookWindowsHookEx(g_hook);
    g_hook = nullptr;

    EXPECT_EQ(result, 0);
    ASSERT_EQ(g_box.seen, 1);
    EXPECT_EQ(g_box.caption, L"\u5173\u4E8E...");
    EXPECT_EQ(g_box.text,
              L"PB10\u53CA\u4EE5\u4E0A\u4F7F\u7528\u6B64\u7248\u672C\n\n"
              L"\u4F5C\u8005\uFF1ATessel2U \u9879\u76EE\n"
              L"Tessel2U 1.0.0");
    // MB_OK | MB_ICONINFORMATION: one button, OK, and the information icon.
    EXPECT_EQ(g_box.visibleButtons, 1);
    EXPECT_TRUE(g_box.okButton);
    EXPECT_EQ(g_box.icon, LoadIconW(nullptr, IDI_INFORMATION));
}
