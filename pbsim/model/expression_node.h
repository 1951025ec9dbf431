// Syntax tree of a parsed DataWindow expression (internal to the expression
// reader and evaluator).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/expression.h"

namespace pbsim {

// Case: children[0] the value tested, then one When per branch and, last,
// an Else when there is one. When: its Match nodes, then the result. Match:
// op "=" (one child, the value), "to" (two children, the ends of a range) or
// "is<", "is<=", "is>", "is>=", "is=", "is<>" (one child, the compared value).
// Aggregates are Calls with a scope: "all", "group" (scopeLevel N), "page".
struct ExprNode {
    enum Kind { Literal, Identifier, Unary, Binary, Call, Case, When, Else, Match } kind = Literal;
    ExprValue literal;   // Literal
    std::wstring name;   // Identifier, Call (lower-cased for calls)
    std::wstring op;     // Unary: "-", "+", "not"; Binary: "+", "=", "and", ...; Match
    long rowOffset = 0;  // Identifier: name[rowOffset], 0 for the evaluated row
    std::wstring scope;  // Call of an aggregate: "all", "group", "page"; "" when not given
    int scopeLevel = 0;  // the N of "for group N"
    std::vector<std::unique_ptr<ExprNode>> children;
};

}  // namespace pbsim
