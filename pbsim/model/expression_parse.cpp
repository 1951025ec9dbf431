// Reading a DataWindow expression into its syntax tree.
#include <utility>

#include "model/expression.h"
#include "model/expression_node.h"
#include "model/wide_text.h"

namespace pbsim {

namespace {

// Deeper nesting than this is refused rather than risking the stack.
const int kMaxDepth = 200;

struct Token {
    enum Kind { End, Number, Text, Name, Op } kind = End;
    std::wstring text;
    double number = 0.0;
    size_t offset = 0;
};

class ExpressionReader {
public:
    explicit ExpressionReader(const std::wstring& text) : m_text(text) {}

    std::unique_ptr<ExprNode> ReadAll() {
        if (!Next()) return nullptr;
        std::unique_ptr<ExprNode> root = ReadLogical();
        if (!root) return nullptr;
        if (m_token.kind != Token::End) return Fail(m_token.offset);
        return root;
    }
    size_t ErrorOffset() const { return m_errorOffset; }

private:
    std::unique_ptr<ExprNode> Fail(size_t offset) {
        if (!m_failed) {
            m_failed = true;
            m_errorOffset = offset;
        }
        return nullptr;
    }

    bool IsKeyword(const wchar_t* word) const {
        return m_token.kind == Token::Name && EqualsNoCase(m_token.text, word);
    }
    bool IsOp(const wchar_t* op) const { return m_token.kind == Token::Op && m_token.text == op; }

    // Reads the next token into m_token; false on a character that starts no
    // token or an unterminated string.
    bool Next() {
        for (;;) {
            while (m_pos < m_text.size() && IsBlank(m_text[m_pos])) ++m_pos;
            // A /* comment */ counts as a blank; an unclosed one runs to the end.
            if (m_text.compare(m_pos, 2, L"/*") != 0) break;
            const size_t end = m_text.find(L"*/", m_pos + 2);
            m_pos = end == std::wstring::npos ? m_text.size() : end + 2;
        }
        m_token = Token();
        m_token.offset = m_pos;
        if (m_pos >= m_text.size()) return true;
        const wchar_t c = m_text[m_pos];
        if ((c >= L'0' && c <= L'9') ||
            (c == L'.' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] >= L'0' && m_text[m_pos + 1] <= L'9')) {
            size_t end = m_pos;
            while (end < m_text.size() && ((m_text[end] >= L'0' && m_text[end] <= L'9') || m_text[end] == L'.')) ++end;
            if (end < m_text.size() && (m_text[end] == L'e' || m_text[end] == L'E')) {
                size_t e = end + 1;
                if (e < m_text.size() && (m_text[e] == L'+' || m_text[e] == L'-')) ++e;
                if (e < m_text.size() && m_text[e] >= L'0' && m_text[e] <= L'9') {
                    while (e < m_text.size() && m_text[e] >= L'0' && m_text[e] <= L'9') ++e;
                    end = e;
                }
            }
            double value = 0.0;
            if (!ParseNumber(m_text.substr(m_pos, end - m_pos), &value)) {
                Fail(m_pos);
                return false;
            }
            m_token.kind = Token::Number;
            m_token.number = value;
            m_pos = end;
            return true;
        }
        if (c == L'\'' || c == L'"') {
            std::wstring value;
            size_t i = m_pos + 1;
            while (i < m_text.size() && m_text[i] != c) {
                // A tilde inside an expression string protects the next character.
                if (m_text[i] == L'~' && i + 1 < m_text.size()) ++i;
                value += m_text[i++];
            }
            if (i >= m_text.size()) {
                Fail(m_pos);
                return false;
            }
            m_token.kind = Token::Text;
            m_token.text = value;
            m_pos = i + 1;
            return true;
        }
        if ((c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || c == L'_' || c == L'#' || c == L'$' || c > 127) {
            size_t end = m_pos;
            while (end < m_text.size()) {
                const wchar_t d = m_text[end];
                if ((d >= L'a' && d <= L'z') || (d >= L'A' && d <= L'Z') || (d >= L'0' && d <= L'9') || d == L'_' ||
                    d == L'#' || d == L'$' || d > 127) {
                    ++end;
                } else {
                    break;
                }
            }
            m_token.kind = Token::Name;
            m_token.text = m_text.substr(m_pos, end - m_pos);
            m_pos = end;
            return true;
        }
        static const wchar_t* const kTwoCharOps[] = {L"<>", L"<=", L">=", L"!="};
        for (const wchar_t* op : kTwoCharOps) {
            if (m_text.compare(m_pos, 2, op) == 0) {
                m_token.kind = Token::Op;
                m_token.text = op;
                m_pos += 2;
                return true;
            }
        }
        if (std::wstring(L"+-*/^=<>(),[]").find(c) != std::wstring::npos) {
            m_token.kind = Token::Op;
            m_token.text = std::wstring(1, c);
            ++m_pos;
            return true;
        }
        Fail(m_pos);
        return false;
    }

