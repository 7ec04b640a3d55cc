#include "app/filters/frmFilters.h"

#include "app/Document.h"
#include "app/FormGeometry.h"
#include "app/Messages.h"
#include "app/filters/CodeEditor.h"
#include "app/filters/FilterTrial.h"
#include "app/filters/TrialReport.h"
#include "app/filters/VbsHighlighter.h"
#include "app/modMain.h"
#include "events/clsEvents.h"
#include "language/clsLanguage.h"
#include "script/ScriptControl.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>

namespace tvk {

namespace {

void markError(CodeEditor& editor, int line, int column, int number, const std::string& description) {
    editor.setError(
        line, column,
        message("FilterErrorAt").arg(line).arg(column).arg(number).arg(QString::fromStdString(description)));
}

} // namespace

QString frmFilters::DefaultScript() {
    return QStringLiteral("Function ElementInvoked(Index)\r\n"
                          "\r\n"
                          "   ElementInvoked = True ' Allow this element\r\n"
                          "\r\n"
                          "End Function");
}

frmFilters::frmFilters(QWidget* parent) : QWidget(parent), QtForm(this) {
    setObjectName(QStringLiteral("frmFilters"));
    setWindowTitle(QStringLiteral("Filters"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    const double s = designScale(this);

    m_txtCode = new CodeEditor(this);
    m_txtCode->setObjectName(QStringLiteral("txtCode"));
    m_txtCode->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_txtCode->setEnabled(false);
    new VbsHighlighter(m_txtCode->document());
    m_chkEnable = new QCheckBox(QStringLiteral("&Enable filtering"), this);
    m_chkEnable->setObjectName(QStringLiteral("chkEnable"));
    m_chkEnable->resize(scaled(225, s), std::max(scaled(17, s), m_chkEnable->sizeHint().height()));
    m_chkEnable->installEventFilter(this);
    m_cmdTry = new QPushButton(QStringLiteral("&Try"), this);
    m_cmdTry->setObjectName(QStringLiteral("cmdTry"));
    m_cmdTry->resize(std::max(scaled(73, s), m_cmdTry->sizeHint().width()),
                     std::max(scaled(23, s), m_cmdTry->sizeHint().height()));
    m_txtCode->move(8, 8);
    m_checkTimer = new QTimer(this);
    m_checkTimer->setSingleShot(true);
    m_checkTimer->setInterval(CheckDelayMs);

    addControl(m_txtCode, "TextBox");
    addControl(m_chkEnable, "CheckBox");
    addControl(m_cmdTry, "CommandButton");

    connect(m_txtCode, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_filling) SaveAll();
        m_checkTimer->start(); // checked once the typing pauses
    });
    connect(m_checkTimer, &QTimer::timeout, this, &frmFilters::checkScript);
    connect(m_cmdTry, &QPushButton::clicked, this, &frmFilters::cmdTry_Click);
    // A click or the space bar changes the state; either way the new state is stored.
    connect(m_chkEnable, &QCheckBox::stateChanged, this, [this] {
        if (!m_filling) SaveAll();
    });

    resize(scaled(484, s), scaled(392, s));
    language().ProcessForm(*this);
    fitCaptions();
}

void frmFilters::setDocument(std::shared_ptr<Document> document) {
    if (document != m_document) {
        m_document = std::move(document);
        m_replaced = m_document ? m_document->EventsReplaced.connect([this] { Update(); }) : Signal<>::Connection();
    }
    Update();
}

QPlainTextEdit* frmFilters::editor() const {
    return m_txtCode;
}

void frmFilters::Update() {
    if (!m_document) return;
    const clsEvents& events = *m_document->events();
    const bool enabled = events.EnableProcessor != 0;
    m_filling = true;
    m_chkEnable->setChecked(enabled);
    m_txtCode->setPlainText(QString::fromStdString(events.ElementProcessor));
    m_filling = false;
    m_txtCode->setEnabled(enabled);
    // The default script is stored into the list, but as an offer rather than the user's edit: a
    // list that was unchanged stays so.
    if (m_txtCode->toPlainText().isEmpty()) {
        m_filling = true;
        m_txtCode->setPlainText(DefaultScript());
        m_filling = false;
        m_document->changeUnmarked([](clsEvents& list) { list.ElementProcessor = DefaultScript().toStdString(); });
    }
}

void frmFilters::SaveAll() {
    if (!m_document) return;
    clsEvents& events = *m_document->events();
    // The editor shows line breaks as LF; the list keeps the script with CR LF as it is saved.
    QString text = m_txtCode->toPlainText();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\n', QStringLiteral("\r\n"));
    std::string script = text.toStdString();
    const int16_t flag = m_chkEnable->isChecked() ? -1 : 0;
    if (script != events.ElementProcessor || flag != events.EnableProcessor) m_document->markModified();
    events.ElementProcessor = std::move(script);
    events.EnableProcessor = flag;
    m_txtCode->setEnabled(events.EnableProcessor != 0);
}

void frmFilters::checkScript() {
    m_checkTimer->stop();
    try {
        ScriptControl::Check(m_txtCode->toPlainText().toStdString());
        m_txtCode->clearError();
    } catch (const ScriptError& e) {
        markError(*m_txtCode, e.line(), e.column(), e.number(), script::scriptDescription(e));
    }
}

void frmFilters::cmdTry_Click() {
    if (!m_document) return;
    const clsEvents& events = *m_document->events();
    const FilterTrial::Result result = FilterTrial::run(events); // every edit is stored already
    if (result.errorNumber && result.line > 0)
        markError(*m_txtCode, result.line, result.column, result.errorNumber, result.errorDescription);
    TrialReport::make(result, events.EnableProcessor != 0).show(this);
}

bool frmFilters::eventFilter(QObject* watched, QEvent* event) {
    // A key pressed on the check box stores the window's state before the key takes effect.
    if (watched == m_chkEnable && event->type() == QEvent::KeyPress) SaveAll();
    return QWidget::eventFilter(watched, event);
}

void frmFilters::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // 8-pixel margins around the editor and the check box; a window too small leaves the editor empty.
    const int width = std::max(0, this->width() - 16);
    const int height = std::max(0, this->height() - m_chkEnable->height() - 24);
    m_txtCode->setGeometry(8, 8, width, height);
    m_chkEnable->move(8, m_txtCode->y() + height + 8);
    // Try sits at the right end of the check box's row, level with it.
    m_cmdTry->move(std::max(8 + m_chkEnable->width(), this->width() - 8 - m_cmdTry->width()),
                   m_chkEnable->y() + (m_chkEnable->height() - m_cmdTry->height()) / 2);
}

} // namespace tvk
