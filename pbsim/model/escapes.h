// The tilde escapes of the DataWindow syntax: ~t tab, ~r carriage return,
// ~n line feed, ~f ~v ~b, ~' ~" ~~ themselves, ~ddd a decimal character code,
// ~hXX a hexadecimal one; a tilde before any other character stands for that
// character.
#pragma once

#include <string>

namespace pbsim {

// text[pos] is a tilde: appends the character it escapes to out and returns
// the index after the escape. A tilde at the very end stands for itself.
size_t DecodeTildeEscape(const std::wstring& text, size_t pos, std::wstring& out);

// Decodes every escape of a text.
std::wstring DecodeTildes(const std::wstring& text);

// Escapes a value for writing between double quotes in the definition:
// ~ " tab, carriage return and line feed become ~~ ~" ~t ~r ~n.
std::wstring EscapeForDoubleQuotes(const std::wstring& value);

}  // namespace pbsim