    static std::unique_ptr<ExprNode> MakeBinary(const std::wstring& op, std::unique_ptr<ExprNode> left,
                                                std::unique_ptr<ExprNode> right) {
        auto node = std::make_unique<ExprNode>();
        node->kind = ExprNode::Binary;
        node->op = op;
        node->children.push_back(std::move(left));
        node->children.push_back(std::move(right));
        return node;
    }

    // AND and OR share one level and group from the left; NOT binds least of
    // all: it applies to everything after it.
    std::unique_ptr<ExprNode> ReadLogical() {
        if (++m_depth > kMaxDepth) return Fail(m_token.offset);
        std::unique_ptr<ExprNode> result;
        if (IsKeyword(L"not")) {
            if (!Next()) return nullptr;
            std::unique_ptr<ExprNode> operand = ReadLogical();
            if (!operand) return nullptr;
            result = std::make_unique<ExprNode>();
            result->kind = ExprNode::Unary;
            result->op = L"not";
            result->children.push_back(std::move(operand));
        } else {
            result = ReadComparison();
            while (result && (IsKeyword(L"and") || IsKeyword(L"or"))) {
                const std::wstring op = ToLowerAscii(m_token.text);
                if (!Next()) return nullptr;
                const bool negated = IsKeyword(L"not");
                std::unique_ptr<ExprNode> right = negated ? ReadLogical() : ReadComparison();
                if (!right) return nullptr;
                result = MakeBinary(op, std::move(result), std::move(right));
                if (negated) break;  // the NOT took the rest
            }
        }
        --m_depth;
        return result;
    }

    std::unique_ptr<ExprNode> ReadComparison() {
        std::unique_ptr<ExprNode> left = ReadAdditive();
        if (!left) return nullptr;
        if (IsKeyword(L"between")) return ReadBetween(std::move(left));
        if (IsKeyword(L"in")) return ReadIn(std::move(left));
        if (IsKeyword(L"like")) {
            if (!Next()) return nullptr;
            std::unique_ptr<ExprNode> pattern = ReadAdditive();
            if (!pattern) return nullptr;
            return MakeBinary(L"like", std::move(left), std::move(pattern));
        }
        if (IsOp(L"=") || IsOp(L"<>") || IsOp(L"!=") || IsOp(L"<") || IsOp(L">") || IsOp(L"<=") || IsOp(L">=")) {
            std::wstring op = m_token.text == L"!=" ? L"<>" : m_token.text;
            if (!Next()) return nullptr;
            std::unique_ptr<ExprNode> right = ReadAdditive();
            if (!right) return nullptr;
            return MakeBinary(op, std::move(left), std::move(right));
        }
        return left;
    }

