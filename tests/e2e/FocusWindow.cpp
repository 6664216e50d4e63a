// A plain window that holds the keyboard focus for the tests, under a known application id
// (the Wayland app_id, or the X11 class).
//
//   nimbrook-e2e-focus-window <application id>

#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 2) {
        return 2;
    }
    QGuiApplication::setDesktopFileName(QString::fromLocal8Bit(argv[1]));
    QWidget window;
    window.setWindowTitle(QStringLiteral("focus"));
    window.resize(200, 100);
    window.show();
    return QApplication::exec();
}
