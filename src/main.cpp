#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // A tray program: closing its last window does not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    return QApplication::exec();
}