    // x BETWEEN low AND high
    std::unique_ptr<ExprNode> ReadBetween(std::unique_ptr<ExprNode> x) {
        if (!Next()) return nullptr;
        std::unique_ptr<ExprNode> low = ReadAdditive();
        if (!low) return nullptr;
        if (!IsKeyword(L"and")) return Fail(m_token.offset);
        if (!Next()) return nullptr;
        std::unique_ptr<ExprNode> high = ReadAdditive();
        if (!high) return nullptr;
        std::unique_ptr<ExprNode> node = MakeBinary(L"between", std::move(x), std::move(low));
        node->children.push_back(std::move(high));
        return node;
    }

    // x IN (a, b, ...)
    std::unique_ptr<ExprNode> ReadIn(std::unique_ptr<ExprNode> x) {
        if (!Next()) return nullptr;
        if (!IsOp(L"(")) return Fail(m_token.offset);
        auto node = std::make_unique<ExprNode>();
        node->kind = ExprNode::Binary;
        node->op = L"in";
        node->children.push_back(std::move(x));
        do {
            if (!Next()) return nullptr;
            std::unique_ptr<ExprNode> item = ReadAdditive();
            if (!item) return nullptr;
            node->children.push_back(std::move(item));
        } while (IsOp(L","));
        if (!IsOp(L")")) return Fail(m_token.offset);
        if (!Next()) return nullptr;
        return node;
    }

    std::unique_ptr<ExprNode> ReadAdditive() {
        std::unique_ptr<ExprNode> left = ReadMultiplicative();
        while (left && (IsOp(L"+") || IsOp(L"-"))) {
            std::wstring op = m_token.text;
            if (!Next()) return nullptr;
            std::unique_ptr<ExprNode> right = ReadMultiplicative();
            if (!right) return nullptr;
            left = MakeBinary(op, std::move(left), std::move(right));
        }
        return left;
    }

    std::unique_ptr<ExprNode> ReadMultiplicative() {
        std::unique_ptr<ExprNode> left = ReadUnary();
        while (left && (IsOp(L"*") || IsOp(L"/"))) {
            std::wstring op = m_token.text;
            if (!Next()) return nullptr;
            std::unique_ptr<ExprNode> right = ReadUnary();
            if (!right) return nullptr;
            left = MakeBinary(op, std::move(left), std::move(right));
        }
        return left;
    }

    std::unique_ptr<ExprNode> ReadUnary() {
        if (IsOp(L"-") || IsOp(L"+")) {
            if (++m_depth > kMaxDepth) return Fail(m_token.offset);
            std::wstring op = m_token.text;
            if (!Next()) return nullptr;
            std::unique_ptr<ExprNode> operand = ReadUnary();
            --m_depth;
            if (!operand) return nullptr;
            auto node = std::make_unique<ExprNode>();
            node->kind = ExprNode::Unary;
            node->op = op;
            node->children.push_back(std::move(operand));
            return node;
        }
        return ReadPower();
    }

    std::unique_ptr<ExprNode> ReadPower() {
        std::unique_ptr<ExprNode> base = ReadPrimary();
        if (base && IsOp(L"^")) {
            if (++m_depth > kMaxDepth) return Fail(m_token.offset);
            if (!Next()) return nullptr;
            std::unique_ptr<ExprNode> exponent = ReadUnary();
            --m_depth;
            if (!exponent) return nullptr;
            return MakeBinary(L"^", std::move(base), std::move(exponent));
        }
        return base;
    }

