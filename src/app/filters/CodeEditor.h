#pragma once

#include <QPlainTextEdit>

class QLabel;

namespace tvk {

// A plain-text editor for scripts: monospace font, line numbers in a gutter, the current line
// marked, Tab inserting blanks up to the next stop (Ctrl+Tab leaves the editor), and one error
// marked at its line and column with its text in a line below the text and in a tooltip.
class CodeEditor : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr int TabWidth = 4;

    explicit CodeEditor(QWidget* parent = nullptr);

    // Marks the error at line and column (both from 1; a column past the line's end marks its
    // end) and shows `message`. Line 0 shows the message without marking any text.
    void setError(int line, int column, const QString& message);
    void clearError();
    bool hasError() const { return !m_errorMessage.isEmpty(); }
    QString errorMessage() const { return m_errorMessage; }
    // The line below the text that shows the error (hidden while there is none).
    QLabel* errorLine() const { return m_errorLine; }

    // Width the gutter needs for the current number of lines.
    int gutterWidth() const;
    // Paints the gutter's line numbers (called by the gutter widget).
    void paintGutter(QPaintEvent* event, QWidget* gutter);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    void updateMargins();
    void updateSelections();
    void placeChildren();

    QWidget* m_gutter = nullptr;
    QLabel* m_errorLine = nullptr;
    QString m_errorMessage;
    int m_errorBlock = -1; // block (line - 1) of the marked error, -1 for none
    int m_errorColumn = 0; // 0-based position in that block
};

} // namespace tvk
