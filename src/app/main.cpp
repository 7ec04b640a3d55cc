// Start-up: the language, then the main window; the program lives as long as its windows.
#include "app/BackendStarter.h"
#include "app/main/frmMain.h"
#include "app/modMain.h"

#include <QApplication>
#include <QIcon>
#include <QMessageBox>

#ifdef TVK_HAVE_X11
#include "recorder/x11/X11Backend.h"
#endif

#include <memory>
#include <string>

namespace {

// The backend connects after the main window shows (start-up time is the window's).
std::shared_ptr<tvk::InputBackend> makeBackend() {
#ifdef TVK_HAVE_X11
    return tvk::makeX11Backend();
#else
    return nullptr;
#endif
}

void reportNoBackend(const std::string& whyNot) {
    QMessageBox::critical(nullptr, QStringLiteral("Tavrimoskel"),
                          QStringLiteral("Tavrimoskel records and replays input on an X11 desktop, "
                                         "and cannot use this one:\n%1")
                              .arg(QString::fromStdString(whyNot)));
}

} // namespace

int main(int argc, char** argv) {
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
    tvk::BackendStarter::startAfterFirstPaint(window, backend, [](bool started, const std::string& whyNot) {
        if (started) return;
        reportNoBackend(whyNot);
        QCoreApplication::exit(1);
    });
    return QApplication::exec();
}
