#include "app/replay/frmReplay.h"

#include "app/FormGeometry.h"
#include "app/Messages.h"
#include "app/NumericText.h"
#include "app/main/frmMain.h"
#include "app/modMain.h"
#include "app/replay/FilterScript.h"
#include "app/replay/RunTime.h"
#include "events/RuntimeError.h"
#include "events/clsEvents.h"
#include "language/clsLanguage.h"
#include "recorder/VirtualKeys.h"
#include "recorder/clsRecorder.h"
#include "support/clsSettings.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>
#include <cmath>

namespace tvk {

namespace {
// The boxes' texts at the last Start, for the replay hotkey.
std::array<QString, 3>& lastInputs() {
    static std::array<QString, 3> inputs;
    return inputs;
}
} // namespace

frmReplay::frmReplay(QWidget* owner) : QDialog(owner), QtForm(this), m_script(std::make_unique<FilterScript>()) {
    setObjectName(QStringLiteral("frmReplay"));
    setWindowTitle(QStringLiteral("Replay"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    setWindowModality(Qt::ApplicationModal);
    const double s = designScale(this);

    m_cmdStart = new QPushButton(QStringLiteral("&Start"), this);
    m_cmdStart->setObjectName(QStringLiteral("cmdStart"));
    m_cmdStart->setDefault(true);
    m_cmdStart->setAutoDefault(true);
    placeTwips(m_cmdStart, 1080, 2520, 1575, 375, s);
    m_cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    // Enter works the focused button, as on any dialog; elsewhere it works Start.
    m_cmdCancel->setAutoDefault(true);
    placeTwips(m_cmdCancel, 3000, 2520, 1575, 375, s);

    static const char* const inputTexts[] = {"-1", "-1", "0"};
    for (int i = 0; i < 3; ++i) {
        auto* box = new QLineEdit(QString::fromLatin1(inputTexts[i]), this);
        box->setObjectName(QStringLiteral("txtInput"));
        box->setProperty("Index", i);
        placeTwips(box, 2520, 600 + 360 * i, 2415, 285, s);
        box->installEventFilter(this);
        m_txtInput[static_cast<size_t>(i)] = box;
    }
    static const char* const labelNames[] = {"lblStart", "lblEndIndex", "lblLoops"};
    static const char* const labelTexts[] = {"Start &index:", "&End index:", "&Loops (-1 is infinite):"};
    QLabel* labels[3];
    for (int i = 0; i < 3; ++i) {
        labels[i] = new QLabel(this);
        labels[i]->setObjectName(QString::fromLatin1(labelNames[i]));
        labels[i]->setBuddy(m_txtInput[static_cast<size_t>(i)]);
        setLabelCaption(labels[i], QString::fromLatin1(labelTexts[i]));
        placeTwips(labels[i], 600, 600 + 360 * i, 1815, 255, s);
    }
    m_lblEstimatedTime = new QLabel(this);
    m_lblEstimatedTime->setObjectName(QStringLiteral("lblEstimatedTime"));
    m_lblEstimatedTime->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    setLabelCaption(m_lblEstimatedTime, QStringLiteral("&Estimated run time:"));
    placeTwips(m_lblEstimatedTime, 0, 2100, 5535, 255, s);

    // The speed row below the loops, as the other boxes are laid out.
    m_txtSpeed =
        new QLineEdit(settings().Setting(QStringLiteral("Replay"), QStringLiteral("Speed"), QStringLiteral("1")), this);
    m_txtSpeed->setObjectName(QStringLiteral("txtSpeed"));
    placeTwips(m_txtSpeed, 2520, 1680, 2415, 285, s);
    m_lblSpeed = new QLabel(this);
    m_lblSpeed->setObjectName(QStringLiteral("lblSpeed"));
    m_lblSpeed->setBuddy(m_txtSpeed);
    setLabelCaption(m_lblSpeed, QStringLiteral("Spee&d:"));
    placeTwips(m_lblSpeed, 600, 1680, 1815, 255, s);

    // Tab order as designed: Start, Cancel, then the three boxes.
    setTabOrder(m_cmdStart, m_cmdCancel);
    setTabOrder(m_cmdCancel, m_txtInput[0]);
    setTabOrder(m_txtInput[0], m_txtInput[1]);
    setTabOrder(m_txtInput[1], m_txtInput[2]);
    setTabOrder(m_txtInput[2], m_txtSpeed);

    addControl(m_cmdStart, "CommandButton");
    addControl(m_cmdCancel, "CommandButton");
    for (QLabel* l : labels)
        addControl(l, "Label");
    for (QLineEdit* box : m_txtInput)
        addControl(box, "TextBox");
    addControl(m_lblEstimatedTime, "Label");
    addControl(m_lblSpeed, "Label");
    addControl(m_txtSpeed, "TextBox");

    connect(m_cmdStart, &QPushButton::clicked, this, [this] { cmdStart_Click(); });
    connect(m_cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    for (QLineEdit* box : m_txtInput)
        connect(box, &QLineEdit::textChanged, this, [this] { txtInput_Change(); });
    connect(m_txtSpeed, &QLineEdit::textChanged, this, [this] {
        txtInput_Change();
        settings().setSetting(QStringLiteral("Replay"), QStringLiteral("Speed"), m_txtSpeed->text());
    });

    setFixedSize(scaled(369, s), scaled(217, s));
    language().ProcessForm(*this);
    fitCaptions();
}

frmReplay::~frmReplay() {
    Form_Unload();
}

void frmReplay::subscribe() {
    if (refRecorder && m_subscribedTo.lock() == refRecorder) return;
    m_subscribedTo = refRecorder;
    m_executing = Signal<int32_t, bool&>::ScopedConnection();
    if (refRecorder)
        m_executing = refRecorder->ExecutingEvent.connect(
            [this](int32_t index, bool& cancel) { refRecorder_ExecutingEvent(index, cancel); });
}

void frmReplay::Update() {
    subscribe();
    txtInput_Change();
}

bool frmReplay::eventFilter(QObject* watched, QEvent* event) {
    // Typed characters: digits, "-" and backspace pass, every other character is discarded. Keys that
    // move the focus or work the dialog (Tab, Enter, Escape) are not typed characters, and neither is
    // Delete, although X11 hands it over with the DEL character.
    if (event->type() == QEvent::KeyPress && watched->objectName() == QLatin1String("txtInput")) {
        const auto* key = static_cast<QKeyEvent*>(event);
        static constexpr int untypedKeys[] = {Qt::Key_Tab,   Qt::Key_Backtab, Qt::Key_Return,
                                              Qt::Key_Enter, Qt::Key_Escape,  Qt::Key_Delete};
        const bool untyped =
            std::find(std::begin(untypedKeys), std::end(untypedKeys), key->key()) != std::end(untypedKeys);
        if (!untyped && !key->text().isEmpty()) {
            const QChar c = key->text().front();
            const bool allowed = (c >= u'0' && c <= u'9') || c == u'-' || c == u'\b';
            if (!allowed) return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

QString frmReplay::estimatePrefix() const {
    // The label's text in the current language, as designed when the language has none.
    QString prefix;
    try {
        prefix = QString::fromStdString(
            language().EntryValue(std::string("frmReplay"), std::string("lblEstimatedTime")).text());
    } catch (const RuntimeError&) {
    }
    if (prefix.isEmpty()) prefix = QStringLiteral("&Estimated run time:");
    return prefix + u' ';
}

void frmReplay::txtInput_Change() {
    const QString prefix = estimatePrefix();
    QString caption = prefix + message("NotAvailable");
    try {
        const double loops = readNumber(m_txtInput[2]->text().toStdString(), {});
        if (loops >= 0 && refRecorder && refRecorder->Events) {
            const int32_t span = GetEventSpan(*refRecorder->Events, readBoxInteger(m_txtInput[0]->text().toStdString()),
                                              readBoxInteger(m_txtInput[1]->text().toStdString()));
            if (const auto total = estimateRunTime(loops, span)) {
                const auto atSpeed = static_cast<int64_t>(std::llround(static_cast<double>(*total) / speed()));
                caption = prefix + QString::fromStdString(FormatTime(atSpeed));
            }
        } else if (loops >= 0) {
            caption = prefix + QString::fromStdString(FormatTime(0));
        }
    } catch (const RuntimeError&) {
        // A number beyond any range, or a list a script left unreadable: no estimate.
    }
    setLabelCaption(m_lblEstimatedTime, caption);
    fitCaptions();
}

double frmReplay::speed() const {
    QString text = m_txtSpeed->text().trimmed();
    text.replace(QLocale().decimalPoint(), QStringLiteral("."));
    bool ok = false;
    const double value = QLocale::c().toDouble(text, &ok);
    if (!ok || !std::isfinite(value)) return 1;
    return std::clamp(value, clsRecorder::kMinSpeed, clsRecorder::kMaxSpeed);
}

QString frmReplay::estimateCaption() const {
    return labelCaption(m_lblEstimatedTime);
}

void frmReplay::refRecorder_ExecutingEvent(int32_t index, bool& cancel) {
    if (!m_run) return; // only replays started here are filtered
    if (m_main) {
        const QString total = m_run->passes < 0 ? QStringLiteral("\u221E") : QString::number(m_run->passes + 1);
        m_main->setActivityText(
            message("StatusReplaying").arg(m_run->pass).arg(total).arg(static_cast<qint64>(index) + 1));
    }
    const std::shared_ptr<clsRecorder> recorder = refRecorder;
    if (!recorder || !recorder->Events || !recorder->Events->EnableProcessor) return;
    // The filter's own failures let the event run; its answer otherwise decides.
    cancel = m_script->judge(index, cancel);
}

void frmReplay::cmdStart_Click() {
    if (m_run) return; // Enter on the default button during a replay starts nothing
    const std::shared_ptr<clsRecorder> recorder = refRecorder;
    if (!recorder) return;
    subscribe();
    QPointer<frmReplay> self(this);
    QPointer<frmMain> main = m_main;
    auto run = std::make_shared<RunState>();
    m_run = run;
    for (size_t i = 0; i < m_txtInput.size(); ++i)
        lastInputs()[i] = m_txtInput[i]->text();

    // Disabling Start moves the focus on to Cancel; it comes back afterwards, so that Enter starts
    // again rather than closing the window.
    const bool startHadFocus = m_cmdStart->hasFocus() || QApplication::focusWidget() == nullptr;
    m_cmdStart->setEnabled(false);
    if (main) main->setActivityText(message("Replaying"));
    int32_t passes = readBoxInteger(m_txtInput[2]->text().toStdString());
    run->passes = passes;
    // The user's own press of the stop key ends every pass; Escape typed by the replay does not
    // close this window either.
    recorder->setStopKey(
        settings().Setting(QStringLiteral("Replay"), QStringLiteral("StopKey"), QStringLiteral("27")).toInt());
    recorder->watchStopKey(true);
    run->escapes = recorder->backend().userPressCount(vk::Escape);

    std::shared_ptr<clsEvents> stored;
    std::shared_ptr<clsEvents> working;
    QString failure;
    try {
        if (recorder->Events && recorder->Events->EnableProcessor) {
            stored = recorder->Events;
            working = stored->CloneEvents();
            recorder->Events = working;
            m_script->prepare(working->ElementProcessor, stored, working);
        }
        for (;;) {
            if (run->stop || !self || recorder->stoppedByUser()) break;
            ++run->pass;
            const int32_t start = readBoxInteger(m_txtInput[0]->text().toStdString());
            const int32_t end = readBoxInteger(m_txtInput[1]->text().toStdString());
            recorder->setSpeed(speed());
            recorder->ReplayEvents(start, end);
            // A negative count replays until stopped; a count n gives n + 1 passes.
            if (passes >= 0 && --passes < 0) break;
        }
    } catch (const FilterScript::CompileError& e) {
        failure =
            message("CompileError").arg(e.number).arg(QString::fromStdString(e.description)).arg(e.line).arg(e.column);
    } catch (const RuntimeError& e) {
        failure = message("ReplayStopped").arg(e.number()).arg(QString::fromStdString(e.description()));
    }

    // However it ended (and even when a script cleared the flag of the working copy), the
    // recorder gets the stored list back and nothing stays held down. A list that Clear or Open put
    // in place during the replay stays.
    if (stored && recorder->Events == working) recorder->Events = stored;
    recorder->releaseHeldInput();
    const bool byUser = recorder->stoppedByUser();
    recorder->watchStopKey(false);
    if (main) main->setActivityText(byUser ? message("StatusStoppedByUser") : QString());
    if (!self) return;
    m_run.reset();
    m_cmdStart->setEnabled(true);
    // The replay usually clicked into another window: take the keyboard back, so that Enter
    // starts again and Escape cancels.
    if (isVisible()) {
        raise();
        activateWindow();
        if (startHadFocus) m_cmdStart->setFocus();
    }
    if (!failure.isEmpty()) QMessageBox::critical(this, windowTitle(), failure);
}

void frmReplay::stopReplay() {
    if (m_run) m_run->stop = true;
    if (refRecorder) refRecorder->StopProcess();
}

void frmReplay::startWithLastValues() {
    if (m_run) return;
    for (size_t i = 0; i < m_txtInput.size(); ++i) {
        if (!lastInputs()[i].isEmpty()) m_txtInput[i]->setText(lastInputs()[i]);
    }
    cmdStart_Click();
}

void frmReplay::cmdCancel_Click() {
    close();
}

void frmReplay::reject() {
    // During a replay, Escape closes the window only when the user pressed it.
    if (m_run && refRecorder && refRecorder->backend().userPressCount(vk::Escape) == m_run->escapes) return;
    close();
}

void frmReplay::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

void frmReplay::Form_Unload() {
    if (m_unloaded) return;
    m_unloaded = true;
    // Stops the pass in progress and, through the run state, every pass after it.
    if (m_run) m_run->stop = true;
    if (refRecorder) refRecorder->StopProcess();
    m_executing.disconnect();
}

} // namespace tvk
