#pragma once

#include "script/Value.h"

#include <string>
#include <string_view>

namespace tvk::script {

// Reserved and contextual words; None for an ordinary identifier.
enum class Kw : uint8_t {
    None,
    And,
    ByRef,
    ByVal,
    Call,
    Case,
    Class,
    Const,
    Default,
    Dim,
    Do,
    Each,
    Else,
    ElseIf,
    Empty,
    End,
    Eqv,
    Erase,
    Error,
    Exit,
    Explicit,
    False,
    For,
    Function,
    Get,
    GoTo,
    If,
    Imp,
    In,
    Is,
    Let,
    Loop,
    Me,
    Mod,
    New,
    Next,
    Not,
    Nothing,
    Null,
    On,
    Option,
    Or,
    Preserve,
    Private,
    Property,
    Public,
    Randomize,
    ReDim,
    Resume,
    Select,
    Set,
    Step,
    Sub,
    Then,
    To,
    True,
    Until,
    Wend,
    While,
    With,
    Xor
};

enum class Tok : uint8_t {
    End,     // end of source
    Newline, // end of a statement: line break or ':'
    Word,    // identifier or keyword (kw tells which)
    Number,  // literal with its subtype in `value`
    String,  // string literal, doubled quotes undone
    Date,    // #...# literal
    Dot,     // '.'
    Comma,
    LParen,
    RParen,
    Plus,
    Minus,
    Star,
    Slash,
    Backslash,
    Caret,
    Amp,
    Eq,
    Ne,
    Lt,
    Le,
    Gt,
    Ge,
};

struct Token {
    Tok type = Tok::End;
    Kw kw = Kw::None;
    bool spaceBefore = false;       // blank between this token and the previous one
    bool afterContinuation = false; // the previous line ended in "_" right before this token
    int line = 1, col = 1;
    std::u16string text; // the word (brackets removed) or string literal text
    Value value;         // Number and Date literals
};

// Splits source text into tokens; comments and line continuations are dropped here.
// Malformed input throws ScriptError (compile error) with its position.
class Lexer {
public:
    explicit Lexer(std::u16string_view source) : m_src(source) {}
    Token next();

    // Words that can never name a variable (contextual words like Get or Step can).
    static bool isReserved(Kw kw);

private:
    char16_t peek(size_t ahead = 0) const { return m_pos + ahead < m_src.size() ? m_src[m_pos + ahead] : u'\0'; }
    void advance();
    [[noreturn]] void fail(int number, int line, int col) const;
    Token number(Token t);
    Token word(Token t, bool member);
    bool startsRadixLiteral() const;

    std::u16string_view m_src;
    size_t m_pos = 0;
    int m_line = 1, m_col = 1;
    bool m_memberNext = false; // the token before was a member dot
    bool m_continued = false;  // a line continuation was skipped before the current token
};

Kw keywordOf(std::u16string_view lowerWord);

} // namespace tvk::script
