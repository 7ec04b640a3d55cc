#pragma once

#include "app/QtForm.h"
#include "events/Signal.h"

#include <QWidget>

#include <memory>

class QCheckBox;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace tvk {

class CodeEditor;
class Document;

// The filter editor: the list's script in a code editor and its on/off flag in a check box. Every
// edit is stored into the list at once; there is no OK or Cancel. The script is compiled a short
// pause after each edit and its first compile error marked; Try shows which events would run.
class frmFilters : public QWidget, public QtForm {
    Q_OBJECT
public:
    explicit frmFilters(QWidget* parent = nullptr);

    // Shows the document's list now and again whenever the document replaces it.
    void setDocument(std::shared_ptr<Document> document);
    // The script offered when the list has none: lets every event run.
    static QString DefaultScript();

    // Fills the window from the document's list without storing the window's previous state.
    void Update();
    // Stores the window's script and flag into the document's list.
    void SaveAll();
    // Compiles the editor's script (without running it) and marks its first error, or clears the mark.
    void checkScript();
    // Runs ElementInvoked over a copy of the document's list, injecting nothing, and shows the verdicts.
    void cmdTry_Click();

    // Pause after the last edit before the script is checked.
    static constexpr int CheckDelayMs = 400;

    QPlainTextEdit* editor() const;
    CodeEditor* codeEditor() const { return m_txtCode; }
    QCheckBox* enableBox() const { return m_chkEnable; }
    QPushButton* tryButton() const { return m_cmdTry; }
    QTimer* checkTimer() const { return m_checkTimer; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CodeEditor* m_txtCode = nullptr;
    QCheckBox* m_chkEnable = nullptr;
    QPushButton* m_cmdTry = nullptr;
    QTimer* m_checkTimer = nullptr;
    std::shared_ptr<Document> m_document;
    Signal<>::ScopedConnection m_replaced;
    bool m_filling = false; // Update's own changes do not store
};

} // namespace tvk
