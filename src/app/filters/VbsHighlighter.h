#pragma once

#include <QSyntaxHighlighter>
#include <QTextCharFormat>

namespace tvk {

// Colours filter scripts as they are typed: keywords, strings, numbers (decimal, &H, &O),
// #date# literals and comments (' and Rem). Works line by line: the language has no construct
// that spans lines except the _ continuation, which needs no colour of its own.
class VbsHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    explicit VbsHighlighter(QTextDocument* document);

    // The kinds of text coloured, for tests and themes.
    enum class Kind { Plain, Keyword, String, Number, Date, Comment };
    // The kind of each character of `line`, as highlightBlock colours them.
    static QList<Kind> classify(const QString& line);

protected:
    void highlightBlock(const QString& text) override;

private:
    QTextCharFormat m_formats[6];
};

} // namespace tvk
