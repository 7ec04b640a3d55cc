#include "app/settings/frmSettings.h"

#include "app/Document.h"
#include "app/FormGeometry.h"
#include "app/GlobalHotkeys.h"
#include "app/Messages.h"
#include "app/NumericText.h"
#include "app/modMain.h"
#include "events/RuntimeError.h"
#include "events/clsEvents.h"
#include "language/clsLanguage.h"
#include "support/clsFileOperation.h"
#include "support/clsSettings.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

namespace tvk {

frmSettings::frmSettings(QWidget* parent) : QDialog(parent), QtForm(this) {
    setObjectName(QStringLiteral("frmSettings"));
    setWindowTitle(QStringLiteral("Settings"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    const double s = designScale(this);

    auto* frameLanguage = new QGroupBox(QStringLiteral("&Language: "), this);
    frameLanguage->setObjectName(QStringLiteral("frameLanguage"));
    placeTwips(frameLanguage, 240, 240, 4335, 1335, s);
    auto* picLanguage = new QWidget(frameLanguage);
    picLanguage->setObjectName(QStringLiteral("picLanguage"));
    placeTwips(picLanguage, 120, 240, 4095, 975, s);
    auto* lblLanguage = new QLabel(picLanguage);
    lblLanguage->setObjectName(QStringLiteral("lblLanguage"));
    placeTwips(lblLanguage, 120, 390, 1455, 255, s);
    m_cmdLanguage = new QComboBox(picLanguage);
    m_cmdLanguage->setObjectName(QStringLiteral("cmdLanguage"));
    m_cmdLanguage->setEditable(false);
    placeTwips(m_cmdLanguage, 2160, 360, 1815, 315, s);
    lblLanguage->setBuddy(m_cmdLanguage);
    setLabelCaption(lblLanguage, QStringLiteral("&Select file:"));

    auto* frameDetail = new QGroupBox(QStringLiteral("&Mouse detail:"), this);
    frameDetail->setObjectName(QStringLiteral("frameDetailSettings"));
    placeTwips(frameDetail, 240, 1680, 4335, 1575, s);
    auto* picMouseDetail = new QWidget(frameDetail);
    picMouseDetail->setObjectName(QStringLiteral("picMouseDetail"));
    placeTwips(picMouseDetail, 120, 240, 4095, 1215, s);
    auto* lblMouseUp = new QLabel(picMouseDetail);
    lblMouseUp->setObjectName(QStringLiteral("lblMouseUp"));
    placeTwips(lblMouseUp, 120, 375, 2040, 255, s); // ends where its box begins
    auto* lblMouseDown = new QLabel(picMouseDetail);
    lblMouseDown->setObjectName(QStringLiteral("lblMouseDown"));
    placeTwips(lblMouseDown, 120, 750, 2040, 255, s);
    m_txtMouseUp = new QLineEdit(picMouseDetail);
    m_txtMouseUp->setObjectName(QStringLiteral("txtMouseUp"));
    placeTwips(m_txtMouseUp, 2160, 360, 1815, 285, s);
    m_txtMouseDown = new QLineEdit(picMouseDetail);
    m_txtMouseDown->setObjectName(QStringLiteral("txtMouseDown"));
    placeTwips(m_txtMouseDown, 2160, 720, 1815, 285, s);
    lblMouseUp->setBuddy(m_txtMouseUp);
    lblMouseDown->setBuddy(m_txtMouseDown);
    setLabelCaption(lblMouseUp, QStringLiteral("Detail at mouse &up:"));
    setLabelCaption(lblMouseDown, QStringLiteral("Detail at mouse do&wn:"));

    // Global hotkeys: off unless the user turns them on; one combination per command.
    auto* frameHotkeys = new QGroupBox(QStringLiteral("&Global hotkeys:"), this);
    frameHotkeys->setObjectName(QStringLiteral("frameHotkeys"));
    placeTwips(frameHotkeys, 240, 3360, 4335, 1815, s);
    auto* picHotkeys = new QWidget(frameHotkeys);
    picHotkeys->setObjectName(QStringLiteral("picHotkeys"));
    placeTwips(picHotkeys, 120, 240, 4095, 1455, s);
    m_chkHotkeys = new QCheckBox(QStringLiteral("Work from &any window"), picHotkeys);
    m_chkHotkeys->setObjectName(QStringLiteral("chkHotkeys"));
    placeTwips(m_chkHotkeys, 120, 60, 3855, 285, s);
    static const char* const hotkeyNames[] = {"HotkeyRecord", "HotkeyReplay", "HotkeyStopReplay"};
    static const char* const hotkeyTexts[] = {"&Record / stop:", "Start re&play:", "S&top replay:"};
    QLabel* hotkeyLabels[3];
    for (int i = 0; i < 3; ++i) {
        hotkeyLabels[i] = new QLabel(picHotkeys);
        hotkeyLabels[i]->setObjectName(QStringLiteral("lbl") + QLatin1String(hotkeyNames[i]));
        placeTwips(hotkeyLabels[i], 120, 435 + 345 * i, 2040, 255, s);
        auto* edit = new QKeySequenceEdit(picHotkeys);
        edit->setObjectName(QStringLiteral("txt") + QLatin1String(hotkeyNames[i]));
        placeTwips(edit, 2160, 420 + 345 * i, 1815, 285, s);
        hotkeyLabels[i]->setBuddy(edit);
        setLabelCaption(hotkeyLabels[i], QString::fromLatin1(hotkeyTexts[i]));
        m_txtHotkeys[static_cast<size_t>(i)] = edit;
        connect(m_chkHotkeys, &QCheckBox::toggled, edit, &QWidget::setEnabled);
    }

    auto* cmdOk = new QPushButton(QStringLiteral("&Ok"), this);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setDefault(true);
    placeTwips(cmdOk, 2040, 5400, 1215, 375, s);
    auto* cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    // Enter works the focused button, as on any dialog; elsewhere it works OK.
    cmdCancel->setAutoDefault(true);
    placeTwips(cmdCancel, 3360, 5400, 1215, 375, s);

    addControl(frameLanguage, "Frame");
    addControl(picLanguage, "PictureBox");
    addControl(lblLanguage, "Label");
    addControl(m_cmdLanguage, "ComboBox");
    addControl(frameDetail, "Frame");
    addControl(picMouseDetail, "PictureBox");
    addControl(lblMouseUp, "Label");
    addControl(lblMouseDown, "Label");
    addControl(m_txtMouseUp, "TextBox");
    addControl(m_txtMouseDown, "TextBox");
    addControl(frameHotkeys, "Frame");
    addControl(picHotkeys, "PictureBox");
    addControl(m_chkHotkeys, "CheckBox");
    for (QLabel* l : hotkeyLabels)
        addControl(l, "Label");
    addControl(cmdOk, "CommandButton");
    addControl(cmdCancel, "CommandButton");

    connect(cmdOk, &QPushButton::clicked, this, [this] { cmdOk_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });

    setFixedSize(scaled(4860 / 15, s), scaled(5985 / 15, s));
    language().ProcessForm(*this);
    fitCaptions();
}

void frmSettings::setDocument(std::shared_ptr<Document> document) {
    if (document == m_document) return;
    m_document = std::move(document);
    m_replaced = m_document ? m_document->EventsReplaced.connect([this] { showDetails(); }) : Signal<>::Connection();
}

void frmSettings::showDetails() {
    if (!m_document) return;
    const clsEvents& events = *m_document->events();
    m_txtMouseUp->setText(QString::number(events.MouseUpDetail));
    m_txtMouseDown->setText(QString::number(events.MouseDownDetail));
}

void frmSettings::LoadSettings() {
    m_cmdLanguage->clear();
    const std::string folder = QFile::encodeName(languagesFolder()).toStdString();
    const auto files = clsFileOperation::RetriveFileList(folder, "*.xml", false, clsFileOperation::Directory);
    const QString loaded = QString::fromStdString(language().LanguageName);
    int selected = -1;
    for (const std::string& path : files) {
        const QString name =
            QString::fromStdString(clsFileOperation::GetNoExtension(clsFileOperation::GetFileName(path)));
        m_cmdLanguage->addItem(name);
        if (name == loaded) selected = m_cmdLanguage->count() - 1; // letter case counts
    }
    m_cmdLanguage->setCurrentIndex(selected); // nothing selected when no file is the loaded language
    showDetails();
    const QString group = QStringLiteral("Hotkeys");
    m_chkHotkeys->setChecked(settings().Setting(group, QStringLiteral("Enabled"), QStringLiteral("0")) == "1");
    for (size_t i = 0; i < m_txtHotkeys.size(); ++i) {
        const auto command = static_cast<GlobalHotkeys::Command>(i + 1);
        const QString text =
            settings().Setting(group, GlobalHotkeys::settingName(command), GlobalHotkeys::defaultSequence(command));
        m_txtHotkeys[i]->setKeySequence(QKeySequence::fromString(text, QKeySequence::PortableText));
        m_txtHotkeys[i]->setEnabled(m_chkHotkeys->isChecked());
    }
}

void frmSettings::SaveSettings() {
    // Both details are read first, so a value the list cannot hold changes nothing at all.
    const int32_t up = readDetailValue(m_txtMouseUp->text().toStdString());
    const int32_t down = readDetailValue(m_txtMouseDown->text().toStdString());
    // With no language chosen (none matched the loaded one, or its file failed) the stored one stays.
    if (m_cmdLanguage->currentIndex() >= 0)
        settings().setSetting(QStringLiteral("General"), QStringLiteral("Language"), m_cmdLanguage->currentText());
    // Every window, this one included, changes language before the window closes; a language file
    // that breaks the format is reported and the details are still written.
    loadLanguageReporting(this);
    if (m_document) {
        clsEvents& events = *m_document->events();
        if (events.MouseUpDetail != up || events.MouseDownDetail != down) m_document->markModified();
        events.MouseUpDetail = up;
        events.MouseDownDetail = down;
    }
    const QString group = QStringLiteral("Hotkeys");
    settings().setSetting(group, QStringLiteral("Enabled"),
                          m_chkHotkeys->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    for (size_t i = 0; i < m_txtHotkeys.size(); ++i) {
        // Only the first combination of a sequence is a hotkey.
        const QKeySequence sequence = m_txtHotkeys[i]->keySequence();
        const QString text =
            sequence.isEmpty() ? QString() : QKeySequence(sequence[0]).toString(QKeySequence::PortableText);
        settings().setSetting(group, GlobalHotkeys::settingName(static_cast<GlobalHotkeys::Command>(i + 1)), text);
    }
    const QStringList taken = GlobalHotkeys::applyAll();
    if (!taken.isEmpty()) QMessageBox::warning(this, windowTitle(), message("HotkeyTaken").arg(taken.join(", ")));
}

void frmSettings::cmdOk_Click() {
    try {
        SaveSettings();
    } catch (const RuntimeError& e) {
        // The window stays open so the value can be corrected.
        const QString text = e.number() == err::Overflow
                                 ? message("DetailRange")
                                 : message("RuntimeError").arg(e.number()).arg(QString::fromStdString(e.description()));
        QMessageBox::warning(this, windowTitle(), text);
        return;
    }
    close();
}

void frmSettings::cmdCancel_Click() {
    close();
}

// Escape and the close box unload the window like Cancel.
void frmSettings::reject() {
    close();
}

void frmSettings::closeEvent(QCloseEvent* event) {
    event->accept();
}

} // namespace tvk
