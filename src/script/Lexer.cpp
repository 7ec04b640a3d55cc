#include "script/Lexer.h"

#include "script/Coerce.h"
#include "script/ScriptError.h"
#include "script/lib/ScriptLocale.h"

#include <cmath>
#include <unordered_map>

namespace tvk::script {

namespace {
const std::unordered_map<std::u16string, Kw>& keywordTable() {
    static const std::unordered_map<std::u16string, Kw> table = {
        {u"and", Kw::And},
        {u"byref", Kw::ByRef},
        {u"byval", Kw::ByVal},
        {u"call", Kw::Call},
        {u"case", Kw::Case},
        {u"class", Kw::Class},
        {u"const", Kw::Const},
        {u"default", Kw::Default},
        {u"dim", Kw::Dim},
        {u"do", Kw::Do},
        {u"each", Kw::Each},
        {u"else", Kw::Else},
        {u"elseif", Kw::ElseIf},
        {u"empty", Kw::Empty},
        {u"end", Kw::End},
        {u"eqv", Kw::Eqv},
        {u"erase", Kw::Erase},
        {u"error", Kw::Error},
        {u"exit", Kw::Exit},
        {u"explicit", Kw::Explicit},
        {u"false", Kw::False},
        {u"for", Kw::For},
        {u"function", Kw::Function},
        {u"get", Kw::Get},
        {u"goto", Kw::GoTo},
        {u"if", Kw::If},
        {u"imp", Kw::Imp},
        {u"in", Kw::In},
        {u"is", Kw::Is},
        {u"let", Kw::Let},
        {u"loop", Kw::Loop},
        {u"me", Kw::Me},
        {u"mod", Kw::Mod},
        {u"new", Kw::New},
        {u"next", Kw::Next},
        {u"not", Kw::Not},
        {u"nothing", Kw::Nothing},
        {u"null", Kw::Null},
        {u"on", Kw::On},
        {u"option", Kw::Option},
        {u"or", Kw::Or},
        {u"preserve", Kw::Preserve},
        {u"private", Kw::Private},
        {u"property", Kw::Property},
        {u"public", Kw::Public},
        {u"randomize", Kw::Randomize},
        {u"redim", Kw::ReDim},
        {u"resume", Kw::Resume},
        {u"select", Kw::Select},
        {u"set", Kw::Set},
        {u"step", Kw::Step},
        {u"sub", Kw::Sub},
        {u"then", Kw::Then},
        {u"to", Kw::To},
        {u"true", Kw::True},
        {u"until", Kw::Until},
        {u"wend", Kw::Wend},
        {u"while", Kw::While},
        {u"with", Kw::With},
        {u"xor", Kw::Xor},
    };
    return table;
}

bool isLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c >= 0x80;
}
bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}
} // namespace

Kw keywordOf(std::u16string_view lowerWord) {
    auto it = keywordTable().find(std::u16string(lowerWord));
    return it == keywordTable().end() ? Kw::None : it->second;
}

bool Lexer::isReserved(Kw kw) {
    switch (kw) {
    case Kw::None:
    case Kw::Default:
    case Kw::Error:
    case Kw::Explicit:
    case Kw::Get:
    case Kw::Let:
    case Kw::Preserve:
    case Kw::Property:
    case Kw::Step:
        return false;
    default:
        return true;
    }
}

void Lexer::advance() {
    if (m_src[m_pos] == u'\n') {
        ++m_line;
        m_col = 1;
    } else {
        ++m_col;
    }
    ++m_pos;
}

void Lexer::fail(int number, int line, int col) const {
    throw ScriptError(number, line, col, true);
}

