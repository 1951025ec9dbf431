#include "model/object_builder.h"

#include "model/error_text.h"
#include "model/property_catalog.h"
#include "model/scanner.h"
#include "model/value_check.h"
#include "model/wide_text.h"

namespace pbsim {

namespace {

// Letters of every script: ASCII letters and every character beyond ASCII.
bool IsLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || c > 127; }

}  // namespace

bool IsControlName(const std::wstring& name) {
    if (name.empty() || !(IsLetter(name[0]) || name[0] == L'_')) return false;
    for (wchar_t c : name) {
        const bool allowed =
            IsLetter(c) || (c >= L'0' && c <= L'9') || c == L'_' || c == L'-' || c == L'$' || c == L'#' || c == L'%';
        if (!allowed) return false;
    }
    return true;
}

bool BuildObject(const DataWindowModel& model, ObjectKind kind, const std::vector<Attribute>& attributes,
                 DwObject* object, BuildError* error, BuildMode mode) {
    DwObject built;
    built.kind = kind;
    size_t nameOffset = 0;
    for (const Attribute& a : attributes) {
        const std::wstring key = ToLowerAscii(a.key);
        if (key == L"name") {
            built.name = Trim(a.value);
            nameOffset = a.valueOffset;
            if (!built.name.empty() && !IsControlName(built.name)) {
                *error = {a.valueOffset, kErrInvalidValue};
                return false;
            }
            continue;
        }
        std::wstring value = a.value;
        if (key == L"band") {
            value = ToLowerAscii(Trim(value));
            if (!IsObjectBand(value)) {
                *error = {a.valueOffset, kErrUnknownBand};
                return false;
            }
        }
        const wchar_t* message = nullptr;
        size_t offset = 0;
        if (!a.isList && !CheckPropertyValue(key, value, &message, &offset) &&
            (mode == BuildMode::Modify || IsIntegerProperty(key))) {
            *error = {a.valueOffset, message};
            return false;
        }
        built.props.Set(key, value);
    }
    if (kind == ObjectKind::Column) {
        const std::wstring* id = built.props.Find(L"id");
        if (!id) {
            const int byName = model.ColumnIdByName(built.name);
            if (byName == 0) {
                *error = {nameOffset, kErrUnknownColumn};
                return false;
            }
            built.props.Set(L"id", IntToText(byName));
        } else if (LeadingInteger(*id) < 1 || LeadingInteger(*id) > model.ColumnCount()) {
            size_t offset = 0;
            for (const Attribute& a : attributes) {
                if (EqualsNoCase(a.key, L"id")) offset = a.valueOffset;
            }
            *error = {offset, kErrUnknownColumn};
            return false;
        }
    }
    if (!built.name.empty() && model.FindObject(built.name)) {
        *error = {nameOffset, kErrDuplicateName};
        return false;
    }
    *object = built;
    return true;
}

}  // namespace pbsim
