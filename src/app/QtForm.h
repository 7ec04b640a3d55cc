#pragma once

#include "language/FormLayer.h"

#include <QPointer>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

namespace tvk {

// One control of a Qt window seen through the window layer: a widget or a menu action whose
// object name is the control's name, with the kind name translation and settings go by.
class QtControl : public FormControl {
public:
    QtControl(QObject* object, std::string kind, std::unique_ptr<FormItemList> items = nullptr);

    std::string name() const override;
    std::string kind() const override { return m_kind; }
    std::string defaultValue() const override;
    void setDefaultValue(const std::string& value) override;
    std::string property(std::string_view name) const override;
    void setProperty(std::string_view name, const std::string& value) override;
    std::string indexedProperty(std::string_view name, int index) const override;
    void setIndexedProperty(std::string_view name, int index, const std::string& value) override;
    void callMethod(std::string_view name, const std::vector<std::string>& arguments) override;
    FormItemList& member(std::string_view name) override;

    QObject* object() const { return m_object; }

private:
    QObject* live() const; // the object, or error 91 when it is gone

    QPointer<QObject> m_object;
    std::string m_kind;
    std::unique_ptr<FormItemList> m_items; // "ColumnHeaders" of a list view
};

// A Qt top-level window seen through the window layer. Every window of the program derives from
// it; the windows alive at a moment form the collection of loaded windows, in load order.
class QtForm : public Form {
public:
    explicit QtForm(QWidget* window);
    ~QtForm() override;
    QtForm(const QtForm&) = delete;
    QtForm& operator=(const QtForm&) = delete;

    std::string name() const override;
    std::string property(std::string_view name) const override;
    void setProperty(std::string_view name, const std::string& value) override;
    std::vector<FormControl*> controls() override;

    QWidget* window() const { return m_window; }
    // Makes every caption fit after the texts changed (by a language): by default the controls
    // grow and the window widens as fitCaptions(QWidget*) does.
    virtual void fitCaptions();
    // Every loaded window, in the order they were created.
    static std::vector<QtForm*> loadedForms();

protected:
    // Adds a control in the window's fixed order; returns it for further setup.
    QtControl& addControl(QObject* object, std::string kind, std::unique_ptr<FormItemList> items = nullptr);

private:
    QWidget* m_window;
    std::vector<std::unique_ptr<QtControl>> m_controls;
};

// Caption text for display: "&&" becomes "&" and a lone "&" (an access key mark) is dropped.
QString stripAccessKey(const QString& caption);
// Sets a label's caption, keeping the text with its access key mark for the window layer; the
// mark underlines a letter when the label has a buddy and is dropped from the display otherwise.
void setLabelCaption(QWidget* label, const QString& caption);
QString labelCaption(const QWidget* label);

} // namespace tvk
