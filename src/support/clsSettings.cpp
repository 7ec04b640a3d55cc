#include "support/clsSettings.h"

#include "events/AtomicFile.h"
#include "events/RuntimeError.h"
#include "support/IniFile.h"

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

namespace tvk {

QSettings::Format clsSettings::format() {
    static const QSettings::Format registered =
        QSettings::registerFormat("ini", IniFile::read, IniFile::write, Qt::CaseSensitive);
    return registered;
}

clsSettings::clsSettings()
    : m_store(std::make_unique<QSettings>(format(), QSettings::UserScope, "Tavrimoskel", "Tavrimoskel")) {}

clsSettings::clsSettings(const QString& filePath) : m_store(std::make_unique<QSettings>(filePath, format())) {}

clsSettings::~clsSettings() = default;

QString clsSettings::fileName() const {
    return m_store->fileName();
}

// The stored key for a section and name, matched ignoring letter case as a person may have typed it;
// the canonical "Category/Name" when none is stored.
QString clsSettings::findKey(const QString& Category, const QString& Name) const {
    const QString key = Category + u'/' + Name;
    if (m_store->contains(key)) return key;
    for (const QString& stored : m_store->allKeys()) {
        if (stored.compare(key, Qt::CaseInsensitive) == 0) return stored;
    }
    return key;
}

QString clsSettings::Setting(const QString& Category, const QString& Name,
                             const std::optional<QString>& DefaultValue) const {
    const QString key = findKey(Category, Name);
    if (m_store->contains(key)) return m_store->value(key).toString();
    return DefaultValue.value_or(QString());
}

void clsSettings::setSetting(const QString& Category, const QString& Name, const QString& vNewValue) {
    // The store replaces the file through a link and keeps its mode, but makes the new file this
    // process's own: the replaced file's owner and group are given back afterwards where allowed.
    const std::string target = AtomicFile::finalTarget(QFile::encodeName(fileName()).toStdString());
    struct stat before {};
    const bool existed = ::stat(target.c_str(), &before) == 0;
    m_store->setValue(findKey(Category, Name), vNewValue);
    m_store->sync();
    if (m_store->status() != QSettings::NoError) {
        throw RuntimeError(err::PathFileAccess, "Cannot write the settings file " + fileName().toStdString());
    }
    struct stat after {};
    if (existed && ::stat(target.c_str(), &after) == 0 &&
        (after.st_uid != before.st_uid || after.st_gid != before.st_gid)) {
        if (::chown(target.c_str(), before.st_uid, before.st_gid) != 0) {
            (void)::chown(target.c_str(), static_cast<uid_t>(-1), before.st_gid);
        }
        (void)::chmod(target.c_str(), before.st_mode & 07777); // a change of owner may clear mode bits
    }
}

QString clsSettings::GetValueProperty(const FormControl& control) {
    const QString kind = QString::fromStdString(control.kind());
    if (kind.compare("ComboBox", Qt::CaseInsensitive) == 0) return "ListIndex";
    if (kind.compare("ListBox", Qt::CaseInsensitive) == 0) return "ListIndex";
    if (kind.compare("CheckBox", Qt::CaseInsensitive) == 0) return "Value";
    if (kind.compare("TextBox", Qt::CaseInsensitive) == 0) return "Text";
    return {};
}

namespace {

// The value property of a tagged control; 438 for a kind without one.
std::string valueProperty(const FormControl& control) {
    const std::string name = clsSettings::GetValueProperty(control).toStdString();
    if (name.empty()) throwNoSuchMember("value property of " + control.kind());
    return name;
}

} // namespace

void clsSettings::FormSave(Form& refForm, const QString& Category) {
    for (FormControl* c : refForm.controls()) {
        if (!c) throw RuntimeError(err::ObjectNotSet);
        const QString tag = QString::fromStdString(c->tag());
        if (tag.isEmpty()) continue;
        const std::string value = c->property(valueProperty(*c));
        setSetting(Category, tag, QString::fromStdString(value));
    }
}

void clsSettings::FormLoad(Form& refForm, const QString& Category) {
    for (FormControl* c : refForm.controls()) {
        if (!c) throw RuntimeError(err::ObjectNotSet);
        const QString tag = QString::fromStdString(c->tag());
        if (tag.isEmpty()) continue;
        const std::string property = valueProperty(*c);
        const QString present = QString::fromStdString(c->property(property));
        c->setProperty(property, Setting(Category, tag, present).toStdString());
    }
}

} // namespace tvk
