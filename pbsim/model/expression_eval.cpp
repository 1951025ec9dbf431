// Evaluating a parsed DataWindow expression against its DataWindow.
#include <cmath>

#include "model/expression.h"
#include "model/expression_node.h"
#include "model/wide_text.h"

namespace pbsim {

std::wstring ExprValueToText(const ExprValue& value) {
  return value.type == ExprValue::Number ? FormatNumber(value.number) : value.text;
}

namespace {

class Evaluator {
 public:
  explicit Evaluator(ExpressionContext& context) : m_context(context) {}

  bool Eval(const ExprNode& node, ExprValue* out) {
    switch (node.kind) {
      case ExprNode::Literal:
        *out = node.literal;
        return true;
      case ExprNode::Identifier:
        return m_context.ColumnValue(node.name, out);
      case ExprNode::Unary:
        return EvalUnary(node, out);
      case ExprNode::Binary:
        return EvalBinary(node, out);
      case ExprNode::Call:
        return EvalCall(node, out);
    }
    return false;
  }

 private:
  bool EvalNumber(const ExprNode& node, double* out) {
    ExprValue v;
    if (!Eval(node, &v) || v.type != ExprValue::Number) return false;
    *out = v.number;
    return true;
  }

  // Conditions are numbers; 0 is false.
  bool EvalCondition(const ExprNode& node, bool* out) {
    double n = 0.0;
    if (!EvalNumber(node, &n)) return false;
    *out = n != 0.0;
    return true;
  }

  bool EvalUnary(const ExprNode& node, ExprValue* out) {
    if (node.op == L"not") {
      bool b = false;
      if (!EvalCondition(*node.children[0], &b)) return false;
      *out = ExprValue::OfNumber(b ? 0.0 : 1.0);
      return true;
    }
    double n = 0.0;
    if (!EvalNumber(*node.children[0], &n)) return false;
    *out = ExprValue::OfNumber(node.op == L"-" ? -n : n);
    return true;
  }

  bool EvalBinary(const ExprNode& node, ExprValue* out) {
    const std::wstring& op = node.op;
    if (op == L"and" || op == L"or") {
      bool left = false;
      if (!EvalCondition(*node.children[0], &left)) return false;
      if (op == L"and" && !left) {
        *out = ExprValue::OfNumber(0.0);
        return true;
      }
      if (op == L"or" && left) {
        *out = ExprValue::OfNumber(1.0);
        return true;
      }
      bool right = false;
      if (!EvalCondition(*node.children[1], &right)) return false;
      *out = ExprValue::OfNumber(right ? 1.0 : 0.0);
      return true;
    }
    if (op == L"between" || op == L"in") return EvalMembership(node, out);
    ExprValue a;
    ExprValue b;
    if (!Eval(*node.children[0], &a) || !Eval(*node.children[1], &b)) return false;
    if (op == L"+" && a.type == ExprValue::Text && b.type == ExprValue::Text) {
      *out = ExprValue::OfText(a.text + b.text);
      return true;
    }
    if (op == L"like") {
      if (a.type != ExprValue::Text || b.type != ExprValue::Text) return false;
      *out = ExprValue::OfNumber(Like(a.text, 0, b.text, 0) ? 1.0 : 0.0);
      return true;
    }
    if (op == L"=" || op == L"<>" || op == L"<" || op == L">" || op == L"<=" || op == L">=") {
      int order = 0;
      if (!Order(a, b, &order)) return false;
      bool result = false;
      if (op == L"=") result = order == 0;
      else if (op == L"<>") result = order != 0;
      else if (op == L"<") result = order < 0;
      else if (op == L">") result = order > 0;
      else if (op == L"<=") result = order <= 0;
      else result = order >= 0;
      *out = ExprValue::OfNumber(result ? 1.0 : 0.0);
      return true;
    }
    if (a.type != ExprValue::Number || b.type != ExprValue::Number) return false;
    double r = 0.0;
    if (op == L"+") {
      r = a.number + b.number;
    } else if (op == L"-") {
      r = a.number - b.number;
    } else if (op == L"*") {
      r = a.number * b.number;
    } else if (op == L"/") {
      if (b.number == 0.0) return false;
      r = a.number / b.number;
    } else if (op == L"^") {
      r = std::pow(a.number, b.number);
    } else {
      return false;
    }
    if (!std::isfinite(r)) return false;
    *out = ExprValue::OfNumber(r);
    return true;
  }

  // -1, 0 or 1 for two numbers or two strings; false for a number against a
  // string.
  static bool Order(const ExprValue& a, const ExprValue& b, int* order) {
    if (a.type == ExprValue::Number && b.type == ExprValue::Number) {
      *order = a.number < b.number ? -1 : (a.number > b.number ? 1 : 0);
      return true;
    }
    if (a.type == ExprValue::Text && b.type == ExprValue::Text) {
      const int c = a.text.compare(b.text);
      *order = c < 0 ? -1 : (c > 0 ? 1 : 0);
      return true;
    }
    return false;
  }

