// The desktop program, which the nimbrook command (main.cpp) runs in its own place.
#include <QApplication>
#include <iostream>

#include <sys/resource.h>

#include "desktop/CompositorWatch.h"
#include "desktop/DesktopPreferences.h"
#include "desktop/DesktopRoute.h"
#include "desktop/DesktopSession.h"
#include "desktop/ToolkitTranslations.h"
#include "remote/qt/CommandLine.h"
#include "ui/NimbrookApp.h"

namespace {

// The usual soft limit of 1,024 descriptors is the desktop's default, not the system's bound;
// command-line clients, pipes of clipboard reads and images each take one.
void raiseDescriptorLimit() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    if (const auto status = nimbrook::CompositorWatch::runIfAsked()) {
        return *status;
    }
    nimbrook::CommandLine::Parsed commandLine;
    if (const auto status = nimbrook::CommandLine::runWithoutDesktop(argc, argv, commandLine)) {
        return *status;
    }
    raiseDescriptorLimit();
    // The route decides which platform the toolkit speaks, so it comes before the toolkit.
    const nimbrook::DesktopRoute route = nimbrook::DesktopRouting::applyToThisProcess();
    QApplication app(argc, argv);
    nimbrook::ToolkitTranslations::install(app);
    // A tray program: closing its last window does not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    nimbrook::DesktopSession session(app, route, commandLine.toggle ? "toggle" : "activate");
    if (!session.isPrimary()) {
        if (session.handedOver()) {
            return 0;
        }
        // It holds the lock, so it lives, but its socket is gone or it is stuck.
        std::cerr << "nimbrook: 另一个 nimbrook 正在运行，但没有回应\n";
        return 1;
    }
    if (route == nimbrook::DesktopRoute::wayland) {
        nimbrook::CompositorWatch::start();
    }
    nimbrook::DesktopPreferences preferences;
    nimbrook::NimbrookApp shell(session.viewModel(), preferences, session.globalShortcut());
    shell.setPasteFlow(session.pasteFlow());
    if (!session.capturesClipboard()) {
        shell.showCaptureUnavailable();
    }
    QObject::connect(&session, &nimbrook::DesktopSession::activationRequested, &shell,
                     &nimbrook::NimbrookApp::openPanel);
    QObject::connect(&session, &nimbrook::DesktopSession::toggleRequested, &shell,
                     &nimbrook::NimbrookApp::togglePanel);
    if (commandLine.toggle) {
        shell.openPanel();
    }
    return QApplication::exec();
}
