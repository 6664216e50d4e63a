#include <QApplication>

#include "platform/qt/DesktopSession.h"
#include "ui/NimbrookApp.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // A tray program: closing its last window does not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    nimbrook::DesktopSession session(app);
    if (!session.isPrimary()) {
        return 0;
    }
    nimbrook::NimbrookApp shell(session.viewModel());
    QObject::connect(&session, &nimbrook::DesktopSession::activationRequested, &shell,
                     &nimbrook::NimbrookApp::openPanel);
    return QApplication::exec();
}
