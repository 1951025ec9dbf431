// A text, button or span-title object of a DataWindow that the header code
// works on.
#pragma once

#include <windows.h>

enum HeaderObjectKind { kSpanTitle = 0, kHeaderText = 1, kButton = 2 };

struct HeaderObject {
    wchar_t name[32] = {};  // at most 31 characters
    int kind = kHeaderText;
};
