// Start-up: the language, then the main window; the program lives as long as its windows.
#include "app/Messages.h"
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

std::shared_ptr<tvk::InputBackend> makeBackend(std::string& whyNot) {
#ifdef TVK_HAVE_X11
    return tvk::createX11Backend({}, &whyNot);
#else
    whyNot = "this build has no X11 input backend";
    return nullptr;
#endif
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

    std::string whyNot;
    std::shared_ptr<tvk::InputBackend> backend = makeBackend(whyNot);
    if (!backend) {
        QMessageBox::critical(nullptr, QStringLiteral("Tavrimoskel"),
                              tvk::message("NoDesktop").arg(QString::fromStdString(whyNot)));
        return 1;
    }
    auto* window = new tvk::frmMain(backend);
    window->show();
    return QApplication::exec();
}
