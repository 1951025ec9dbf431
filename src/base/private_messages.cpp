#include "base/private_messages.h"

const PrivateMessage kPrivateMessages[] = {
    {WM_DW_SORT, "WM_DW_SORT", MessageSender::Runtime, -1},
    {WM_DW_PAGEINFO, "WM_DW_PAGEINFO", MessageSender::Library, -1},
    {WM_DW_REFRESH, "WM_DW_REFRESH", MessageSender::Library, -1},
    {WM_DW_ATTACHED, "WM_DW_ATTACHED", MessageSender::Library, -1},
    {WM_DW_SETLINECOLOR, "WM_DW_SETLINECOLOR", MessageSender::Host, 0},
    {WM_DW_SETBORDERCOLOR, "WM_DW_SETBORDERCOLOR", MessageSender::Host, 1},
    {WM_DW_SETBACKCOLOR, "WM_DW_SETBACKCOLOR", MessageSender::Host, 2},
    {WM_DW_SETALTERCOLOR, "WM_DW_SETALTERCOLOR", MessageSender::Host, 3},
    {WM_DW_SETSELECTEDCOLOR, "WM_DW_SETSELECTEDCOLOR", MessageSender::Host, 4},
    {WM_DW_SETSELECTROWCOLOR, "WM_DW_SETSELECTROWCOLOR", MessageSender::Host, 5},
    {WM_DW_SETHOVERCOLOR, "WM_DW_SETHOVERCOLOR", MessageSender::Host, 6},
    {WM_DW_SIDEBAR, "WM_DW_SIDEBAR", MessageSender::Host, -1},
    {WM_DW_INFOTARGET, "WM_DW_INFOTARGET", MessageSender::Host, -1},
};

const size_t kPrivateMessageCount = sizeof(kPrivateMessages) / sizeof(kPrivateMessages[0]);

int PrivateMessageColourKind(UINT msg) {
    for (size_t i = 0; i < kPrivateMessageCount; ++i)
        if (kPrivateMessages[i].number == msg) return kPrivateMessages[i].colourKind;
    return -1;
}
