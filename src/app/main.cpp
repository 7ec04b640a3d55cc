// Start-up: the command line, the language, then the main window (with the event file the command
// line names); the program lives as long as its windows.
#include "app/CommandLine.h"
#include "app/main/frmMain.h"
#include "app/modMain.h"

#include <QApplication>
#include <QIcon>
#include <QMessageBox>

#ifdef TVK_HAVE_X11
#include "recorder/x11/X11Backend.h"
#endif

#include <cstdio>
#include <memory>
#include <string>

namespace {

std::shared_ptr<tvk::InputBackend> makeBackend(std::string& whyNot) {
#ifdef TVK_HAVE_X11
    return tvk::createX11Backend({}, &whyNot);
#else
    whyNot = "this build has no X11 input backend";
    return nullptr;
#endif
}

QStringList argumentsOf(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

} // namespace

int main(int argc, char** argv) {
    // Help, version and mistakes are answered before Qt starts, so they need no display.
    const tvk::CommandLine early = tvk::CommandLine::parse(argumentsOf(argc, argv));
    if (early.action() != tvk::CommandLine::Action::Run) {
        const bool error = early.action() == tvk::CommandLine::Action::Error;
        std::fputs(early.text().toLocal8Bit().constData(), error ? stderr : stdout);
        return error ? 2 : 0;
    }
    // The input backend speaks X11; on a Wayland session the windows use XWayland alike.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavrimoskel"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/tavrimoskel.png")));

    tvk::loadLanguageReporting(nullptr);

    std::string whyNot;
    std::shared_ptr<tvk::InputBackend> backend = makeBackend(whyNot);
    if (!backend) {
        QMessageBox::critical(nullptr, QStringLiteral("Tavrimoskel"),
                              QStringLiteral("Tavrimoskel records and replays input on an X11 desktop, "
                                             "and cannot use this one:\n%1")
                                  .arg(QString::fromStdString(whyNot)));
        return 1;
    }
    auto* window = new tvk::frmMain(backend);
    window->show();
    // Qt has removed its own options and their values: what is left names the file.
    const tvk::CommandLine line = tvk::CommandLine::parse(QApplication::arguments().mid(1));
    if (!line.file().isEmpty()) window->openFile(line.file());
    return QApplication::exec();
}
