#include "model/value_check.h"

#include "model/error_text.h"
#include "model/expression.h"
#include "model/property_catalog.h"
#include "model/wide_text.h"

namespace pbsim {

bool IsIntegerText(const std::wstring& text) {
    const std::wstring t = Trim(text);
    size_t i = 0;
    if (i < t.size() && (t[i] == L'+' || t[i] == L'-')) ++i;
    if (i >= t.size()) return false;
    for (; i < t.size(); ++i) {
        if (t[i] < L'0' || t[i] > L'9') return false;
    }
    return true;
}

bool CheckPropertyValue(const std::wstring& lowerKey, const std::wstring& value, const wchar_t** message,
                        size_t* offset) {
    // A computed field's expression is an expression as a whole: blanks in
    // it, tabs included, only separate its parts.
    if (lowerKey == L"expression") return true;
    std::wstring defaultPart;
    std::wstring expressionPart;
    if (SplitExpressionValue(value, &defaultPart, &expressionPart)) {
        size_t errorOffset = 0;
        if (!Expression::Parse(expressionPart, &errorOffset)) {
            if (message) *message = kErrBadExpression;
            if (offset) *offset = value.find(L'\t') + 1 + errorOffset;
            return false;
        }
        return true;
    }
    if (IsIntegerProperty(lowerKey) && !IsIntegerText(value)) {
        if (message) *message = kErrInvalidValue;
        if (offset) *offset = 0;
        return false;
    }
    return true;
}

}  // namespace pbsim
