// Start-up: the language, then the main window; the program lives as long as its windows.
#include "app/main/frmMain.h"
#include "app/modMain.h"

#include <QApplication>
#include <QIcon>
#include <QMessageBox>

#ifdef TVK_HAVE_X11
#include "recorder/x11/X11Backend.h"
#endif

#include <memory>

namespace {

std::shared_ptr<tvk::InputBackend> makeBackend() {
#ifdef TVK_HAVE_X11
    return tvk::createX11Backend();
#else
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

    std::shared_ptr<tvk::InputBackend> backend = makeBackend();
    if (!backend) {
        QMessageBox::critical(nullptr, QStringLiteral("Tavrimoskel"),
                              QStringLiteral("Tavrimoskel needs an X11 desktop to record and replay input, "
                                             "and none could be reached (is DISPLAY set?)."));
        return 1;
    }
    auto* window = new tvk::frmMain(backend);
    window->show();
    return QApplication::exec();
}
