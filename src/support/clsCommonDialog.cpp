#include "support/clsCommonDialog.h"

#include "events/RuntimeError.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QPageSetupDialog>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QSettings>

namespace tvk {

namespace {

// Qt's file and colour dialogs keep their history in a settings file of Qt's own in the user's
// configuration folder; the program keeps nothing there but its own settings file. Qt opens that
// file in the native format, which nothing else here uses (clsSettings has a format of its own):
// point the native format's per-user folder where no file can be made, so Qt reads nothing and
// its writes fail quietly.
void keepDialogStateOutOfHome() {
    static const bool done = [] {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("/dev/null"));
        return true;
    }();
    (void)done;
}

} // namespace

clsCommonDialogs::clsCommonDialogs() {
    keepDialogStateOutOfHome();
    m_customColors.fill(QColor(0, 0, 0));
}

clsCommonDialogs::~clsCommonDialogs() = default;

QPrinter& clsCommonDialogs::currentPrinter() {
    if (!m_printer) m_printer = std::make_unique<QPrinter>();
    return *m_printer;
}

QString clsCommonDialogs::startFolder() {
    const QFileInfo exe(QCoreApplication::applicationFilePath());
    const QString folder = exe.canonicalPath();
    if (!folder.isEmpty() && QFileInfo(folder).isWritable()) return folder;
    return QDir::homePath();
}

QStringList clsCommonDialogs::nameFilters() const {
    QStringList out;
    const QStringList parts = Filter.split(QChar(u'\0'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i];
        QString patterns = parts[i + 1];
        if (description.isEmpty() && patterns.isEmpty()) break; // the list's terminating NULs
        patterns.replace(u';', u' ');
        // Qt reads the patterns from the last parenthesis; keep a description that already shows them.
        if (description.endsWith(QStringLiteral("(") + patterns + QStringLiteral(")")))
            out << description;
        else
            out << description + QStringLiteral(" (") + patterns + QStringLiteral(")");
    }
    return out;
}

void clsCommonDialogs::showFileDialog(QWidget* owner, const QString& caption, bool save, FileDialogState& state) {
    if (MaxFile < 1) throw RuntimeError(err::InvalidCall);
    // Qt's own dialog on every desktop: the same behaviour everywhere, and automation can drive it.
    QPointer<QFileDialog> dialog = new QFileDialog(owner, caption, startFolder());
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QStringList filters = nameFilters();
    if (!filters.isEmpty()) {
        dialog->setNameFilters(filters);
        if (filters.contains(state.selectedFilter)) dialog->selectNameFilter(state.selectedFilter);
    }
    const int result = dialog->exec();
    if (!dialog) { // the owner went away while the dialog ran
        m_file.clear();
        return;
    }
    state.selectedFilter = dialog->selectedNameFilter();
    const QStringList chosen = dialog->selectedFiles();
    m_file = (result == QDialog::Accepted && !chosen.isEmpty()) ? chosen.first().trimmed() : QString();
    delete dialog.data();
}

void clsCommonDialogs::ShowOpen(QWidget* owner, const QString& caption) {
    showFileDialog(owner, caption, false, m_open);
}

void clsCommonDialogs::ShowSave(QWidget* owner, const QString& caption) {
    showFileDialog(owner, caption, true, m_save);
}

int32_t clsCommonDialogs::ShowColor(QWidget* owner) {
    QPointer<QColorDialog> dialog = new QColorDialog(QColor(0, 0, 0), owner);
    dialog->setOption(QColorDialog::DontUseNativeDialog, true);
    // Qt keeps custom colours per process; this object keeps its own and lends them to the dialog.
    for (int i = 0; i < 16; ++i)
        QColorDialog::setCustomColor(i, m_customColors[static_cast<size_t>(i)]);
    const int result = dialog->exec();
    if (!dialog) return -1;
    const QColor chosen = dialog->selectedColor();
    delete dialog.data();
    if (result != QDialog::Accepted || !chosen.isValid()) return -1;
    for (int i = 0; i < 16; ++i)
        m_customColors[static_cast<size_t>(i)] = QColorDialog::customColor(i);
    return static_cast<int32_t>((static_cast<uint32_t>(chosen.blue()) << 16) |
                                (static_cast<uint32_t>(chosen.green()) << 8) | static_cast<uint32_t>(chosen.red()));
}