    std::unique_ptr<ExprNode> ReadPrimary() {
        auto node = std::make_unique<ExprNode>();
        switch (m_token.kind) {
        case Token::Number:
            node->kind = ExprNode::Literal;
            node->literal = ExprValue::OfNumber(m_token.number);
            if (!Next()) return nullptr;
            return node;
        case Token::Text:
            node->kind = ExprNode::Literal;
            node->literal = ExprValue::OfText(m_token.text);
            if (!Next()) return nullptr;
            return node;
        case Token::Name: {
            const std::wstring name = m_token.text;
            const size_t nameOffset = m_token.offset;
            if (!Next()) return nullptr;
            if (!IsOp(L"(")) {
                if (EqualsNoCase(name, L"and") || EqualsNoCase(name, L"or") || EqualsNoCase(name, L"not")) {
                    return Fail(nameOffset);
                }
                node->kind = ExprNode::Identifier;
                node->name = name;
                if (IsOp(L"[")) {
                    // name[-1]: the column in the row before the evaluated one.
                    if (!Next()) return nullptr;
                    bool negative = false;
                    if (IsOp(L"-") || IsOp(L"+")) {
                        negative = IsOp(L"-");
                        if (!Next()) return nullptr;
                    }
                    if (m_token.kind != Token::Number || m_token.number > 1.0e9) return Fail(m_token.offset);
                    node->rowOffset = static_cast<long>(m_token.number) * (negative ? -1 : 1);
                    if (!Next()) return nullptr;
                    if (!IsOp(L"]")) return Fail(m_token.offset);
                    if (!Next()) return nullptr;
                }
                return node;
            }
            if (++m_depth > kMaxDepth) return Fail(m_token.offset);
            node->kind = ExprNode::Call;
            node->name = ToLowerAscii(name);
            if (!Next()) return nullptr;
            if (node->name == L"case") {
                if (!ReadCase(node.get())) return nullptr;
                --m_depth;
                if (!Next()) return nullptr;
                return node;
            }
            if (!IsOp(L")")) {
                for (;;) {
                    std::unique_ptr<ExprNode> arg = ReadLogical();
                    if (!arg) return nullptr;
                    node->children.push_back(std::move(arg));
                    if (IsKeyword(L"for") && !ReadScope(node.get())) return nullptr;
                    if (IsOp(L",")) {
                        if (!Next()) return nullptr;
                        continue;
                    }
                    break;
                }
                if (!IsOp(L")")) return Fail(m_token.offset);
            }
            --m_depth;
            if (!Next()) return nullptr;
            return node;
        }
        case Token::Op:
            if (IsOp(L"(")) {
                if (!Next()) return nullptr;
                std::unique_ptr<ExprNode> inner = ReadLogical();
                if (!inner) return nullptr;
                if (!IsOp(L")")) return Fail(m_token.offset);
                if (!Next()) return nullptr;
                return inner;
            }
            return Fail(m_token.offset);
        case Token::End: break;
        }
        return Fail(m_token.offset);
    }

    // After the first argument of an aggregate: FOR ALL | FOR GROUP n |
    // FOR PAGE (also CROSSTAB, GRAPH, OBJECT, taken as ALL), then an optional
    // DISTINCT with optional expressions, which are read and not used.
    bool ReadScope(ExprNode* call) {
        if (!Next()) return false;
        if (m_token.kind != Token::Name) return Fail(m_token.offset) != nullptr;
        const std::wstring scope = ToLowerAscii(m_token.text);
        if (scope == L"group") {
            if (!Next()) return false;
            if (m_token.kind != Token::Number || m_token.number < 1 || m_token.number > 1000) {
                return Fail(m_token.offset) != nullptr;
            }
            call->scope = L"group";
            call->scopeLevel = static_cast<int>(m_token.number);
        } else if (scope == L"page") {
            call->scope = L"page";
        } else if (scope == L"all" || scope == L"crosstab" || scope == L"graph" || scope == L"object") {
            call->scope = L"all";
        } else {
            return Fail(m_token.offset) != nullptr;
        }
        if (!Next()) return false;
        if (IsKeyword(L"distinct")) {
            if (!Next()) return false;
            while (!IsOp(L")") && m_token.kind != Token::End) {
                if (!ReadLogical()) return false;
                if (IsOp(L",") && !Next()) return false;
            }
        }
        return true;
    }

