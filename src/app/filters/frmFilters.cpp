#include "app/filters/frmFilters.h"

#include "app/Document.h"
#include "app/FormGeometry.h"
#include "app/modMain.h"
#include "events/clsEvents.h"
#include "language/clsLanguage.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QPlainTextEdit>

namespace tvk {

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

    m_txtCode = new QPlainTextEdit(this);
    m_txtCode->setObjectName(QStringLiteral("txtCode"));
    m_txtCode->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_txtCode->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_txtCode->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_txtCode->setTabChangesFocus(true); // Tab goes on to the check box; scripts indent with blanks
    m_txtCode->setEnabled(false);
    m_chkEnable = new QCheckBox(QStringLiteral("&Enable filtering"), this);
    m_chkEnable->setObjectName(QStringLiteral("chkEnable"));
    m_chkEnable->resize(scaled(225, s), std::max(scaled(17, s), m_chkEnable->sizeHint().height()));
    m_chkEnable->installEventFilter(this);
    m_txtCode->move(8, 8);

    addControl(m_txtCode, "TextBox");
    addControl(m_chkEnable, "CheckBox");

    connect(m_txtCode, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_filling) SaveAll();
    });
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
}

} // namespace tvk
