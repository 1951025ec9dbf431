// Reading "key=value key=(nested list) ..." attribute lists, as definition
// items and create statements write them.
#pragma once

#include <string>
#include <vector>

#include "model/scanner.h"

namespace pbsim {

struct Attribute {
    std::wstring key;             // as written
    std::wstring value;           // decoded value; for a list, its text as written
    bool isList = false;          // value was a parenthesised key=value list
    std::vector<Attribute> list;  // the nested attributes of a list
    size_t keyOffset = 0;         // where the key starts (for error positions)
    size_t valueOffset = 0;       // where the value starts
};

// The scanner stands just after an opening "(": reads attributes up to and
// including the closing ")". On failure returns false with *errorOffset set
// where reading stopped.
bool ReadAttributeList(SyntaxScanner& scanner, std::vector<Attribute>* attributes, size_t* errorOffset);

}  // namespace pbsim
