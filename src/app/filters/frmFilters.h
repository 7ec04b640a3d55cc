#pragma once

#include "app/QtForm.h"

#include <QWidget>

#include <memory>

class QCheckBox;
class QPlainTextEdit;

namespace tvk {

class clsEvents;

// The filter editor: the list's script in a text box and its on/off flag in a check box. Every
// edit is stored into the list at once; there is no OK or Cancel.
class frmFilters : public QWidget, public QtForm {
    Q_OBJECT
public:
    explicit frmFilters(QWidget* parent = nullptr);

    std::shared_ptr<clsEvents> refEvents; // set by the main window before every showing
    // The script offered when the list has none: lets every event run.
    static QString DefaultScript();

    // Fills the window from refEvents without storing the window's previous state.
    void Update();
    // Stores the window's script and flag into refEvents.
    void SaveAll();

    QPlainTextEdit* editor() const { return m_txtCode; }
    QCheckBox* enableBox() const { return m_chkEnable; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPlainTextEdit* m_txtCode = nullptr;
    QCheckBox* m_chkEnable = nullptr;
    bool m_filling = false; // Update's own changes do not store
};

} // namespace tvk
