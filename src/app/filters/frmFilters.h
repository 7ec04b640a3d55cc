#pragma once

#include "app/QtForm.h"
#include "events/Signal.h"

#include <QWidget>

#include <memory>

class QCheckBox;
class QPlainTextEdit;

namespace tvk {

class Document;

// The filter editor: the list's script in a text box and its on/off flag in a check box. Every
// edit is stored into the list at once; there is no OK or Cancel.
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

    QPlainTextEdit* editor() const { return m_txtCode; }
    QCheckBox* enableBox() const { return m_chkEnable; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPlainTextEdit* m_txtCode = nullptr;
    QCheckBox* m_chkEnable = nullptr;
    std::shared_ptr<Document> m_document;
    Signal<>::ScopedConnection m_replaced;
    bool m_filling = false; // Update's own changes do not store
};

} // namespace tvk
