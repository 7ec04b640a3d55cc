#include "app/filters/VbsHighlighter.h"

#include <QSet>

namespace tvk {

namespace {

bool isKeyword(const QString& word) {
    static const QSet<QString> keywords = [] {
        QSet<QString> k;
        for (const char* w :
             {"and",       "byref",    "byval",  "call",   "case",     "class",    "const",   "default",  "dim",
              "do",        "each",     "else",   "elseif", "empty",    "end",      "eqv",     "erase",    "error",
              "exit",      "explicit", "false",  "for",    "function", "get",      "goto",    "if",       "imp",
              "in",        "is",       "let",    "loop",   "me",       "mod",      "new",     "next",     "not",
              "nothing",   "null",     "on",     "option", "or",       "preserve", "private", "property", "public",
              "randomize", "redim",    "resume", "select", "set",      "step",     "stop",    "sub",      "then",
              "to",        "true",     "until",  "wend",   "while",    "with",     "xor"})
            k.insert(QString::fromLatin1(w));
        return k;
    }();
    return keywords.contains(word.toLower());
}

bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}

bool isHexDigit(QChar c) {
    return c.isDigit() || (c.toLower() >= u'a' && c.toLower() <= u'f');
}

} // namespace

VbsHighlighter::VbsHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {
    m_formats[static_cast<int>(Kind::Keyword)].setForeground(QColor(0x00, 0x00, 0xa0));
    m_formats[static_cast<int>(Kind::Keyword)].setFontWeight(QFont::Bold);
    m_formats[static_cast<int>(Kind::String)].setForeground(QColor(0xa3, 0x15, 0x15));
    m_formats[static_cast<int>(Kind::Number)].setForeground(QColor(0x09, 0x86, 0x58));
    m_formats[static_cast<int>(Kind::Date)].setForeground(QColor(0x09, 0x86, 0x58));
    m_formats[static_cast<int>(Kind::Comment)].setForeground(QColor(0x00, 0x80, 0x00));
    m_formats[static_cast<int>(Kind::Comment)].setFontItalic(true);
}

QList<VbsHighlighter::Kind> VbsHighlighter::classify(const QString& line) {
    QList<Kind> kinds(line.size(), Kind::Plain);
    const qsizetype n = line.size();
    auto mark = [&](qsizetype from, qsizetype to, Kind k) {
        for (qsizetype i = from; i < to && i < n; ++i)
            kinds[i] = k;
    };
    qsizetype i = 0;
    bool afterDot = false; // o.Rem and o.End are member names, not keywords
    while (i < n) {
        const QChar c = line[i];
        if (c == u'\'') {
            mark(i, n, Kind::Comment);
            break;
        }
        if (c == u'"') {
            // "" inside a string is one quote; an unclosed string runs to the end of the line.
            qsizetype j = i + 1;
            while (j < n) {
                if (line[j] == u'"') {
                    if (j + 1 < n && line[j + 1] == u'"') {
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                ++j;
            }
            mark(i, j, Kind::String);
            i = j;
            afterDot = false;
            continue;
        }
        if (c == u'#') {
            const qsizetype close = line.indexOf(u'#', i + 1);
            if (close > i + 1) {
                mark(i, close + 1, Kind::Date);
                i = close + 1;
                continue;
            }
        }
        if (c == u'&' && i + 1 < n && (line[i + 1].toLower() == u'h' || line[i + 1].toLower() == u'o')) {
            // &H1F and &O17; &h followed by something else is the & operator and a name.
            const bool hex = line[i + 1].toLower() == u'h';
            qsizetype j = i + 2;
            while (j < n && (hex ? isHexDigit(line[j]) : (line[j] >= u'0' && line[j] <= u'7')))
                ++j;
            if (j > i + 2 && (j == n || !isWordChar(line[j]) || line[j] == u'&')) {
                if (j < n && line[j] == u'&') ++j;
                mark(i, j, Kind::Number);
                i = j;
                continue;
            }
        }
        if (c.isDigit() || (c == u'.' && i + 1 < n && line[i + 1].isDigit() && (i == 0 || !isWordChar(line[i - 1])))) {
            qsizetype j = i;
            while (j < n && (line[j].isDigit() || line[j] == u'.'))
                ++j;
            if (j < n && line[j].toLower() == u'e') {
                qsizetype k = j + 1;
                if (k < n && (line[k] == u'+' || line[k] == u'-')) ++k;
                if (k < n && line[k].isDigit()) {
                    j = k;
                    while (j < n && line[j].isDigit())
                        ++j;
                }
            }
            mark(i, j, Kind::Number);
            i = j;
            afterDot = false;
            continue;
        }
        if (c.isLetter() || c == u'[') {
            qsizetype j = i + 1;
            if (c == u'[') {
                const qsizetype close = line.indexOf(u']', i);
                j = close < 0 ? n : close + 1;
            } else {
                while (j < n && isWordChar(line[j]))
                    ++j;
            }
            const QString word = line.mid(i, j - i);
            if (!afterDot && word.compare(QLatin1String("rem"), Qt::CaseInsensitive) == 0) {
                mark(i, n, Kind::Comment);
                break;
            }
            if (!afterDot && isKeyword(word)) mark(i, j, Kind::Keyword);
            i = j;
            afterDot = false;
            continue;
        }
        if (!c.isSpace()) afterDot = c == u'.';
        ++i;
    }
    return kinds;
}

void VbsHighlighter::highlightBlock(const QString& text) {
    const QList<Kind> kinds = classify(text);
    qsizetype start = 0;
    for (qsizetype i = 1; i <= kinds.size(); ++i) {
        if (i < kinds.size() && kinds[i] == kinds[start]) continue;
        if (kinds[start] != Kind::Plain)
            setFormat(static_cast<int>(start), static_cast<int>(i - start), m_formats[static_cast<int>(kinds[start])]);
        start = i;
    }
}

} // namespace tvk
