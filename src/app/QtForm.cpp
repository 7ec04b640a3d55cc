#include "app/QtForm.h"

#include "app/CaptionFit.h"

#include "events/RuntimeError.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>

namespace tvk {

namespace {

const char* const kCaptionProperty = "tvkCaption";

std::string str(const QString& s) {
    return s.toStdString();
}
QString qstr(const std::string& s) {
    return QString::fromStdString(s);
}

bool same(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

int parseInt(const std::string& value) {
    bool ok = false;
    const int v = qstr(value).trimmed().toInt(&ok);
    if (!ok) throw RuntimeError(err::TypeMismatch);
    return v;
}

std::vector<QtForm*>& registry() {
    static std::vector<QtForm*> forms;
    return forms;
}

} // namespace

QString stripAccessKey(const QString& caption) {
    QString out;
    out.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&') {
            if (i + 1 < caption.size() && caption[i + 1] == u'&') {
                out += u'&';
                ++i;
            }
            continue;
        }
        out += caption[i];
    }
    return out;
}

void setLabelCaption(QWidget* widget, const QString& caption) {
    auto* label = qobject_cast<QLabel*>(widget);
    if (!label) return;
    label->setProperty(kCaptionProperty, caption);
    label->setText(label->buddy() ? caption : stripAccessKey(caption));
}

QString labelCaption(const QWidget* widget) {
    const QVariant stored = widget->property(kCaptionProperty);
    if (stored.isValid()) return stored.toString();
    if (auto* label = qobject_cast<const QLabel*>(widget)) return label->text();
    return {};
}

// ---- QtControl ----

QtControl::QtControl(QObject* object, std::string kind, std::unique_ptr<FormItemList> items)
    : m_object(object), m_kind(std::move(kind)), m_items(std::move(items)) {}

QObject* QtControl::live() const {
    if (!m_object) throw RuntimeError(err::ObjectNotSet);
    return m_object;
}

std::string QtControl::name() const {
    return m_object ? str(m_object->objectName()) : std::string();
}

std::string QtControl::defaultValue() const {
    QObject* o = live();
    if (auto* l = qobject_cast<QLabel*>(o)) return str(labelCaption(l));
    if (auto* g = qobject_cast<QGroupBox*>(o)) return str(g->title());
    if (auto* e = qobject_cast<QLineEdit*>(o)) return str(e->text());
    if (auto* p = qobject_cast<QPlainTextEdit*>(o)) return str(p->toPlainText());
    if (auto* c = qobject_cast<QComboBox*>(o)) return str(c->currentText());
    if (qobject_cast<QAbstractButton*>(o) || qobject_cast<QAction*>(o)) return property("Caption");
    throwNoSuchMember("(default)");
}

void QtControl::setDefaultValue(const std::string& value) {
    QObject* o = live();
    if (auto* l = qobject_cast<QLabel*>(o)) return setLabelCaption(l, qstr(value));
    if (auto* g = qobject_cast<QGroupBox*>(o)) return g->setTitle(qstr(value));
    if (auto* e = qobject_cast<QLineEdit*>(o)) return e->setText(qstr(value));
    if (auto* p = qobject_cast<QPlainTextEdit*>(o)) return p->setPlainText(qstr(value));
    if (auto* c = qobject_cast<QComboBox*>(o)) {
        if (c->isEditable()) return c->setEditText(qstr(value));
        const int i = c->findText(qstr(value));
        if (i < 0) throw RuntimeError(err::InvalidPropertyValue);
        return c->setCurrentIndex(i);
    }
    if (qobject_cast<QAbstractButton*>(o) || qobject_cast<QAction*>(o)) return setProperty("Caption", value);
    throwNoSuchMember("(default)");
}

std::string QtControl::property(std::string_view name) const {
    QObject* o = live();
    if (same(name, "Caption")) {
        if (auto* b = qobject_cast<QAbstractButton*>(o)) return str(b->text());
        if (auto* a = qobject_cast<QAction*>(o)) return a->isSeparator() ? std::string("-") : str(a->text());
        if (qobject_cast<QLabel*>(o) || qobject_cast<QGroupBox*>(o)) return defaultValue();
    } else if (same(name, "Text")) {
        if (qobject_cast<QLineEdit*>(o) || qobject_cast<QPlainTextEdit*>(o) || qobject_cast<QComboBox*>(o))
            return defaultValue();
    } else if (same(name, "Value")) {
        if (auto* c = qobject_cast<QCheckBox*>(o)) {
            const auto s = c->checkState();
            return s == Qt::Checked ? "1" : s == Qt::PartiallyChecked ? "2" : "0";
        }
    } else if (same(name, "ListIndex")) {
        if (auto* c = qobject_cast<QComboBox*>(o)) return std::to_string(c->currentIndex());
    } else if (same(name, "ListCount")) {
        if (auto* c = qobject_cast<QComboBox*>(o)) return std::to_string(c->count());
    }
    throwNoSuchMember(name);
}

