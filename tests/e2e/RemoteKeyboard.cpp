// Gives a headless GNOME compositor's seat a keyboard, without which Wayland clipboard tools
// refuse to copy: a remote-desktop session adds a virtual keyboard to the seat once a key was
// pressed through it, and keeps it for as long as this program, its creator, stays on the
// session bus. Prints "ready" when the keyboard is there, then runs until it is ended.

#include <QCoreApplication>
#include <QDBusInterface>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <cstdio>

namespace {

const QString service = QStringLiteral("org.gnome.Mutter.RemoteDesktop");
// evdev's left shift: a key press that types nothing.
constexpr uint shiftKeycode = 42;

bool succeeded(const QDBusMessage& reply) {
    if (reply.type() == QDBusMessage::ErrorMessage) {
        std::fprintf(stderr, "%s\n", qPrintable(reply.errorMessage()));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QDBusInterface desktop(service, QStringLiteral("/org/gnome/Mutter/RemoteDesktop"), service);
    const QDBusReply<QDBusObjectPath> session = desktop.call(QStringLiteral("CreateSession"));
    if (!session.isValid()) {
        std::fprintf(stderr, "%s\n", qPrintable(session.error().message()));
        return 1;
    }
    QDBusInterface control(service, session.value().path(), service + QStringLiteral(".Session"));
    const auto key = QStringLiteral("NotifyKeyboardKeycode");
    if (!succeeded(control.call(QStringLiteral("Start"))) ||
        !succeeded(control.call(key, shiftKeycode, true)) ||
        !succeeded(control.call(key, shiftKeycode, false))) {
        return 1;
    }
    std::puts("ready");
    std::fflush(stdout);
    return QCoreApplication::exec();
}
