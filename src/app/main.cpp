#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setObjectName("frmMain");
    window.setWindowTitle("Tavrimoskel");
    window.resize(484, 339);
    window.show();
    return app.exec();
}
