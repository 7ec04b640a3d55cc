#include "XDesktop.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

namespace tvk::test {

QString xdo(const QStringList& args, int timeoutMs) {
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    p.waitForFinished(timeoutMs);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

void pause(int ms) {
    QThread::msleep(static_cast<unsigned long>(ms));
}

QStringList readLines(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
}

QString waitWindow(const QString& pattern, int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        const QString ids = xdo({"search", "--onlyvisible", "--name", pattern});
        if (!ids.isEmpty()) return ids.split('\n').first();
        pause(100);
    }
    return {};
}

bool waitGone(const QString& pattern, int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        if (xdo({"search", "--onlyvisible", "--name", pattern}).isEmpty()) return true;
        pause(100);
    }
    return false;
}

bool startLogger(QProcess& logger, const QString& binary, const QString& log) {
    // A 600 x 100 window at (300, 200).
    logger.start(binary, {log, "600", "100", "300", "200"});
    if (!logger.waitForStarted()) return false;
    QElapsedTimer t;
    t.start();
    while (!readLines(log).contains("mapped") && t.elapsed() < 10000)
        pause(50);
    return readLines(log).contains("mapped");
}

} // namespace tvk::test
