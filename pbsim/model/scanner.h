// Character scanner shared by the definition reader and the modify parser:
// names, quoted values with tilde escapes, bare values, and the
// "Line L Column C" positions of error messages.
#pragma once

#include <string>

namespace pbsim {

class SyntaxScanner {
public:
    explicit SyntaxScanner(const std::wstring& text) : m_text(text) {}

    bool AtEnd() const { return m_pos >= m_text.size(); }
    wchar_t Peek() const { return AtEnd() ? L'\0' : m_text[m_pos]; }
    wchar_t PeekAt(size_t offset) const { return m_pos + offset < m_text.size() ? m_text[m_pos + offset] : L'\0'; }
    size_t Pos() const { return m_pos; }
    void SetPos(size_t pos) { m_pos = pos <= m_text.size() ? pos : m_text.size(); }
    void Advance() {
        if (!AtEnd()) ++m_pos;
    }
    const std::wstring& Text() const { return m_text; }

    void SkipBlanks();
    // Also skips export-header lines that begin with "$" (such as
    // $PBExportHeader$) and "//" comments.
    void SkipBlanksAndComments();
    // Consumes c when it is the next character.
    bool Accept(wchar_t c);

    // A name or dotted property path: letters, digits, _ # $ . - and every
    // character beyond ASCII. Empty when none is there.
    std::wstring ReadName();

    // At a ' or ": reads to the matching quote, decoding tilde escapes.
    // False (position unchanged) when the quote is never closed.
    bool ReadQuoted(std::wstring& out);

    // An unquoted value: up to a blank, a comma, or a ")" that closes nothing
    // inside the value (so char(20) is one value). Tilde escapes are decoded.
    std::wstring ReadBare();

    // Text from an opening "(" to its matching ")", both included, quotes
    // respected. False when unbalanced (position unchanged).
    bool ReadBalanced(std::wstring& out);

    // One-based line and column of a position, lines ended by line feeds.
    void LineColumn(size_t pos, int* line, int* column) const;
    // "Line L Column C: <message>" for a position.
    std::wstring ErrorAt(size_t pos, const std::wstring& message) const;
    // The error of a Modify: "Line n Column n incorrect syntax", the column
    // counted from the start of the whole text.
    std::wstring ModifyErrorAt(size_t pos) const;

private:
    std::wstring m_text;
    size_t m_pos = 0;
};

bool IsNameChar(wchar_t c);

}  // namespace pbsim