  // x BETWEEN low AND high (both ends included), x IN (a, b, ...).
  bool EvalMembership(const ExprNode& node, ExprValue* out) {
    ExprValue x;
    if (!Eval(*node.children[0], &x)) return false;
    bool result = false;
    if (node.op == L"between") {
      ExprValue low;
      ExprValue high;
      int fromLow = 0;
      int toHigh = 0;
      if (!Eval(*node.children[1], &low) || !Eval(*node.children[2], &high) || !Order(x, low, &fromLow) ||
          !Order(x, high, &toHigh)) {
        return false;
      }
      result = fromLow >= 0 && toHigh <= 0;
    } else {
      for (size_t i = 1; i < node.children.size() && !result; ++i) {
        ExprValue item;
        int order = 0;
        if (!Eval(*node.children[i], &item) || !Order(x, item, &order)) return false;
        result = order == 0;
      }
    }
    *out = ExprValue::OfNumber(result ? 1.0 : 0.0);
    return true;
  }

  // SQL-style pattern: % any run of characters, _ any one character.
  static bool Like(const std::wstring& text, size_t t, const std::wstring& pattern, size_t p) {
    for (; p < pattern.size(); ++p, ++t) {
      if (pattern[p] == L'%') {
        for (size_t rest = t; rest <= text.size(); ++rest) {
          if (Like(text, rest, pattern, p + 1)) return true;
        }
        return false;
      }
      if (t >= text.size() || (pattern[p] != L'_' && pattern[p] != text[t])) return false;
    }
    return t == text.size();
  }

  // A value read as a number: numbers as they are, strings only when the
  // whole string is a number.
  static bool AsNumber(const ExprValue& v, double* out) {
    if (v.type == ExprValue::Number) {
      *out = v.number;
      return true;
    }
    return ParseNumber(v.text, out);
  }

  bool EvalArgs(const ExprNode& node, size_t count, ExprValue* values) {
    if (node.children.size() != count) return false;
    for (size_t i = 0; i < count; ++i) {
      if (!Eval(*node.children[i], &values[i])) return false;
    }
    return true;
  }

  bool EvalCall(const ExprNode& node, ExprValue* out) {
    const std::wstring& f = node.name;
    ExprValue args[3];
    double n = 0.0;
    if (f == L"if") {
      if (node.children.size() != 3) return false;
      bool condition = false;
      if (!EvalCondition(*node.children[0], &condition)) return false;
      return Eval(*node.children[condition ? 1 : 2], out);
    }
    if (f == L"getrow" || f == L"currentrow" || f == L"rowcount") {
      if (!node.children.empty()) return false;
      const long value = f == L"getrow" ? m_context.EvaluatedRow()
                         : f == L"currentrow" ? m_context.CurrentRow() : m_context.RowCount();
      *out = ExprValue::OfNumber(static_cast<double>(value));
      return true;
    }
    if (f == L"mod") {
      double b = 0.0;
      if (!EvalArgs(node, 2, args) || !AsNumber(args[0], &n) || !AsNumber(args[1], &b) || b == 0.0) return false;
      *out = ExprValue::OfNumber(std::fmod(n, b));
      return true;
    }
    if (f == L"long" || f == L"integer" || f == L"real" || f == L"dec" || f == L"double") {
      // A string that is no number converts to 0.
      if (!EvalArgs(node, 1, args)) return false;
      if (!AsNumber(args[0], &n)) n = 0.0;
      if (f == L"long" || f == L"integer") n = std::trunc(n);
      *out = ExprValue::OfNumber(n);
      return true;
    }
    if (f == L"int") {
      if (!EvalArgs(node, 1, args) || !AsNumber(args[0], &n)) return false;
      *out = ExprValue::OfNumber(std::floor(n));
      return true;
    }
    if (f == L"abs") {
      if (!EvalArgs(node, 1, args) || !AsNumber(args[0], &n)) return false;
      *out = ExprValue::OfNumber(std::fabs(n));
      return true;
    }
    if (f == L"string") {
      if (!EvalArgs(node, 1, args)) return false;
      *out = ExprValue::OfText(ExprValueToText(args[0]));
      return true;
    }
    if (f == L"describe") {
      if (!EvalArgs(node, 1, args) || args[0].type != ExprValue::Text) return false;
      *out = ExprValue::OfText(m_context.DescribeText(args[0].text));
      return true;
    }
    if (f == L"rgb") {
      if (!EvalArgs(node, 3, args)) return false;
      long channels[3] = {0, 0, 0};
      for (int i = 0; i < 3; ++i) {
        if (!AsNumber(args[i], &n)) return false;
        long c = static_cast<long>(n);
        channels[i] = c < 0 ? 0 : (c > 255 ? 255 : c);
      }
      *out = ExprValue::OfNumber(static_cast<double>(channels[0] + channels[1] * 256L + channels[2] * 65536L));
      return true;
    }
    return false;  // unknown function
  }

  ExpressionContext& m_context;
};

}  // namespace

bool Expression::Evaluate(ExpressionContext& context, ExprValue* result) const {
  if (!m_root || !result) return false;
  Evaluator evaluator(context);
  ExprValue value;
  if (!evaluator.Eval(*m_root, &value)) return false;
  *result = value;
  return true;
}

}  // namespace pbsim