void QtControl::setProperty(std::string_view name, const std::string& value) {
    QObject* o = live();
    if (same(name, "Caption")) {
        if (auto* b = qobject_cast<QAbstractButton*>(o)) return b->setText(qstr(value));
        if (auto* a = qobject_cast<QAction*>(o)) {
            // A menu line is captioned "-"; any other caption turns it into an item. The shortcut stays.
            if (value == "-" && a->isSeparator()) return;
            a->setSeparator(value == "-");
            if (value != "-") a->setText(qstr(value));
            return;
        }
        if (qobject_cast<QLabel*>(o) || qobject_cast<QGroupBox*>(o)) return setDefaultValue(value);
    } else if (same(name, "Text")) {
        if (qobject_cast<QLineEdit*>(o) || qobject_cast<QPlainTextEdit*>(o) || qobject_cast<QComboBox*>(o))
            return setDefaultValue(value);
    } else if (same(name, "Value")) {
        if (auto* c = qobject_cast<QCheckBox*>(o)) {
            const int v = parseInt(value);
            if (v < 0 || v > 2) throw RuntimeError(err::InvalidPropertyValue);
            return c->setCheckState(v == 1 ? Qt::Checked : v == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
        }
    } else if (same(name, "ListIndex")) {
        if (auto* c = qobject_cast<QComboBox*>(o)) {
            const int v = parseInt(value);
            if (v < -1 || v >= c->count()) throw RuntimeError(err::InvalidPropertyValue);
            return c->setCurrentIndex(v);
        }
    }
    throwNoSuchMember(name);
}

std::string QtControl::indexedProperty(std::string_view name, int index) const {
    QObject* o = live();
    if (auto* c = qobject_cast<QComboBox*>(o); c && same(name, "List")) {
        if (index < 0 || index >= c->count()) throw RuntimeError(err::InvalidPropertyArrayIndex);
        return str(c->itemText(index));
    }
    throwNoSuchMember(name);
}

void QtControl::setIndexedProperty(std::string_view name, int index, const std::string& value) {
    QObject* o = live();
    if (auto* c = qobject_cast<QComboBox*>(o); c && same(name, "List")) {
        if (index < 0 || index >= c->count()) throw RuntimeError(err::InvalidPropertyArrayIndex);
        return c->setItemText(index, qstr(value));
    }
    throwNoSuchMember(name);
}

void QtControl::callMethod(std::string_view name, const std::vector<std::string>& arguments) {
    QObject* o = live();
    if (auto* c = qobject_cast<QComboBox*>(o)) {
        if (same(name, "Clear") && arguments.empty()) return c->clear();
        if (same(name, "AddItem") && arguments.size() == 1) return c->addItem(qstr(arguments[0]));
        if (same(name, "Clear") || same(name, "AddItem")) throw RuntimeError(err::InvalidCall);
    }
    throwNoSuchMember(name);
}

FormItemList& QtControl::member(std::string_view name) {
    live();
    if (m_items && same(name, "ColumnHeaders")) return *m_items;
    throwNoSuchMember(name);
}

// ---- QtForm ----

QtForm::QtForm(QWidget* window) : m_window(window) {
    registry().push_back(this);
}

QtForm::~QtForm() {
    std::erase(registry(), this);
}

void QtForm::fitCaptions() {
    tvk::fitCaptions(m_window);
}

std::vector<QtForm*> QtForm::loadedForms() {
    return registry();
}

std::string QtForm::name() const {
    return str(m_window->objectName());
}

std::string QtForm::property(std::string_view name) const {
    if (same(name, "Caption")) return str(m_window->windowTitle());
    if (same(name, "Name")) return this->name();
    throwNoSuchMember(name);
}

void QtForm::setProperty(std::string_view name, const std::string& value) {
    if (same(name, "Caption")) return m_window->setWindowTitle(qstr(value));
    throwNoSuchMember(name);
}

std::vector<FormControl*> QtForm::controls() {
    std::vector<FormControl*> out;
    out.reserve(m_controls.size());
    for (auto& c : m_controls)
        out.push_back(c.get());
    return out;
}

QtControl& QtForm::addControl(QObject* object, std::string kind, std::unique_ptr<FormItemList> items) {
    m_controls.push_back(std::make_unique<QtControl>(object, std::move(kind), std::move(items)));
    return *m_controls.back();
}

} // namespace tvk
