// DataWindow expressions: the part after the tab of a "default~texpression"
// property value, and computed fields. Numbers (integers and reals), strings
// in ' or ", + - * / ^, parentheses, comparisons = <> < > <= >=, and/or/not,
// between, in, like, column names and rows relative to the evaluated one
// (salary[-1]), /* comments */, case(x when a then b when c, d then e when f
// to g then h when is > i then j else k), the aggregates sum, count, avg,
// max and min over "for all", "for group N" or "for page", and the functions
// if, isnull, mod, long, real, int, abs, string, describe, getrow,
// currentrow, rowcount and rgb.
//
// A value can be null: a row outside the DataWindow, a case without a match
// and without else. Arithmetic and comparisons with null give null, a null
// condition counts as false, and null shows as the empty string.
#pragma once

#include <memory>
#include <string>

namespace pbsim {

struct ExprValue {
    enum Type { Number, Text, Null } type = Number;
    double number = 0.0;
    std::wstring text;

    static ExprValue OfNumber(double n) {
        ExprValue v;
        v.number = n;
        return v;
    }
    static ExprValue OfText(const std::wstring& s) {
        ExprValue v;
        v.type = Text;
        v.text = s;
        return v;
    }
    static ExprValue OfNull() {
        ExprValue v;
        v.type = Null;
        return v;
    }
};

// The text a value gives a property: numbers as FormatNumber writes them.
std::wstring ExprValueToText(const ExprValue& value);

// What an expression can see of its DataWindow while it is evaluated.
class ExpressionContext {
public:
    virtual ~ExpressionContext() = default;
    // Value of a column (by name) in the row being evaluated; false when there
    // is no such column or the cell holds no usable value.
    virtual bool ColumnValue(const std::wstring& name, ExprValue* value) = 0;
    // Answer of describe() for a property text, "!" included.
    virtual std::wstring DescribeText(const std::wstring& property) = 0;
    virtual long EvaluatedRow() = 0;  // getrow()
    virtual long CurrentRow() = 0;    // currentrow()
    virtual long RowCount() = 0;      // rowcount()
    // Makes `row` the evaluated row (for relative references and aggregates,
    // which evaluate their argument in other rows).
    virtual void SetEvaluatedRow(long row) = 0;
    // The rows of the group of `level` that holds `row`; false when there is
    // no such group.
    virtual bool GroupRows(int level, long row, long* first, long* last) = 0;
    // The rows on the page shown.
    virtual void PageRows(long* first, long* last) = 0;
};

struct ExprNode;

class Expression {
public:
    ~Expression();
    Expression(const Expression&) = delete;
    Expression& operator=(const Expression&) = delete;

    // Null when the text is not a valid expression; *errorOffset then holds the
    // offset in the text where reading failed.
    static std::unique_ptr<Expression> Parse(const std::wstring& text, size_t* errorOffset);

    // False when evaluation fails (unknown column or function, a describe
    // answer that is not a number where one is needed, division by zero, ...).
    bool Evaluate(ExpressionContext& context, ExprValue* result) const;

    const std::wstring& Source() const { return m_source; }

private:
    Expression() = default;
    std::unique_ptr<ExprNode> m_root;
    std::wstring m_source;
};

// Splits a property value at its first tab into the default (blanks trimmed)
// and the expression text. False when the value has no tab, that is when it
// is a plain value.
bool SplitExpressionValue(const std::wstring& raw, std::wstring* defaultPart, std::wstring* expressionPart);

}  // namespace pbsim
