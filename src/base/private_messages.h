// Private window messages of attached DataWindows, and their table: who
// sends each one and, for the colour messages, which colour it sets.
#pragma once

#include <windows.h>

#include <cstddef>

const UINT WM_DW_PAGEINFO = 11021;
const UINT WM_DW_REFRESH = 11022;
const UINT WM_DW_ATTACHED = 11023;
const UINT WM_DW_SETLINECOLOR = 11025;
const UINT WM_DW_SETBORDERCOLOR = 11026;
const UINT WM_DW_SETBACKCOLOR = 11027;
const UINT WM_DW_SETALTERCOLOR = 11028;
const UINT WM_DW_SETSELECTEDCOLOR = 11029;
const UINT WM_DW_SETSELECTROWCOLOR = 11030;
const UINT WM_DW_SETHOVERCOLOR = 11039;
const UINT WM_DW_SIDEBAR = 11040;
const UINT WM_DW_INFOTARGET = 11041;
const UINT WM_DW_SORT = 1308;

enum class MessageSender {
    Library,  // posted by the library to the DataWindow itself
    Host,     // sent by the application
    Runtime,  // the runtime's own message, only logged on its way
};

struct PrivateMessage {
    UINT number;
    const char* name;
    MessageSender sender;
    int colourKind;  // the SetColor kind of a colour message, else -1
};

// In ascending order of number.
extern const PrivateMessage kPrivateMessages[];
extern const size_t kPrivateMessageCount;

// The SetColor kind of a colour message; -1 for any other message.
int PrivateMessageColourKind(UINT msg);
