// Evaluating a parsed DataWindow expression against its DataWindow.
#include <cmath>

#include "model/expression.h"
#include "model/expression_node.h"
#include "model/wide_text.h"

namespace pbsim {

std::wstring ExprValueToText(const ExprValue& value) {
    if (value.type == ExprValue::Null) return std::wstring();
    return value.type == ExprValue::Number ? FormatNumber(value.number) : value.text;
}

namespace {

class Evaluator {
public:
    explicit Evaluator(ExpressionContext& context) : m_context(context) {}

    bool Eval(const ExprNode& node, ExprValue* out) {
        switch (node.kind) {
        case ExprNode::Literal: *out = node.literal; return true;
        case ExprNode::Identifier: return EvalIdentifier(node, out);
        case ExprNode::Unary: return EvalUnary(node, out);
        case ExprNode::Binary: return EvalBinary(node, out);
        case ExprNode::Call: return EvalCall(node, out);
        case ExprNode::Case: return EvalCase(node, out);
        default: break;
        }
        return false;
    }

private:
    // The evaluated row for the duration of a scope.
    class RowScope {
    public:
        RowScope(ExpressionContext& context, long row) : m_context(context), m_saved(context.EvaluatedRow()) {
            context.SetEvaluatedRow(row);
        }
        ~RowScope() { m_context.SetEvaluatedRow(m_saved); }
        RowScope(const RowScope&) = delete;
        RowScope& operator=(const RowScope&) = delete;

    private:
        ExpressionContext& m_context;
        long m_saved;
    };

    // A column in the evaluated row, or in the row rowOffset away from it
    // (null outside the rows).
    bool EvalIdentifier(const ExprNode& node, ExprValue* out) {
        if (node.rowOffset == 0) return m_context.ColumnValue(node.name, out);
        const long row = m_context.EvaluatedRow() + node.rowOffset;
        if (row < 1 || row > m_context.RowCount()) {
            *out = ExprValue::OfNull();
            return true;
        }
        RowScope scope(m_context, row);
        return m_context.ColumnValue(node.name, out);
    }

    // The first WHEN with a matching value gives the result; else the ELSE,
    // else null.
    bool EvalCase(const ExprNode& node, ExprValue* out) {
        ExprValue subject;
        if (!Eval(*node.children[0], &subject)) return false;
        for (size_t i = 1; i < node.children.size(); ++i) {
            const ExprNode& branch = *node.children[i];
            if (branch.kind == ExprNode::Else) return Eval(*branch.children[0], out);
            bool matched = false;
            for (size_t m = 0; m + 1 < branch.children.size() && !matched; ++m) {
                if (!Matches(subject, *branch.children[m], &matched)) return false;
            }
            if (matched) return Eval(*branch.children.back(), out);
        }
        *out = ExprValue::OfNull();
        return true;
    }

    bool Matches(const ExprValue& subject, const ExprNode& match, bool* matched) {
        if (subject.type == ExprValue::Null) return true;
        ExprValue first;
        if (!Eval(*match.children[0], &first)) return false;
        if (first.type == ExprValue::Null) return true;
        int order = 0;
        if (!Order(subject, first, &order)) return false;
        if (match.op == L"=") {
            *matched = order == 0;
        } else if (match.op == L"to") {
            ExprValue second;
            int toHigh = 0;
            if (!Eval(*match.children[1], &second)) return false;
            if (second.type == ExprValue::Null) return true;
            if (!Order(subject, second, &toHigh)) return false;
            *matched = order >= 0 && toHigh <= 0;
        } else {
            const std::wstring op = match.op.substr(2);
            *matched = op == L"="    ? order == 0
                       : op == L"<>" ? order != 0
                       : op == L"<"  ? order < 0
                       : op == L">"  ? order > 0
                       : op == L"<=" ? order <= 0
                                     : order >= 0;
        }
        return true;
    }

