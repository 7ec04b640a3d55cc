#pragma once

#include "language/FormLayer.h"

#include <QSettings>
#include <QString>

#include <memory>
#include <optional>

namespace tvk {

// The per-user settings store: text values by section and key in an INI file in the user's
// configuration folder (application "Tavrimoskel"). The file reads as a person expects: "[General]"
// then "Language=Deutsch", every section alike; sections and keys match ignoring letter case.
// A damaged file never fails a read (what cannot be understood is skipped); a write that cannot
// reach the file raises 75.
class clsSettings {
public:
    // The user's store: <configuration folder>/Tavrimoskel/Tavrimoskel.ini.
    clsSettings();
    // A store in the given file (tests, tools).
    explicit clsSettings(const QString& filePath);
    ~clsSettings();
    clsSettings(const clsSettings&) = delete;
    clsSettings& operator=(const clsSettings&) = delete;

    // The stored text of `Category`/`Name`, even when empty; else `DefaultValue`, else empty text.
    QString Setting(const QString& Category, const QString& Name,
                    const std::optional<QString>& DefaultValue = std::nullopt) const;
    // Stores `vNewValue` under `Category`/`Name` and writes the file at once.
    void setSetting(const QString& Category, const QString& Name, const QString& vNewValue);

    // Saves / restores the value property of every control with a Tag, in the window's control order,
    // into section `Category` keyed by the tag. Stops at the first failing control with its error.
    void FormSave(Form& refForm, const QString& Category);
    void FormLoad(Form& refForm, const QString& Category);

    // Name of the control's value property by kind: ComboBox and ListBox "ListIndex", CheckBox "Value",
    // TextBox "Text", any other kind empty text.
    static QString GetValueProperty(const FormControl& control);

    // The file this store reads and writes.
    QString fileName() const;
    // The QSettings format that reads and writes the file layout above (registered once).
    static QSettings::Format format();

private:
    QString findKey(const QString& Category, const QString& Name) const;

    std::unique_ptr<QSettings> m_store;
};

} // namespace tvk
