// A text, button or span-title object of a DataWindow that the header code
// works on.
#pragma once

#include <windows.h>

// Header fields are the columns and computed fields of a grid's header band:
// they move down with the labels when title rows are added.
enum HeaderObjectKind { kSpanTitle = 0, kHeaderText = 1, kButton = 2, kHeaderField = 3 };

// Object names of real DataWindows run past PowerBuilder's documented 40
// characters; anything longer than this is not recorded.
constexpr size_t kHeaderNameCapacity = 256;

struct HeaderObject {
    wchar_t name[kHeaderNameCapacity] = {};
    int kind = kHeaderText;
    // A header text stretched down to the bottom of the header: from y 0 in
    // a header of one row of labels, from its own top in a header with
    // labels on several rows. Labels above others keep their place.
    bool stretched = true;
    // Its top within the header (DataWindow units, title rows not counted).
    int top = 0;
};
