// Syntax tree of a parsed DataWindow expression (internal to the expression
// reader and evaluator).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/expression.h"

namespace pbsim {

struct ExprNode {
  enum Kind { Literal, Identifier, Unary, Binary, Call } kind = Literal;
  ExprValue literal;            // Literal
  std::wstring name;            // Identifier, Call (lower-cased for calls)
  std::wstring op;              // Unary: "-", "+", "not"; Binary: "+", "=", "and", ...
  std::vector<std::unique_ptr<ExprNode>> children;
};

}  // namespace pbsim
