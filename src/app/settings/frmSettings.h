#pragma once

#include "app/QtForm.h"
#include "events/Signal.h"

#include <QDialog>

#include <array>
#include <memory>

class QCheckBox;
class QComboBox;
class QKeySequenceEdit;
class QLineEdit;

namespace tvk {

class Document;

// The settings window: the interface language, chosen from the files in the Languages folder,
// the two mouse-move details of the current event list, and the global hotkeys.
class frmSettings : public QDialog, public QtForm {
    Q_OBJECT
public:
    explicit frmSettings(QWidget* parent = nullptr);

    // The document whose list's details the window shows; when it replaces its list the detail
    // boxes are refilled from the new one.
    void setDocument(std::shared_ptr<Document> document);

    // Fills the controls: the language files (the loaded one selected) and the two details.
    void LoadSettings();
    // Stores the language, applies it to every window, then writes the details into the list and
    // stores and grabs the hotkeys (a combination another program holds is reported).
    // A detail outside the 32-bit range raises error 6 before anything is stored.
    void SaveSettings();
    void cmdOk_Click();
    void cmdCancel_Click();

    QComboBox* languageBox() const { return m_cmdLanguage; }
    QLineEdit* mouseUpBox() const { return m_txtMouseUp; }
    QLineEdit* mouseDownBox() const { return m_txtMouseDown; }
    QCheckBox* hotkeysBox() const { return m_chkHotkeys; }
    QKeySequenceEdit* hotkeyBox(int index) const { return m_txtHotkeys[static_cast<size_t>(index)]; }

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void showDetails();

    std::shared_ptr<Document> m_document;
    Signal<>::ScopedConnection m_replaced;
    QComboBox* m_cmdLanguage = nullptr;
    QLineEdit* m_txtMouseUp = nullptr;
    QLineEdit* m_txtMouseDown = nullptr;
    QCheckBox* m_chkHotkeys = nullptr;
    std::array<QKeySequenceEdit*, 3> m_txtHotkeys{}; // record / stop, start replay, stop replay
};

} // namespace tvk
