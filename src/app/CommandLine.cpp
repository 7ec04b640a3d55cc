#include "app/CommandLine.h"

namespace tvk {

QString CommandLine::helpText() {
    return QStringLiteral("Usage: tavrimoskel [FILE.tvk]\n"
                          "       tavrimoskel record FILE.tvk [OPTION]...\n"
                          "       tavrimoskel replay FILE.tvk [OPTION]...\n"
                          "Records keyboard and mouse input and plays it back.\n"
                          "\n"
                          "  FILE.tvk    open this event file at start-up\n"
                          "  --help      print this help and exit\n"
                          "  --version   print the version and exit\n"
                          "\n"
                          "record and replay run without a window; 'tavrimoskel record --help' describes them.\n");
}

CommandLine CommandLine::parse(const QStringList& arguments) {
    CommandLine line;
    auto fail = [&line](const QString& why) {
        line.m_action = Action::Error;
        line.m_file.clear();
        line.m_text = QStringLiteral("tavrimoskel: %1\nTry 'tavrimoskel --help'.\n").arg(why);
        return line;
    };
    bool optionsEnded = false;
    for (const QString& argument : arguments) {
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && argument == QLatin1String("--help")) {
            line.m_action = Action::Help;
            line.m_file.clear();
            line.m_text = helpText();
            return line;
        } else if (!optionsEnded && argument == QLatin1String("--version")) {
            line.m_action = Action::Version;
            line.m_file.clear();
            line.m_text = QStringLiteral("tavrimoskel %1\n").arg(QStringLiteral(TVK_VERSION));
            return line;
        } else if (!optionsEnded && argument.startsWith(QLatin1String("--"))) {
            return fail(QStringLiteral("unknown option '%1'").arg(argument));
        } else if (!optionsEnded && argument.startsWith(u'-') && argument.size() > 1) {
            continue; // Qt's own option; Qt reads it (and its value) when the application starts
        } else if (!line.m_file.isEmpty()) {
            return fail(QStringLiteral("one event file at a time ('%1' and '%2')").arg(line.m_file, argument));
        } else {
            line.m_file = argument;
        }
    }
    return line;
}

} // namespace tvk
