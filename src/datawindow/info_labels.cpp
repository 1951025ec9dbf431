#include "datawindow/info_labels.h"

#include <cwchar>
#include <string>

#include "base/ini_section.h"

namespace {

InfoLabels g_processInfoLabels;

bool InRange(int label) { return label >= 0 && label < kInfoLabelCount; }

wchar_t FoldAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }

}  // namespace

void InfoLabels::Clear() {
    for (auto& text : m_text) text[0] = L'\0';
}

void InfoLabels::Set(int label, const wchar_t* text) {
    if (!InRange(label)) return;
    wchar_t* out = m_text[label];
    size_t n = 0;
    if (text) {
        while (n < kInfoLabelMaxChars && text[n]) ++n;
        // A character of two units that the cut would halve goes whole.
        if (text[n] && n > 0 && IsHighSurrogate(text[n - 1])) --n;
        wmemcpy(out, text, n);
    }
    out[n] = L'\0';
}

const wchar_t* InfoLabels::Get(int label) const {
    if (!InRange(label) || m_text[label][0] == L'\0') return nullptr;
    return m_text[label];
}

void InfoLabels::Read(const IniSection& section) {
    Clear();
    for (int label = 0; label < kInfoLabelCount; ++label) {
        if (const wchar_t* value = section.Find(kInfoLabelKeys[label].key)) Set(label, IniValueToString(value).c_str());
    }
}

void InfoLabels::ReadProfile(const wchar_t* section, const wchar_t* path) {
    Clear();
    // One unit more than is kept, so that a cut can see the unit after it.
    wchar_t value[kInfoLabelMaxChars + 2];
    for (int label = 0; label < kInfoLabelCount; ++label) {
        value[0] = L'\0';
        GetPrivateProfileStringW(section, kInfoLabelKeys[label].key, L"", value, kInfoLabelMaxChars + 2, path);
        Set(label, value);
    }
}

int FindInfoLabel(const wchar_t* key) {
    if (!key) return -1;
    for (int label = 0; label < kInfoLabelCount; ++label) {
        const wchar_t* name = kInfoLabelKeys[label].key;
        size_t i = 0;
        while (name[i] && FoldAscii(key[i]) == name[i]) ++i;
        if (!name[i] && !key[i]) return label;
    }
    return -1;
}

InfoLabels& ProcessInfoLabels() { return g_processInfoLabels; }

const wchar_t* InfoLabelText(const InfoLabels& own, int label) {
    if (!InRange(label)) return L"";
    if (const wchar_t* text = own.Get(label)) return text;
    if (const wchar_t* text = g_processInfoLabels.Get(label)) return text;
    return kInfoLabelKeys[label].defaultText;
}
