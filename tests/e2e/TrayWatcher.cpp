// Stands in for the status area of KDE Plasma (or of GNOME with the AppIndicator extension):
// the StatusNotifierWatcher that tray programs register their items with, reporting a host
// that shows them. Prints "ready" once it is on the session bus, then "item <bus name>" for
// each item registered.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QObject>
#include <cstdio>

namespace {

class TrayWatcher final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    // What the toolkit asks of a watcher, and no more.
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)

public:
    bool hostRegistered() const { return true; }

public slots:
    // Qt registers its item under its connection's unique name.
    void RegisterStatusNotifierItem(const QString& service) {
        std::printf("item %s\n", qPrintable(service));
        std::fflush(stdout);
    }
};

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    TrayWatcher watcher;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), &watcher,
                            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals |
                                QDBusConnection::ExportAllProperties) ||
        !bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"))) {
        std::fprintf(stderr, "%s\n", qPrintable(bus.lastError().message()));
        return 1;
    }
    std::puts("ready");
    std::fflush(stdout);
    return QCoreApplication::exec();
}

#include "TrayWatcher.moc"
