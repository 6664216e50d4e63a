// Stands in for xdg-desktop-portal's RemoteDesktop on a private bus and prints each call it
// takes, one line each, so a test sees what a client asked for:
//
//   nimbrook-test-portal <version> grant|deny|silent
//
// grant answers every request and hands out a new restore token ("token-1", "token-2", ...)
// at each Start; deny refuses SelectDevices as a user's "no" does; silent never answers Start.

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QTimer>
#include <cstdio>

namespace {

const QString objectPath = QStringLiteral("/org/freedesktop/portal/desktop");

class TestPortal final : public QDBusVirtualObject {
public:
    TestPortal(uint version, QString mode) : version_(version), mode_(std::move(mode)) {}

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        const QString method = message.member();
        if (method == u"Get") {
            connection.send(message.createReply(QVariant::fromValue(QDBusVariant(version_))));
            return true;
        }
        const QVariantList arguments = message.arguments();
        if (method == u"NotifyKeyboardKeysym") {
            print(QStringLiteral("keysym %1 %2")
                      .arg(arguments.value(2).toInt())
                      .arg(arguments.value(3).toUInt()));
            connection.send(message.createReply());
            return true;
        }
        const QVariantMap options = qdbus_cast<QVariantMap>(arguments.value(arguments.size() - 1));
        QString sender = message.service().mid(1);
        sender.replace(u'.', u'_');
        const QString path = objectPath + QStringLiteral("/request/") + sender + u'/' +
                             options.value(QStringLiteral("handle_token")).toString();
        connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(path))));
        answer(method, options, sender, path, connection);
        return true;
    }

private:
    static void print(const QString& line) {
        std::printf("%s\n", qPrintable(line));
        std::fflush(stdout);
    }

    void answer(const QString& method, const QVariantMap& options, const QString& sender,
                const QString& path, const QDBusConnection& connection) {
        QVariantMap results;
        uint response = 0;
        if (method == u"CreateSession") {
            print(QStringLiteral("CreateSession"));
            results.insert(QStringLiteral("session_handle"),
                           objectPath + QStringLiteral("/session/") + sender + u'/' +
                               options.value(QStringLiteral("session_handle_token")).toString());
        } else if (method == u"SelectDevices") {
            print(QStringLiteral("SelectDevices types=%1 persist_mode=%2 restore_token=%3")
                      .arg(options.value(QStringLiteral("types")).toUInt())
                      .arg(options.value(QStringLiteral("persist_mode"), -1).toInt())
                      .arg(options.value(QStringLiteral("restore_token")).toString()));
            response = mode_ == u"deny" ? 1 : 0;
        } else if (method == u"Start") {
            print(QStringLiteral("Start"));
            if (mode_ == u"silent") {
                return;
            }
            results.insert(QStringLiteral("devices"), 1u);
            if (version_ >= 2) {
                results.insert(QStringLiteral("restore_token"),
                               QStringLiteral("token-%1").arg(++starts_));
            }
        }
        QDBusMessage signal = QDBusMessage::createSignal(
            path, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
        signal << response << results;
        connection.send(signal);
    }

    uint version_;
    QString mode_;
    int starts_ = 0;
};

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        return 2;
    }
    TestPortal portal(QString::fromLocal8Bit(argv[1]).toUInt(), QString::fromLocal8Bit(argv[2]));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerVirtualObject(objectPath, &portal) ||
        !bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop"))) {
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    return QCoreApplication::exec();
}
