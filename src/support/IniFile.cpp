#include "support/IniFile.h"

#include <QStringList>

namespace tvk::IniFile {
namespace {

bool needsQuotes(const QString& text, QStringView special) {
    if (text.isEmpty()) return false;
    if (text.front().isSpace() || text.back().isSpace() || text.front() == u'"') return true;
    for (QChar c : text) {
        if (c == u'\n' || c == u'\r' || c == u'\\' || c.category() == QChar::Other_Control || special.contains(c)) {
            return true;
        }
    }
    return false;
}

QString quoted(const QString& text, QStringView special) {
    if (!needsQuotes(text, special)) return text;
    QString out = "\"";
    for (QChar c : text) {
        switch (c.unicode()) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c.category() == QChar::Other_Control) {
                out += QString("\\x%1;").arg(c.unicode(), 0, 16);
            } else {
                out += c;
            }
        }
    }
    return out + u'"';
}

// The text of a trimmed field: a well-formed quoted text unescaped, anything else as it stands.
QString unquoted(const QString& field) {
    if (field.size() < 2 || field.front() != u'"' || field.back() != u'"') return field;
    QString out;
    for (qsizetype i = 1; i < field.size() - 1; ++i) {
        const QChar c = field[i];
        if (c != u'\\' || i + 1 >= field.size() - 1) {
            if (c == u'"') return field; // an unescaped quote inside: not a quoted text after all
            out += c;
            continue;
        }
        const QChar e = field[++i];
        if (e == u'n') {
            out += u'\n';
        } else if (e == u'r') {
            out += u'\r';
        } else if (e == u't') {
            out += u'\t';
        } else if (e == u'x') {
            const qsizetype end = field.indexOf(u';', i);
            bool ok = false;
            const uint code = end > i ? field.mid(i + 1, end - i - 1).toUInt(&ok, 16) : 0;
            if (!ok || code > 0xFFFF) return field;
            out += QChar(static_cast<char16_t>(code));
            i = end;
        } else {
            out += e;
        }
    }
    return out;
}

// Index of the first "=" outside a leading quoted key, or -1.
qsizetype separatorOf(const QString& line) {
    if (!line.startsWith(u'"')) return line.indexOf(u'=');
    for (qsizetype i = 1; i < line.size(); ++i) {
        if (line[i] == u'\\') {
            ++i;
        } else if (line[i] == u'"') {
            return line.indexOf(u'=', i + 1);
        }
    }
    return -1;
}

} // namespace

bool read(QIODevice& device, QSettings::SettingsMap& map) {
    QString text = QString::fromUtf8(device.readAll());
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    QString section;
    for (const QString& raw : text.split(u'\n')) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#')) continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            section = unquoted(line.mid(1, line.size() - 2).trimmed());
            continue;
        }
        const qsizetype eq = separatorOf(line);
        if (eq <= 0) continue; // damaged line
        const QString key = unquoted(line.left(eq).trimmed());
        if (key.isEmpty()) continue;
        map.insert(section.isEmpty() ? key : section + u'/' + key, unquoted(line.mid(eq + 1).trimmed()));
    }
    return true;
}

bool write(QIODevice& device, const QSettings::SettingsMap& map) {
    // Keys without a section first, then each section in the map's (sorted) order.
    QString out;
    QString current;
    bool first = true;
    for (int pass = 0; pass < 2; ++pass) {
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            const qsizetype slash = it.key().lastIndexOf(u'/');
            if ((slash < 0) != (pass == 0)) continue;
            const QString section = slash < 0 ? QString() : it.key().left(slash);
            const QString key = it.key().mid(slash + 1);
            if (pass == 1 && (first || section != current)) {
                if (!out.isEmpty()) out += u'\n';
                out += QStringLiteral("[") + quoted(section, u"[]") + QStringLiteral("]\n");
                current = section;
                first = false;
            }
            out +=
                quoted(key, u"=;#[") + QStringLiteral("=") + quoted(it.value().toString(), u"") + QStringLiteral("\n");
        }
    }
    const QByteArray bytes = out.toUtf8();
    return device.write(bytes) == bytes.size();
}

} // namespace tvk::IniFile