namespace {

// Style names of a regular face, the most usual first; a face of normal width wins over a condensed
// or expanded one of the same weight.
int regularStyleRank(const QString& style) {
    static const QStringList usual{QStringLiteral("Regular"), QStringLiteral("Book"), QStringLiteral("Roman"),
                                   QStringLiteral("Normal")};
    const qsizetype at = usual.indexOf(style);
    if (at >= 0) return static_cast<int>(at);
    for (const char* width : {"Condensed", "Narrow", "Expanded", "Wide", "Compressed", "Extended"})
        if (style.contains(QLatin1String(width), Qt::CaseInsensitive)) return 100;
    return 10;
}

// The regular face (upright, normal weight) of the installed family that stands in for `wanted`.
// Font sets differ between machines, and without a style name the dialog starts on whichever style
// it lists first, which may be italic or condensed.
QFont regularStandIn(const QString& wanted, int points) {
    QFont probe(wanted);
    probe.setStyleHint(QFont::Serif);
    QString family = QFontInfo(probe).family();
    const QStringList families = QFontDatabase::families();
    if (!families.contains(family)) {
        // A generic alias the dialog does not list: take the installed family it resolves to.
        QFont generic(QStringLiteral("serif"));
        generic.setStyleHint(QFont::Serif);
        family = QFontInfo(generic).family();
        if (!families.contains(family) && !families.isEmpty()) family = families.first();
    }
    QString best;
    int bestRank = 0;
    for (const QString& style : QFontDatabase::styles(family)) {
        if (QFontDatabase::italic(family, style) || QFontDatabase::weight(family, style) != QFont::Normal) continue;
        const int rank = regularStyleRank(style);
        if (best.isEmpty() || rank < bestRank) {
            best = style;
            bestRank = rank;
        }
    }
    QFont face(family, points, QFont::Normal, false);
    if (!best.isEmpty()) face.setStyleName(best);
    return face;
}

} // namespace

QString clsCommonDialogs::ShowFont(QWidget* owner) {
    // The dialog lists installed families only; start on the face that stands in for the wanted one.
    const QFont initial = regularStandIn(QStringLiteral("Times New Roman"), 12);
    QPointer<QFontDialog> dialog = new QFontDialog(initial, owner);
    dialog->setOption(QFontDialog::DontUseNativeDialog, true);
    const int result = dialog->exec();
    if (!dialog) return {};
    const QString face = result == QDialog::Accepted ? dialog->selectedFont().family() : QString();
    delete dialog.data();
    return face;
}

bool clsCommonDialogs::ShowPageSetupDlg(QWidget* owner) {
    QPrinter printer;
    QPointer<QPageSetupDialog> dialog = new QPageSetupDialog(&printer, owner);
    const int result = dialog->exec();
    if (!dialog) return false;
    delete dialog.data();
    return result == QDialog::Accepted;
}

namespace {
// Print dialog flags callers pass in: preselected range and choices to withhold.
constexpr uint32_t PrintSelection = 0x1;
constexpr uint32_t PrintPageNumbers = 0x2;
constexpr uint32_t PrintNoSelection = 0x4;
constexpr uint32_t PrintNoPageNumbers = 0x8;
constexpr uint32_t PrintCollate = 0x10;
constexpr uint32_t PrintDisableToFile = 0x80000;
constexpr uint32_t PrintHideToFile = 0x100000;
} // namespace

bool clsCommonDialogs::ShowPrinter(QWidget* owner, int32_t printFlags) {
    const auto flags = static_cast<uint32_t>(printFlags);
    QPrinter& printer = currentPrinter();
    // The dialog writes its choices into the printer only when confirmed, so a cancel leaves the
    // current printer as it was.
    QPointer<QPrintDialog> dialog = new QPrintDialog(&printer, owner);
    QAbstractPrintDialog::PrintDialogOptions options =
        QAbstractPrintDialog::PrintShowPageSize | QAbstractPrintDialog::PrintCollateCopies;
    if (!(flags & PrintNoSelection)) options |= QAbstractPrintDialog::PrintSelection;
    if (!(flags & PrintNoPageNumbers)) options |= QAbstractPrintDialog::PrintPageRange;
    if (!(flags & (PrintDisableToFile | PrintHideToFile))) options |= QAbstractPrintDialog::PrintToFile;
    dialog->setOptions(options);
    if ((flags & PrintSelection) && !(flags & PrintNoSelection))
        dialog->setPrintRange(QAbstractPrintDialog::Selection);
    else if ((flags & PrintPageNumbers) && !(flags & PrintNoPageNumbers))
        dialog->setPrintRange(QAbstractPrintDialog::PageRange);
    else
        dialog->setPrintRange(QAbstractPrintDialog::AllPages);
    printer.setCollateCopies((flags & PrintCollate) != 0);
    const int result = dialog->exec();
    if (!dialog) return true;
    delete dialog.data();
    return result != QDialog::Accepted;
}

} // namespace tvk