    // case( value WHEN matches THEN result ... [ELSE result] ), standing on
    // the token after "(".
    bool ReadCase(ExprNode* node) {
        node->kind = ExprNode::Case;
        std::unique_ptr<ExprNode> subject = ReadLogical();
        if (!subject) return false;
        node->children.push_back(std::move(subject));
        while (IsKeyword(L"when")) {
            auto when = std::make_unique<ExprNode>();
            when->kind = ExprNode::When;
            do {
                if (!Next()) return false;
                std::unique_ptr<ExprNode> match = ReadMatch();
                if (!match) return false;
                when->children.push_back(std::move(match));
            } while (IsOp(L","));
            if (!IsKeyword(L"then")) return Fail(m_token.offset) != nullptr;
            if (!Next()) return false;
            std::unique_ptr<ExprNode> result = ReadLogical();
            if (!result) return false;
            when->children.push_back(std::move(result));
            node->children.push_back(std::move(when));
        }
        if (node->children.size() < 2) return Fail(m_token.offset) != nullptr;
        if (IsKeyword(L"else")) {
            if (!Next()) return false;
            auto otherwise = std::make_unique<ExprNode>();
            otherwise->kind = ExprNode::Else;
            std::unique_ptr<ExprNode> result = ReadLogical();
            if (!result) return false;
            otherwise->children.push_back(std::move(result));
            node->children.push_back(std::move(otherwise));
        }
        if (!IsOp(L")")) return Fail(m_token.offset) != nullptr;
        return true;
    }

    // One match of a WHEN: a value, "a TO b", or "IS <op> value".
    std::unique_ptr<ExprNode> ReadMatch() {
        auto match = std::make_unique<ExprNode>();
        match->kind = ExprNode::Match;
        if (IsKeyword(L"is")) {
            if (!Next()) return nullptr;
            if (!(IsOp(L"=") || IsOp(L"<>") || IsOp(L"!=") || IsOp(L"<") || IsOp(L">") || IsOp(L"<=") || IsOp(L">="))) {
                return Fail(m_token.offset);
            }
            match->op = L"is" + (m_token.text == L"!=" ? std::wstring(L"<>") : m_token.text);
            if (!Next()) return nullptr;
            std::unique_ptr<ExprNode> value = ReadAdditive();
            if (!value) return nullptr;
            match->children.push_back(std::move(value));
            return match;
        }
        std::unique_ptr<ExprNode> value = ReadAdditive();
        if (!value) return nullptr;
        match->children.push_back(std::move(value));
        match->op = L"=";
        if (IsKeyword(L"to")) {
            if (!Next()) return nullptr;
            std::unique_ptr<ExprNode> high = ReadAdditive();
            if (!high) return nullptr;
            match->children.push_back(std::move(high));
            match->op = L"to";
        }
        return match;
    }

    const std::wstring& m_text;
    size_t m_pos = 0;
    Token m_token;
    int m_depth = 0;
    bool m_failed = false;
    size_t m_errorOffset = 0;
};

}  // namespace

Expression::~Expression() = default;

std::unique_ptr<Expression> Expression::Parse(const std::wstring& text, size_t* errorOffset) {
    ExpressionReader reader(text);
    std::unique_ptr<ExprNode> root = reader.ReadAll();
    if (!root) {
        if (errorOffset) *errorOffset = reader.ErrorOffset();
        return nullptr;
    }
    std::unique_ptr<Expression> expression(new Expression());
    expression->m_root = std::move(root);
    expression->m_source = text;
    return expression;
}

bool SplitExpressionValue(const std::wstring& raw, std::wstring* defaultPart, std::wstring* expressionPart) {
    const size_t tab = raw.find(L'\t');
    if (tab == std::wstring::npos) return false;
    if (defaultPart) *defaultPart = Trim(raw.substr(0, tab));
    if (expressionPart) *expressionPart = raw.substr(tab + 1);
    return true;
}

}  // namespace pbsim
