#include "header/info_tip.h"

#include <commctrl.h>

#include <cstddef>
#include <cwchar>

#include "datawindow/dw_object.h"
#include "base/real_functions.h"

namespace {

constexpr UINT_PTR kToolId = 7817;
// The size of the first tool-information layout (up to the text), which
// every version of the control takes: 44 bytes in 32-bit code, 56 in 64-bit.
constexpr UINT kToolInfoSize = offsetof(TOOLINFOW, lParam);

TOOLINFOW Tool(const DWObject& dw) {
    TOOLINFOW tool = {};
    tool.cbSize = kToolInfoSize;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = dw.m_hWnd;
    tool.uId = kToolId;
    return tool;
}

bool CreateTip(DWObject& dw) {
    dw.m_hToolTip = Real_CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                         WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                                         CW_USEDEFAULT, CW_USEDEFAULT, dw.m_hWnd, nullptr, nullptr, nullptr);
    if (!dw.m_hToolTip) return false;
    TOOLINFOW tool = Tool(dw);
    GetClientRect(dw.m_hWnd, &tool.rect);
    wchar_t empty[1] = {L'\0'};
    tool.lpszText = empty;
    SendMessageW(dw.m_hToolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(dw.m_hToolTip, TTM_SETDELAYTIME, TTDT_INITIAL, 0);
    SendMessageW(dw.m_hToolTip, TTM_SETDELAYTIME, TTDT_AUTOPOP, 5000);
    return true;
}

}  // namespace

void DestroyOwnTooltip(HWND hToolTip) {
    if (!hToolTip || !IsWindow(hToolTip)) return;
    if (GetWindowThreadProcessId(hToolTip, nullptr) != GetCurrentThreadId()) return;
    wchar_t cls[32] = {};
    if (GetClassNameW(hToolTip, cls, 32) == 0 || _wcsicmp(cls, TOOLTIPS_CLASSW) != 0) return;
    Real_DestroyWindow(hToolTip);
}

int ShowInfoTip(DWObject& dw, const wchar_t* text) {
    if (!text) {
        if (dw.m_hToolTip) Real_DestroyWindow(dw.m_hToolTip);
        dw.m_hToolTip = nullptr;
        return 1;
    }
    if (!dw.m_hToolTip && !CreateTip(dw)) return 0;
    if (dw.m_hInfoTarget) {
        SetWindowTextW(dw.m_hInfoTarget, text);
        return 1;
    }
    SendMessageW(dw.m_hToolTip, TTM_SETMAXTIPWIDTH, 0, 32767);
    TOOLINFOW tool = Tool(dw);
    GetWindowRect(GetDesktopWindow(), &tool.rect);
    tool.lpszText = const_cast<wchar_t*>(text);
    SendMessageW(dw.m_hToolTip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(dw.m_hToolTip, TTM_POPUP, 0, 0);
    return 1;
}
