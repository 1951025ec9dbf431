#include "model/attribute_list.h"

namespace pbsim {

namespace {
// Nesting deeper than this is not a DataWindow definition.
const int kMaxListDepth = 32;

bool ReadList(SyntaxScanner& s, std::vector<Attribute>* out, size_t* errorOffset, int depth) {
    if (depth > kMaxListDepth) {
        *errorOffset = s.Pos();
        return false;
    }
    for (;;) {
        s.SkipBlanks();
        if (s.AtEnd()) {
            *errorOffset = s.Pos();
            return false;
        }
        if (s.Accept(L')')) return true;
        Attribute attribute;
        attribute.keyOffset = s.Pos();
        attribute.key = s.ReadName();
        if (attribute.key.empty()) {
            *errorOffset = s.Pos();
            return false;
        }
        s.SkipBlanks();
        if (!s.Accept(L'=')) {
            *errorOffset = s.Pos();
            return false;
        }
        s.SkipBlanks();
        attribute.valueOffset = s.Pos();
        const wchar_t c = s.Peek();
        if (c == L'(') {
            const size_t open = s.Pos();
            s.Advance();
            size_t nestedError = 0;
            if (ReadList(s, &attribute.list, &nestedError, depth + 1)) {
                attribute.isList = true;
                attribute.value = s.Text().substr(open, s.Pos() - open);
            } else {
                // Not a key=value list (for example arguments=(("a", string))):
                // kept as the text between the parentheses, as written.
                attribute.list.clear();
                s.SetPos(open);
                if (!s.ReadBalanced(attribute.value)) {
                    *errorOffset = open;
                    return false;
                }
            }
        } else if (c == L'\'' || c == L'"') {
            if (!s.ReadQuoted(attribute.value)) {
                *errorOffset = s.Pos();
                return false;
            }
        } else {
            attribute.value = s.ReadBare();
            if (attribute.value.empty()) {
                *errorOffset = s.Pos();
                return false;
            }
        }
        out->push_back(attribute);
    }
}
}  // namespace

bool ReadAttributeList(SyntaxScanner& scanner, std::vector<Attribute>* attributes, size_t* errorOffset) {
    size_t dummy = 0;
    return ReadList(scanner, attributes, errorOffset ? errorOffset : &dummy, 0);
}

}  // namespace pbsim
