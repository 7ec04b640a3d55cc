#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace tvk::test {

// Helpers for the tests that drive programs on the X server of DISPLAY through xdotool.

// Runs xdotool with `args` and returns its output, trimmed.
QString xdo(const QStringList& args, int timeoutMs = 15000);
void pause(int ms);
// The lines of a text file, empty ones left out; none when it cannot be read.
QStringList readLines(const QString& path);
// The id of the first visible window whose title matches `pattern`, waiting up to `ms`; empty if none.
QString waitWindow(const QString& pattern, int ms = 15000);
// Whether every visible window whose title matches `pattern` went within `ms`.
bool waitGone(const QString& pattern, int ms = 15000);
// Starts the logging window `binary` writing to `log`; true once it has said it is mapped.
bool startLogger(QProcess& logger, const QString& binary, const QString& log);

} // namespace tvk::test
