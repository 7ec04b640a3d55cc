#pragma once

#include <QString>
#include <QStringList>

namespace tvk {

// What the program's command line asks for. Options of one dash ("-platform xcb") belong to Qt,
// which removes them when the application starts; read the arguments once before that for the
// requests that need no display (help, version, errors) and once after it for the file.
class CommandLine {
public:
    enum class Action {
        Run,     // start the windows, opening file() when it is not empty
        Help,    // print text() on standard output and end with status 0
        Version, // the same for the version
        Error,   // print text() on standard error and end with status 2
    };

    // Reads the arguments after the program's name.
    static CommandLine parse(const QStringList& arguments);

    Action action() const { return m_action; }
    // The event file to open at start-up (Run), empty for none.
    const QString& file() const { return m_file; }
    // The help, version or error text, ending in a line break.
    const QString& text() const { return m_text; }

    // The usage text that --help prints.
    static QString helpText();

private:
    Action m_action = Action::Run;
    QString m_file;
    QString m_text;
};

} // namespace tvk
