#include "app/filters/CodeEditor.h"

#include <QFontDatabase>
#include <QHelpEvent>
#include <QLabel>
#include <QPainter>
#include <QTextBlock>
#include <QToolTip>

namespace tvk {

namespace {

// The strip left of the text; it only forwards painting to the editor, which knows the lines.
class Gutter final : public QWidget {
public:
    explicit Gutter(CodeEditor* editor) : QWidget(editor), m_editor(editor) {}
    QSize sizeHint() const override { return QSize(m_editor->gutterWidth(), 0); }

protected:
    void paintEvent(QPaintEvent* event) override { m_editor->paintGutter(event, this); }

private:
    CodeEditor* m_editor;
};

} // namespace

CodeEditor::CodeEditor(QWidget* parent) : QPlainTextEdit(parent) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::Monospace);
    setFont(font);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTabChangesFocus(false);
    m_gutter = new Gutter(this);
    m_errorLine = new QLabel(this);
    m_errorLine->setObjectName(QStringLiteral("lblError"));
    m_errorLine->setAutoFillBackground(true);
    m_errorLine->setContentsMargins(4, 1, 4, 1);
    QPalette pal = m_errorLine->palette();
    pal.setColor(QPalette::Window, QColor(0xff, 0xe8, 0xe8));
    pal.setColor(QPalette::WindowText, QColor(0x80, 0x00, 0x00));
    m_errorLine->setPalette(pal);
    m_errorLine->hide();

    connect(this, &QPlainTextEdit::blockCountChanged, this, [this] { updateMargins(); });
    connect(this, &QPlainTextEdit::updateRequest, this, [this](const QRect& rect, int dy) {
        if (dy)
            m_gutter->scroll(0, dy);
        else
            m_gutter->update(0, rect.y(), m_gutter->width(), rect.height());
    });
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, [this] { updateSelections(); });
    updateMargins();
    updateSelections();
}

int CodeEditor::gutterWidth() const {
    int digits = 1;
    for (int n = std::max(1, blockCount()); n >= 10; n /= 10)
        ++digits;
    return 8 + fontMetrics().horizontalAdvance(QLatin1Char('9')) * std::max(digits, 2);
}

void CodeEditor::updateMargins() {
    const int bottom = m_errorLine->isVisible() ? m_errorLine->sizeHint().height() : 0;
    setViewportMargins(gutterWidth(), 0, 0, bottom);
    placeChildren();
}

void CodeEditor::placeChildren() {
    const QRect area = contentsRect();
    const int bottom = m_errorLine->isVisible() ? m_errorLine->sizeHint().height() : 0;
    const int textHeight = viewport()->height();
    m_gutter->setGeometry(area.left(), area.top(), gutterWidth(), textHeight);
    m_errorLine->setGeometry(area.left(), area.top() + textHeight, area.width(), bottom);
}

void CodeEditor::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    placeChildren();
}

void CodeEditor::paintGutter(QPaintEvent* event, QWidget* gutter) {
    QPainter painter(gutter);
    painter.fillRect(event->rect(), palette().color(QPalette::Window));
    QTextBlock block = firstVisibleBlock();
    int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
    const int current = textCursor().blockNumber();
    while (block.isValid() && top <= event->rect().bottom()) {
        const int height = qRound(blockBoundingRect(block).height());
        if (block.isVisible() && top + height >= event->rect().top()) {
            const int number = block.blockNumber();
            painter.setPen(number == m_errorBlock ? QColor(0xc0, 0x00, 0x00)
                           : number == current    ? palette().color(QPalette::Text)
                                                  : palette().color(QPalette::PlaceholderText));
            painter.drawText(0, top, gutter->width() - 4, fontMetrics().height(), Qt::AlignRight,
                             QString::number(number + 1));
        }
        block = block.next();
        top += height;
    }
}

void CodeEditor::keyPressEvent(QKeyEvent* event) {
    const bool control = event->modifiers() & Qt::ControlModifier;
    if ((event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) && control) {
        // The keyboard way out of an editor that keeps Tab.
        QWidget::focusNextPrevChild(event->key() == Qt::Key_Tab && !(event->modifiers() & Qt::ShiftModifier));
        return;
    }
    if (event->key() == Qt::Key_Tab && !(event->modifiers() & (Qt::ShiftModifier | Qt::AltModifier))) {
        QTextCursor cursor = textCursor();
        const int column = cursor.position() - cursor.block().position();
        insertPlainText(QString(TabWidth - column % TabWidth, QLatin1Char(' ')));
        return;
    }
    if (event->key() == Qt::Key_Backtab) {
        QWidget::focusNextPrevChild(false);
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

bool CodeEditor::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip && hasError()) {
        // The error's text over the marked line.
        auto* help = static_cast<QHelpEvent*>(event);
        const QPoint inText = viewport()->mapFrom(this, help->pos());
        if (cursorForPosition(inText).blockNumber() == m_errorBlock || m_errorBlock < 0) {
            QToolTip::showText(help->globalPos(), m_errorMessage, this);
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    return QPlainTextEdit::event(event);
}

void CodeEditor::setError(int line, int column, const QString& message) {
    m_errorMessage = message;
    m_errorBlock = line >= 1 && line <= blockCount() ? line - 1 : -1;
    m_errorColumn = std::max(0, column - 1);
    m_errorLine->setText(message);
    m_errorLine->setToolTip(message);
    m_errorLine->show();
    updateMargins();
    updateSelections();
    m_gutter->update();
}

void CodeEditor::clearError() {
    if (!hasError()) return;
    m_errorMessage.clear();
    m_errorBlock = -1;
    m_errorLine->hide();
    updateMargins();
    updateSelections();
    m_gutter->update();
}

void CodeEditor::updateSelections() {
    QList<QTextEdit::ExtraSelection> selections;
    QTextEdit::ExtraSelection current;
    current.format.setBackground(QColor(0xff, 0xfb, 0xd6));
    current.format.setProperty(QTextFormat::FullWidthSelection, true);
    current.cursor = textCursor();
    current.cursor.clearSelection();
    selections.append(current);
    if (m_errorBlock >= 0) {
        const QTextBlock block = document()->findBlockByNumber(m_errorBlock);
        if (block.isValid()) {
            // The word at the error's column (or the line's last character past its end) gets a wavy line.
            QTextEdit::ExtraSelection error;
            error.format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
            error.format.setUnderlineColor(Qt::red);
            error.format.setToolTip(m_errorMessage);
            const int length = block.length() - 1;
            const int start = std::min(m_errorColumn, std::max(0, length - 1));
            int end = start;
            const QString text = block.text();
            while (end < length && (text[end].isLetterOrNumber() || text[end] == u'_'))
                ++end;
            if (end == start) end = std::min(length, start + 1);
            error.cursor = QTextCursor(block);
            error.cursor.setPosition(block.position() + start);
            error.cursor.setPosition(block.position() + end, QTextCursor::KeepAnchor);
            selections.append(error);
        }
    }
    setExtraSelections(selections);
}

} // namespace tvk
