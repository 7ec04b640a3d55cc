// Start-up: the command line, the language, then the main window (with the event file the command
// line names); the program lives as long as its windows. `record` and `replay` run without windows.
#include "app/BackendStarter.h"
#include "app/CommandLine.h"
#include "app/HotkeyCommands.h"
#include "app/Messages.h"
#include "app/cli/ConsoleCommands.h"
#include "app/cli/ConsoleOptions.h"
#include "app/main/frmMain.h"
#include "app/modMain.h"
#include "support/clsSettings.h"

#include <QApplication>
#include <QIcon>
#include <QMessageBox>

#ifdef TVK_HAVE_X11
#include "recorder/x11/X11Backend.h"
#endif

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

// The backend connects after the main window shows (start-up time is the window's).
std::shared_ptr<tvk::InputBackend> makeBackend() {
#ifdef TVK_HAVE_X11
    return tvk::makeX11Backend();
#else
    return nullptr;
#endif
}

// `tavrimoskel record|replay ...`: no window, no window manager, only the X display.
int runConsole(int argc, char** argv, const std::vector<std::string>& args) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tavrimoskel"));
    bool ok = false;
    const int stopKey =
        tvk::settings().Setting(QStringLiteral("Replay"), QStringLiteral("StopKey"), QStringLiteral("27")).toInt(&ok);
    auto openBackend = [](std::string& whyNot) -> std::shared_ptr<tvk::InputBackend> {
        std::shared_ptr<tvk::InputBackend> backend = makeBackend();
        if (!backend) {
            whyNot = "this build has no X11 input backend";
            return nullptr;
        }
        return backend->start(&whyNot) ? backend : nullptr;
    };
    return tvk::runConsoleCommand(args, openBackend, ok ? stopKey : 27, stdout, stderr);
}

void reportNoBackend(const std::string& whyNot) {
    QMessageBox::critical(nullptr, QStringLiteral("Tavrimoskel"),
                          tvk::message("NoDesktop").arg(QString::fromStdString(whyNot)));
}

QStringList argumentsOf(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (tvk::isConsoleCommand(args)) return runConsole(argc, argv, args);
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

    std::shared_ptr<tvk::InputBackend> backend = makeBackend();
    if (!backend) {
        reportNoBackend("this build has no X11 input backend");
        return 1;
    }
    auto* window = new tvk::frmMain(backend);
    window->show();
    tvk::BackendStarter::startAfterFirstPaint(window, backend,
                                              [window, backend](bool started, const std::string& whyNot) {
                                                  if (started) {
                                                      tvk::installGlobalHotkeys(window, backend);
                                                      return;
                                                  }
                                                  reportNoBackend(whyNot);
                                                  QCoreApplication::exit(1);
                                              });
    // Qt has removed its own options and their values: what is left names the file.
    const tvk::CommandLine line = tvk::CommandLine::parse(QApplication::arguments().mid(1));
    if (!line.file().isEmpty()) window->openFile(line.file());
    return QApplication::exec();
}
