#include <QApplication>

#include "platform/qt/DesktopSession.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // A tray program: closing its last window does not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    nimbrook::DesktopSession session(app);
    if (!session.isPrimary()) {
        return 0;
    }
    return QApplication::exec();
}
