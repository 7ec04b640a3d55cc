#pragma once

#include "app/QtForm.h"

#include <QDialog>

#include <memory>

class QComboBox;
class QLineEdit;

namespace tvk {

class clsEvents;

// The settings window: the interface language, chosen from the files in the Languages folder,
// and the two mouse-move details of the current event list.
class frmSettings : public QDialog, public QtForm {
    Q_OBJECT
public:
    explicit frmSettings(QWidget* parent = nullptr);

    std::shared_ptr<clsEvents> Events; // set by the main window before every LoadSettings

    // Fills the controls: the language files (the loaded one selected) and the two details.
    void LoadSettings();
    // Stores the language, applies it to every window, then writes the details into Events.
    // A detail outside the 32-bit range raises error 6 before anything is stored.
    void SaveSettings();
    void cmdOk_Click();
    void cmdCancel_Click();

    QComboBox* languageBox() const { return m_cmdLanguage; }
    QLineEdit* mouseUpBox() const { return m_txtMouseUp; }
    QLineEdit* mouseDownBox() const { return m_txtMouseDown; }

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    QComboBox* m_cmdLanguage = nullptr;
    QLineEdit* m_txtMouseUp = nullptr;
    QLineEdit* m_txtMouseDown = nullptr;
};

} // namespace tvk
