#pragma once

#include <QColor>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

class QFileDialog;
class QPrinter;
class QWidget;

namespace tvk {

// The system's file, colour, font, page setup and print dialogs behind a small object with
// properties. Each file dialog remembers its own filter choice between calls. Every dialog is
// modal to its owner.
class clsCommonDialogs {
public:
    clsCommonDialogs();
    ~clsCommonDialogs();
    clsCommonDialogs(const clsCommonDialogs&) = delete;
    clsCommonDialogs& operator=(const clsCommonDialogs&) = delete;

    // Filter list: pairs of description and pattern separated by NUL characters, for example
    // "Input-file (*.tvk)" NUL "*.tvk". Several patterns of one pair are separated by ";".
    QString Filter;
    // Size of the file-name buffers, terminator included; below 1 the file dialogs raise error 5.
    int32_t MaxFile = 255;
    // Dialog flags, kept for callers; the file dialogs honour none of them.
    int32_t Flags = 0;

    // The full path chosen in the last file dialog, empty after a cancel.
    const QString& File() const { return m_file; }

    // Open / save dialog titled `caption`, starting in the start folder; sets File.
    void ShowOpen(QWidget* owner, const QString& caption);
    void ShowSave(QWidget* owner, const QString& caption);
    // Colour chosen as 0x00BBGGRR, or -1 after a cancel; colours the user defined are kept.
    int32_t ShowColor(QWidget* owner);
    // Face name chosen, empty after a cancel. The dialog starts on 12 points of the regular face of the
    // installed family that stands in for Times New Roman.
    QString ShowFont(QWidget* owner);
    // True when the user confirmed the page setup.
    bool ShowPageSetupDlg(QWidget* owner);
    // True after a cancel, false when the user confirmed (the opposite sense to page setup). The
    // dialog starts from the current printer and a confirmation makes its choices current.
    // `printFlags` choose the preselected range and which choices are offered (see the .cpp).
    bool ShowPrinter(QWidget* owner, int32_t printFlags);

    // The current printer: the print dialog presets from it and stores confirmed choices in it.
    QPrinter& currentPrinter();

    // The folder the file dialogs start in: the executable's folder when it is writable, else the
    // user's home folder.
    static QString startFolder();
    // The filter list in Qt's form ("Input-file (*.tvk)").
    QStringList nameFilters() const;

private:
    struct FileDialogState {
        QString selectedFilter;
    };
    void showFileDialog(QWidget* owner, const QString& caption, bool save, FileDialogState& state);

    FileDialogState m_open;
    FileDialogState m_save;
    std::array<QColor, 16> m_customColors;
    std::unique_ptr<QPrinter> m_printer; // created on first use
    QString m_file;
};

} // namespace tvk