// "&H" and "&O" start a literal only when the letters after them are all digits of that base
// ("x &hi" joins x and hi); "&" before a digit is an octal literal.
bool Lexer::startsRadixLiteral() const {
    char16_t kind = peek(1);
    if (isDigit(kind)) return true;
    bool hex = kind == u'H' || kind == u'h';
    if (!hex && kind != u'O' && kind != u'o') return false;
    size_t k = 2;
    for (;; ++k) {
        char16_t c = peek(k);
        bool digit =
            hex ? (isDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F')) : (c >= u'0' && c <= u'7');
        if (!digit) break;
    }
    if (k == 2) return false;
    char16_t after = peek(k);
    return !(isLetter(after) || isDigit(after) || after == u'_');
}

Token Lexer::next() {
    Token t;
    bool space = false;
    bool member = m_memberNext;
    m_memberNext = false;
    m_continued = false;
    for (;;) {
        char16_t c = peek();
        if (c == u' ' || c == u'\t' || c == u'\r' || c == 0xA0 || c == 0xFEFF) {
            advance();
            space = true;
        } else if (c == u'_' && !isLetter(peek(1)) && !isDigit(peek(1)) && peek(1) != u'_') {
            // Line continuation: '_' followed by blanks up to the end of the line.
            size_t k = 1;
            while (peek(k) == u' ' || peek(k) == u'\t' || peek(k) == u'\r')
                ++k;
            if (peek(k) != u'\n') fail(err::InvalidCharacter, m_line, m_col);
            for (size_t i = 0; i <= k; ++i)
                advance();
            space = true;
            m_continued = true;
        } else if (c == u'\'') {
            while (m_pos < m_src.size() && peek() != u'\n')
                advance();
        } else {
            break;
        }
    }
    t.spaceBefore = space;
    t.afterContinuation = m_continued;
    t.line = m_line;
    t.col = m_col;
    if (m_pos >= m_src.size()) return t;
    char16_t c = peek();
    auto single = [&](Tok type) {
        advance();
        t.type = type;
        return t;
    };
    switch (c) {
    case u'\n':
        return single(Tok::Newline);
    case u':':
        t.text = u":";
        return single(Tok::Newline);
    case u',':
        return single(Tok::Comma);
    case u'(':
        return single(Tok::LParen);
    case u')':
        return single(Tok::RParen);
    case u'+':
        return single(Tok::Plus);
    case u'-':
        return single(Tok::Minus);
    case u'*':
        return single(Tok::Star);
    case u'/':
        return single(Tok::Slash);
    case u'\\':
        return single(Tok::Backslash);
    case u'^':
        return single(Tok::Caret);
    case u'=':
        // "=>" and "=<" are older spellings of ">=" and "<=".
        advance();
        if (peek() == u'>') return single(Tok::Ge);
        if (peek() == u'<') return single(Tok::Le);
        t.type = Tok::Eq;
        return t;
    case u'<':
        advance();
        if (peek() == u'>') return single(Tok::Ne);
        if (peek() == u'=') return single(Tok::Le);
        t.type = Tok::Lt;
        return t;
    case u'>':
        advance();
        if (peek() == u'=') return single(Tok::Ge);
        if (peek() == u'<') return single(Tok::Ne);
        t.type = Tok::Gt;
        return t;
    case u'"': {
        advance();
        std::u16string s;
        for (;;) {
            if (m_pos >= m_src.size() || peek() == u'\n') fail(err::UnterminatedString, t.line, t.col);
            if (peek() == u'"') {
                if (peek(1) == u'"') {
                    s.push_back(u'"');
                    advance();
                    advance();
                    continue;
                }
                advance();
                break;
            }
            s.push_back(peek());
            advance();
        }
        t.type = Tok::String;
        t.text = std::move(s);
        return t;
    }
    case u'#': {
        advance();
        std::u16string s;
        while (m_pos < m_src.size() && peek() != u'#' && peek() != u'\n') {
            s.push_back(peek());
            advance();
        }
        if (peek() != u'#') fail(err::SyntaxError, t.line, t.col);
        advance();
        // Date literals read month first whatever locale the script chose.
        const locale::Format& chosen = locale::active();
        locale::setActive(*locale::find(locale::DefaultId));
        try {
            t.value = Value::date(toDate(Value::string(s)));
        } catch (const RuntimeError&) {
            locale::setActive(chosen);
            fail(err::SyntaxError, t.line, t.col);
        }
        locale::setActive(chosen);
        t.type = Tok::Date;
        return t;
    }
    case u'[': {
        advance();
        std::u16string s;
        while (m_pos < m_src.size() && peek() != u']' && peek() != u'\n') {
            s.push_back(peek());
            advance();
        }
        if (peek() != u']') fail(err::ExpectedRBracket, t.line, t.col);
        advance();
        t.type = Tok::Word;
        t.text = std::move(s);
        return t;
    }
    case u'&':
        if (startsRadixLiteral()) return number(t);
        return single(Tok::Amp);
    case u'.':
        if (isDigit(peek(1))) return number(t);
        advance();
        t.type = Tok::Dot;
        m_memberNext = true; // a name right after it is a member, never a Rem comment
        return t;
    default:
        break;
    }
    if (isDigit(c)) return number(t);
    if (isLetter(c)) return word(t, member);
    fail(err::InvalidCharacter, t.line, t.col);
}

Token Lexer::word(Token t, bool member) {
    size_t start = m_pos;
    while (m_pos < m_src.size() && (isLetter(peek()) || isDigit(peek()) || peek() == u'_'))
        advance();
    if (m_pos - start > 255) fail(err::IdentifierTooLong, t.line, t.col);
    t.type = Tok::Word;
    t.text = std::u16string(m_src.substr(start, m_pos - start));
    t.kw = keywordOf(lowerAscii(t.text));
    if (t.kw == Kw::None && !member && equalsNoCase(t.text, std::string_view("rem"))) {
        // Rem comment: everything up to the end of the line.
        while (m_pos < m_src.size() && peek() != u'\n')
            advance();
        return next();
    }
    return t;
}

Token Lexer::number(Token t) {
    t.type = Tok::Number;
    if (peek() == u'&') {
        advance();
        int base = 8;
        if (peek() == u'H' || peek() == u'h')
            base = 16, advance();
        else if (peek() == u'O' || peek() == u'o')
            advance();
        uint64_t v = 0;
        size_t digits = 0;
        for (;;) {
            char16_t c = peek();
            int d;
            if (isDigit(c))
                d = c - u'0';
            else if (base == 16 && c >= u'a' && c <= u'f')
                d = c - u'a' + 10;
            else if (base == 16 && c >= u'A' && c <= u'F')
                d = c - u'A' + 10;
            else
                break;
            if (d >= base) fail(err::InvalidNumber, t.line, t.col);
            v = v * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
            if (v > 0xFFFFFFFFull) fail(err::InvalidNumber, t.line, t.col);
            advance();
            ++digits;
        }
        if (digits == 0) fail(err::InvalidNumber, t.line, t.col);
        bool forceLong = false;
        if (peek() == u'&') forceLong = true, advance();
        if (!forceLong && v <= 0xFFFF)
            t.value = Value::integer(static_cast<int16_t>(static_cast<uint16_t>(v)));
        else
            t.value = Value::lng(static_cast<int32_t>(static_cast<uint32_t>(v)));
        return t;
    }
    std::string digits;
    bool isFloat = false;
    while (isDigit(peek()))
        digits.push_back(static_cast<char>(peek())), advance();
    if (peek() == u'.' && isDigit(peek(1))) {
        isFloat = true;
        digits.push_back('.');
        advance();
        while (isDigit(peek()))
            digits.push_back(static_cast<char>(peek())), advance();
    } else if (peek() == u'.' && !isLetter(peek(1))) {
        isFloat = true;
        advance();
    }
    if ((peek() == u'e' || peek() == u'E') &&
        (isDigit(peek(1)) || ((peek(1) == u'+' || peek(1) == u'-') && isDigit(peek(2))))) {
        isFloat = true;
        digits.push_back('e');
        advance();
        if (peek() == u'+' || peek() == u'-') digits.push_back(static_cast<char>(peek())), advance();
        while (isDigit(peek()))
            digits.push_back(static_cast<char>(peek())), advance();
    }
    if (isLetter(peek()) || peek() == u'_') fail(err::InvalidNumber, t.line, t.col);
    double d = asciiToDouble(digits);
    if (!std::isfinite(d)) fail(err::InvalidNumber, t.line, t.col);
    if (!isFloat && d <= 32767)
        t.value = Value::integer(static_cast<int16_t>(d));
    else if (!isFloat && d <= 2147483647.0)
        t.value = Value::lng(static_cast<int32_t>(d));
    else
        t.value = Value::dbl(d);
    return t;
}

} // namespace tvk::script