    // sum, count, avg, max, min of the argument over the rows of the scope.
    bool EvalAggregate(const ExprNode& node, ExprValue* out) {
        if (node.children.empty()) return false;
        const std::wstring& f = node.name;
        long first = 1;
        long last = m_context.RowCount();
        if (node.scope == L"group") {
            if (!m_context.GroupRows(node.scopeLevel, m_context.EvaluatedRow(), &first, &last)) return false;
        } else if (node.scope == L"page") {
            m_context.PageRows(&first, &last);
        }
        double sum = 0.0;
        long count = 0;
        ExprValue best = ExprValue::OfNull();
        for (long row = first; row <= last && row >= 1; ++row) {
            ExprValue v;
            {
                RowScope scope(m_context, row);
                // A row whose value cannot be had (a null number) is left out.
                if (!Eval(*node.children[0], &v) || v.type == ExprValue::Null) continue;
            }
            ++count;
            if (f == L"sum" || f == L"avg") {
                double n = 0.0;
                if (!AsNumber(v, &n)) return false;
                sum += n;
            } else if (f == L"max" || f == L"min") {
                int order = 0;
                if (best.type == ExprValue::Null) {
                    best = v;
                } else if (Order(v, best, &order) && ((f == L"max" && order > 0) || (f == L"min" && order < 0))) {
                    best = v;
                }
            }
        }
        if (f == L"count") {
            *out = ExprValue::OfNumber(static_cast<double>(count));
        } else if (f == L"sum") {
            *out = ExprValue::OfNumber(sum);
        } else if (f == L"avg") {
            *out = count > 0 ? ExprValue::OfNumber(sum / static_cast<double>(count)) : ExprValue::OfNull();
        } else {
            *out = best;
        }
        return true;
    }

    static bool IsAggregate(const std::wstring& f) {
        return f == L"sum" || f == L"count" || f == L"avg" || f == L"max" || f == L"min";
    }

    bool EvalNumber(const ExprNode& node, double* out) {
        ExprValue v;
        if (!Eval(node, &v) || v.type != ExprValue::Number) return false;
        *out = v.number;
        return true;
    }

    // Conditions are numbers; 0 is false.
    bool EvalCondition(const ExprNode& node, bool* out) {
        ExprValue v;
        if (!Eval(node, &v)) return false;
        if (v.type == ExprValue::Null) {
            *out = false;
            return true;
        }
        if (v.type != ExprValue::Number) return false;
        *out = v.number != 0.0;
        return true;
    }

    bool EvalUnary(const ExprNode& node, ExprValue* out) {
        if (node.op == L"not") {
            bool b = false;
            if (!EvalCondition(*node.children[0], &b)) return false;
            *out = ExprValue::OfNumber(b ? 0.0 : 1.0);
            return true;
        }
        ExprValue v;
        if (!Eval(*node.children[0], &v)) return false;
        if (v.type == ExprValue::Null) {
            *out = v;
            return true;
        }
        if (v.type != ExprValue::Number) return false;
        *out = ExprValue::OfNumber(node.op == L"-" ? -v.number : v.number);
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
        if (a.type == ExprValue::Null || b.type == ExprValue::Null) {
            *out = ExprValue::OfNull();
            return true;
        }
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
        if (IsAggregate(f) && (!node.scope.empty() || node.children.size() == 1)) return EvalAggregate(node, out);
        if (f == L"isnull") {
            // A value that cannot be had (a null number) is null too.
            if (node.children.size() != 1) return false;
            ExprValue v;
            const bool ok = Eval(*node.children[0], &v);
            *out = ExprValue::OfNumber(!ok || v.type == ExprValue::Null ? 1.0 : 0.0);
            return true;
        }
        if (f == L"getrow" || f == L"currentrow" || f == L"rowcount") {
            if (!node.children.empty()) return false;
            const long value = f == L"getrow"       ? m_context.EvaluatedRow()
                               : f == L"currentrow" ? m_context.CurrentRow()
                                                    : m_context.RowCount();
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
            // string(value, format): the format is not applied.
            if (node.children.size() == 2 && !Eval(*node.children[1], &args[1])) return false;
            if (node.children.size() == 2 ? !Eval(*node.children[0], &args[0]) : !EvalArgs(node, 1, args)) return false;
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
