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

bool IsObjectBand(const std::wstring& lowerName) {
  return IsHeightBand(lowerName) || lowerName == L"foreground" || lowerName == L"background";
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
  }
  return L"text";
}

bool ObjectKindFromName(const std::wstring& name, ObjectKind* kind) {
  static const ObjectKind kAll[] = {ObjectKind::Text, ObjectKind::Column, ObjectKind::Compute,
                                    ObjectKind::Button, ObjectKind::Line, ObjectKind::Graph};
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
  static const wchar_t* const kNumeric[] = {L"long", L"ulong", L"int", L"integer", L"number",
                                            L"real", L"double", L"decimal"};
  for (const wchar_t* n : kNumeric) {
    if (t == n || StartsWithNoCase(t, std::wstring(n) + L"(")) return true;
  }
  return false;
}

}  // namespace pbsim
