// The keys of the captions of the information texts in section
// "datawindow" of a settings file, with the library's default captions.
#pragma once

// The labels: the four statistics of a cell selection, then the four lines
// of the page information. A caption is text (read as
// GetPrivateProfileStringW reads it); the library writes " \t " and the
// number after it.
enum InfoLabel : int {
    kSumLabel,
    kAverageLabel,
    kMaximumLabel,
    kMinimumLabel,
    kRowCountLabel,
    kFirstRowLabel,
    kLastRowLabel,
    kCurrentRowLabel,
    kInfoLabelCount
};

struct InfoLabelKey {
    const wchar_t* key;
    const wchar_t* defaultText;
};

// Indexed by InfoLabel.
extern const InfoLabelKey kInfoLabelKeys[kInfoLabelCount];
