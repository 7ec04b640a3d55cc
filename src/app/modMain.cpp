#include "app/modMain.h"

#include "app/Messages.h"
#include "app/QtForm.h"
#include "events/RuntimeError.h"
#include "language/clsLanguage.h"
#include "recorder/InputBackend.h"
#include "support/clsSettings.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QScrollBar>

#include <cmath>
#include <memory>

namespace tvk {

namespace {

QString& languagesOverride() {
    static QString folder;
    return folder;
}

std::unique_ptr<clsSettings>& settingsInstance() {
    static std::unique_ptr<clsSettings> instance;
    return instance;
}

} // namespace

clsLanguage& language() {
    static clsLanguage instance = [] {
        clsLanguage l;
        // A file that is not well-formed XML: the texts stay as they are, the user is told why.
        l.setParseErrorHandler([](const std::string& message) {
            QMessageBox::critical(nullptr, tvk::message("LanguageError"), QString::fromStdString(message));
        });
        return l;
    }();
    return instance;
}

clsSettings& settings() {
    auto& s = settingsInstance();
    if (!s) s = std::make_unique<clsSettings>();
    return *s;
}

void useSettingsFile(const QString& path) {
    settingsInstance() = std::make_unique<clsSettings>(path);
}

QString executableFolder() {
    // applicationFilePath reads /proc/self/exe, which already names the real file; canonicalPath
    // resolves any link left in its folder's path as well.
    const QFileInfo exe(QCoreApplication::applicationFilePath());
    const QString real = exe.canonicalPath();
    return real.isEmpty() ? exe.absolutePath() : real;
}

QString languagesFolder() {
    if (!languagesOverride().isEmpty()) return languagesOverride();
    return QDir(executableFolder()).filePath(QStringLiteral("Languages"));
}

void setLanguagesFolderOverride(const QString& folder) {
    languagesOverride() = folder;
}

void LoadLanguage() {
    const QString name =
        settings().Setting(QStringLiteral("General"), QStringLiteral("Language"), QStringLiteral("English"));
    const QString path = QDir(languagesFolder()).filePath(name + QStringLiteral(".xml"));
    std::vector<Form*> forms;
    for (QtForm* f : QtForm::loadedForms())
        forms.push_back(f);
    try {
        language().LoadXML(path.toStdString());
    } catch (const RuntimeError&) {
        // The databases read before the fault stay loaded: apply them, then report the fault.
        language().UpdateAll(forms);
        for (QtForm* f : QtForm::loadedForms())
            f->fitCaptions();
        throw;
    }
    language().UpdateAll(forms);
    for (QtForm* f : QtForm::loadedForms())
        f->fitCaptions();
}

bool loadLanguageReporting(QWidget* owner) {
    try {
        LoadLanguage();
        return true;
    } catch (const RuntimeError& e) {
        QMessageBox::critical(
            owner, QStringLiteral("Tavrimoskel"),
            message("LanguageIncomplete").arg(e.number()).arg(QString::fromStdString(e.description())));
        return false;
    }
}

QString GetKeyName(InputBackend& backend, int32_t& keyValue, int32_t& modifiers) {
    static const char* const fixed[] = {"LBUTTON", "RBUTTON", "CANCEL", "MBUTTON", "XBUTTON1", "XBUTTON2"};
    if (keyValue >= 1 && keyValue <= 6) return QString::fromLatin1(fixed[keyValue - 1]);
    modifiers = (keyValue >> 8) & 0xFF;
    keyValue &= 0xFF;
    QString prefix;
    if (modifiers & 4) prefix += QStringLiteral("Alt+");
    if (modifiers & 2) prefix += QStringLiteral("Ctrl+");
    if (modifiers & 1) prefix += QStringLiteral("Shift+");
    // The name belongs to the key's scan code as a key message carries it: bits 16 to 23 of its
    // lParam, with the extended-key bit clear. A scan code that does not fit has no name.
    const uint32_t scan = backend.scanCode(keyValue);
    if (scan == 0 || scan > 0xFF) return prefix;
    const uint32_t lParam = scan << 16;
    return prefix + QString::fromStdString(backend.keyName((lParam >> 16) & 0xFF));
}

void UnloadOtherForms(QWidget* keep) {
    // Closing one window may close others; guard every pointer before using it.
    std::vector<QPointer<QWidget>> windows;
    for (QtForm* f : QtForm::loadedForms())
        if (f->window() != keep) windows.emplace_back(f->window());
    for (const auto& w : windows)
        if (w) w->close();
}

void ScrollToItem(QAbstractItemView* view, int index, int offset) {
    if (!view || !view->model() || view->model()->rowCount() == 0) return;
    const QModelIndex topIndex = view->indexAt(QPoint(1, 1));
    const int top = topIndex.isValid() ? topIndex.row() : 0;
    // A row's height as the view lays it out (not its size hint, which can differ).
    int rowHeight = view->visualRect(view->model()->index(top, 0)).height();
    if (rowHeight <= 0) rowHeight = std::max(1, view->sizeHintForRow(0));
    const int rowsPerPage = view->viewport()->height() / rowHeight;
    if (rowsPerPage <= 0) return; // a page that holds no whole row is not scrolled
    if (top <= index && index <= top + rowsPerPage) return;
    QScrollBar* bar = view->verticalScrollBar();
    // Scroll-per-item bars count rows; pixel bars count pixels.
    const bool perItem = view->verticalScrollMode() == QAbstractItemView::ScrollPerItem;
    const int newTop = index < top ? std::max(0, index - offset) : std::max(0, index - rowsPerPage + 1 + offset);
    bar->setValue(perItem ? newTop : newTop * rowHeight);
}

} // namespace tvk
