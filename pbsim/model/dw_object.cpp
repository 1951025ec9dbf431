#include "model/dw_object.h"

#include "model/wide_text.h"

namespace pbsim {

const wchar_t* const kBandNames[4] = {L"header", L"summary", L"footer", L"detail"};

bool IsHeightBand(const std::wstring& lowerName) {
    for (const wchar_t* band : kBandNames) {
        if (lowerName == band) return true;
    }
    return false;
}

namespace {

// Digits from `pos` to the end (or up to `end`): a number from 1 up.
bool ReadBandNumber(const std::wstring& text, size_t pos, size_t end, int* number) {
    if (pos >= end || end - pos > 4) return false;
    int value = 0;
    for (size_t i = pos; i < end; ++i) {
        if (text[i] < L'0' || text[i] > L'9') return false;
        value = value * 10 + (text[i] - L'0');
    }
    if (value < 1) return false;
    *number = value;
    return true;
}

}  // namespace

bool ParseGroupBandName(const std::wstring& lowerName, int* level, bool* trailer) {
    size_t prefix = 0;
    bool isTrailer = false;
    if (lowerName.compare(0, 7, L"header.") == 0) {
        prefix = 7;
    } else if (lowerName.compare(0, 8, L"trailer.") == 0) {
        prefix = 8;
        isTrailer = true;
    } else {
        return false;
    }
    int number = 0;
    if (!ReadBandNumber(lowerName, prefix, lowerName.size(), &number)) return false;
    if (level) *level = number;
    if (trailer) *trailer = isTrailer;
    return true;
}

bool ParseCrosstabBandName(const std::wstring& lowerName, int* row) {
    if (lowerName.size() < 9 || lowerName.compare(0, 7, L"header[") != 0 || lowerName.back() != L']') return false;
    int number = 0;
    if (!ReadBandNumber(lowerName, 7, lowerName.size() - 1, &number)) return false;
    if (row) *row = number;
    return true;
}

bool IsObjectBand(const std::wstring& lowerName) {
    if (IsHeightBand(lowerName) || lowerName == L"foreground" || lowerName == L"background") return true;
    if (ParseGroupBandName(lowerName, nullptr, nullptr) || ParseCrosstabBandName(lowerName, nullptr)) return true;
    int level = 0;
    return lowerName.compare(0, 11, L"tree.level.") == 0 && ReadBandNumber(lowerName, 11, lowerName.size(), &level);
}

const std::wstring* PropertyList::Find(const std::wstring& key) const {
    for (const Item& item : m_items) {
        if (EqualsNoCase(item.first, key)) return &item.second;
    }
    return nullptr;
}

void PropertyList::Set(const std::wstring& key, const std::wstring& value) {
    for (Item& item : m_items) {
        if (EqualsNoCase(item.first, key)) {
            item.second = value;
            return;
        }
    }
    m_items.emplace_back(ToLowerAscii(key), value);
}

bool PropertyList::Remove(const std::wstring& key) {
    for (auto it = m_items.begin(); it != m_items.end(); ++it) {
        if (EqualsNoCase(it->first, key)) {
            m_items.erase(it);
            return true;
        }
    }
    return false;
}

const wchar_t* ObjectKindName(ObjectKind kind) {
    switch (kind) {
    case ObjectKind::Text: return L"text";
    case ObjectKind::Column: return L"column";
    case ObjectKind::Compute: return L"compute";
    case ObjectKind::Button: return L"button";
    case ObjectKind::Line: return L"line";
    case ObjectKind::Graph: return L"graph";
    case ObjectKind::Rectangle: return L"rectangle";
    case ObjectKind::RoundRectangle: return L"roundrectangle";
    case ObjectKind::Ellipse: return L"ellipse";
    case ObjectKind::Bitmap: return L"bitmap";
    case ObjectKind::GroupBox: return L"groupbox";
    case ObjectKind::Report: return L"report";
    }
    return L"text";
}

bool ObjectKindFromName(const std::wstring& name, ObjectKind* kind) {
    static const ObjectKind kAll[] = {ObjectKind::Text,      ObjectKind::Column,         ObjectKind::Compute,
                                      ObjectKind::Button,    ObjectKind::Line,           ObjectKind::Graph,
                                      ObjectKind::Rectangle, ObjectKind::RoundRectangle, ObjectKind::Ellipse,
                                      ObjectKind::Bitmap,    ObjectKind::GroupBox,       ObjectKind::Report};
    for (ObjectKind k : kAll) {
        if (EqualsNoCase(name, ObjectKindName(k))) {
            if (kind) *kind = k;
            return true;
        }
    }
    return false;
}

std::wstring DwObject::Band() const {
    const std::wstring* band = props.Find(L"band");
    return band ? ToLowerAscii(Trim(*band)) : std::wstring(L"detail");
}

int DwObject::ColumnId() const {
    if (kind != ObjectKind::Column) return 0;
    const std::wstring* id = props.Find(L"id");
    return id ? LeadingInteger(*id) : 0;
}

std::wstring TableColumn::Name() const {
    const std::wstring* name = props.Find(L"name");
    return name ? *name : std::wstring();
}

std::wstring TableColumn::Type() const {
    const std::wstring* type = props.Find(L"type");
    return type ? ToLowerAscii(Trim(*type)) : std::wstring(L"char(20)");
}

bool TableColumn::IsNumeric() const {
    const std::wstring t = Type();
    static const wchar_t* const kNumeric[] = {L"long",   L"ulong", L"int",    L"integer",
                                              L"number", L"real",  L"double", L"decimal"};
    for (const wchar_t* n : kNumeric) {
        if (t == n || StartsWithNoCase(t, std::wstring(n) + L"(")) return true;
    }
    return false;
}

}  // namespace pbsim
