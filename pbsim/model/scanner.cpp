#include "model/scanner.h"

#include "model/escapes.h"
#include "model/wide_text.h"

namespace pbsim {

bool IsNameChar(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'_' || c == L'#' ||
           c == L'$' || c == L'.' || c == L'-' || c > 127;
}

void SyntaxScanner::SkipBlanks() {
    while (!AtEnd() && IsBlank(m_text[m_pos])) ++m_pos;
}

void SyntaxScanner::SkipBlanksAndComments() {
    for (;;) {
        SkipBlanks();
        if (AtEnd()) return;
        const bool dollarLine = Peek() == L'$';
        const bool slashComment = Peek() == L'/' && PeekAt(1) == L'/';
        if (!dollarLine && !slashComment) return;
        while (!AtEnd() && m_text[m_pos] != L'\n') ++m_pos;
    }
}

bool SyntaxScanner::Accept(wchar_t c) {
    if (Peek() == c && !AtEnd()) {
        ++m_pos;
        return true;
    }
    return false;
}

std::wstring SyntaxScanner::ReadName() {
    const size_t start = m_pos;
    while (!AtEnd() && IsNameChar(m_text[m_pos])) ++m_pos;
    return m_text.substr(start, m_pos - start);
}

bool SyntaxScanner::ReadQuoted(std::wstring& out) {
    const wchar_t quote = Peek();
    if (quote != L'\'' && quote != L'"') return false;
    std::wstring value;
    size_t i = m_pos + 1;
    while (i < m_text.size()) {
        const wchar_t c = m_text[i];
        if (c == quote) {
            m_pos = i + 1;
            out = value;
            return true;
        }
        if (c == L'~') {
            i = DecodeTildeEscape(m_text, i, value);
        } else {
            value += c;
            ++i;
        }
    }
    return false;
}

std::wstring SyntaxScanner::ReadBare() {
    std::wstring value;
    int depth = 0;
    while (!AtEnd()) {
        const wchar_t c = m_text[m_pos];
        if (IsBlank(c)) break;
        if (depth == 0 && (c == L',' || c == L')')) break;
        if (c == L'(') ++depth;
        if (c == L')') --depth;
        if (c == L'~') {
            m_pos = DecodeTildeEscape(m_text, m_pos, value);
            continue;
        }
        value += c;
        ++m_pos;
    }
    return value;
}

bool SyntaxScanner::ReadBalanced(std::wstring& out) {
    if (Peek() != L'(') return false;
    int depth = 0;
    size_t i = m_pos;
    wchar_t quote = 0;
    while (i < m_text.size()) {
        const wchar_t c = m_text[i];
        if (quote) {
            if (c == L'~') {
                i += 2;
                continue;
            }
            if (c == quote) quote = 0;
        } else if (c == L'"' || c == L'\'') {
            quote = c;
        } else if (c == L'(') {
            ++depth;
        } else if (c == L')') {
            --depth;
            if (depth == 0) {
                out = m_text.substr(m_pos, i + 1 - m_pos);
                m_pos = i + 1;
                return true;
            }
        }
        ++i;
    }
    return false;
}

void SyntaxScanner::LineColumn(size_t pos, int* line, int* column) const {
    int l = 1;
    size_t lineStart = 0;
    const size_t end = pos < m_text.size() ? pos : m_text.size();
    for (size_t i = 0; i < end; ++i) {
        if (m_text[i] == L'\n') {
            ++l;
            lineStart = i + 1;
        }
    }
    if (line) *line = l;
    if (column) *column = static_cast<int>(end - lineStart) + 1;
}

std::wstring SyntaxScanner::ErrorAt(size_t pos, const std::wstring& message) const {
    int line = 1;
    int column = 1;
    LineColumn(pos, &line, &column);
    return L"Line " + IntToText(line) + L" Column " + IntToText(column) + L": " + message;
}

}  // namespace pbsim

namespace pbsim {

std::wstring SyntaxScanner::ModifyErrorAt(size_t pos) const {
    int line = 1;
    int column = 1;
    LineColumn(pos, &line, &column);
    return L"Line " + IntToText(line) + L" Column " + IntToText(static_cast<long>(pos) + 1) + L" incorrect syntax";
}

}  // namespace pbsim
