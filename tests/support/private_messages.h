// The message numbers a host sends an attached DataWindow, as the
// PowerBuilder kit documents them.
#pragma once

#include <windows.h>

constexpr UINT kPageInfoMessage = 11021;
constexpr UINT kRefreshMessage = 11022;
constexpr UINT kAttachDoneMessage = 11023;
constexpr UINT kBackColorMessage = 11027;
constexpr UINT kAlterColorMessage = 11028;
constexpr UINT kHoverColorMessage = 11039;
constexpr UINT kSideBarMessage = 11040;
constexpr UINT kInfoTargetMessage = 11041;
