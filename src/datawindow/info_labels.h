// The captions of the information texts (selection statistics and page
// information) in the user's language. Three places give one: the settings
// file of the DataWindow (its own, read with its other settings), the
// process-wide labels that the host sets with SetInfoLabel, and the library's
// default texts, in that order of precedence.
#pragma once

#include <windows.h>

#include <cstddef>

#include "datawindow/info_label_keys.h"

class IniSection;

// The longest caption kept, in UTF-16 units; a longer one is cut there
// (never between the two halves of a surrogate pair).
constexpr size_t kInfoLabelMaxChars = 63;

// One caption per label; an empty one is not set.
class InfoLabels {
public:
    void Clear();
    // Keeps at most kInfoLabelMaxChars units of text; null or empty clears.
    void Set(int label, const wchar_t* text);
    // The caption, or null when it is not set (or label is out of range).
    const wchar_t* Get(int label) const;

    // The label keys of section "datawindow" of a settings file: every label
    // is first cleared, then set from its key when the key has a value.
    void Read(const IniSection& section);
    // The same through the profile functions, key by key.
    void ReadProfile(const wchar_t* section, const wchar_t* path);

private:
    wchar_t m_text[kInfoLabelCount][kInfoLabelMaxChars + 1] = {};
};

// The label whose key this is (letter case of ASCII letters ignored), or -1.
int FindInfoLabel(const wchar_t* key);

// The labels that SetInfoLabel set for the whole process.
InfoLabels& ProcessInfoLabels();

// The caption in force: the DataWindow's own, else the process-wide one,
// else the default text.
const wchar_t* InfoLabelText(const InfoLabels& own, int label);
