// Messages of the errors that loading a definition and Modify report, each
// after "Line L Column C: ".
#pragma once

namespace pbsim {

inline constexpr const wchar_t* kErrIncorrectSyntax = L"incorrect syntax.";
inline constexpr const wchar_t* kErrUnknownObject = L"unknown object name.";
inline constexpr const wchar_t* kErrUnknownProperty = L"unknown property.";
inline constexpr const wchar_t* kErrReadOnly = L"property is read only.";
inline constexpr const wchar_t* kErrInvalidValue = L"invalid value.";
inline constexpr const wchar_t* kErrBadExpression = L"expression is not valid.";
inline constexpr const wchar_t* kErrDuplicateName = L"object name already exists.";
inline constexpr const wchar_t* kErrUnknownBand = L"unknown band.";
inline constexpr const wchar_t* kErrUnknownColumn = L"unknown column.";

}  // namespace pbsim
