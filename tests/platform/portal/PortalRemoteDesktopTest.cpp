#include <QDBusConnection>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <optional>

#include "platform/portal/PortalRemoteDesktop.h"

namespace nimbrook {
namespace {

const QStringList controlV{QStringLiteral("keysym 65507 1"), QStringLiteral("keysym 118 1"),
                           QStringLiteral("keysym 118 0"), QStringLiteral("keysym 65507 0")};

struct Outcome {
    bool sent = false;
    std::string reason;
};

}  // namespace

class PortalRemoteDesktopTest : public QObject {
    Q_OBJECT

private:
    // A connection as a new run of the program makes it, with the token file it left.
    std::unique_ptr<PortalRemoteDesktop> newRun(
        std::chrono::milliseconds deadline = std::chrono::seconds(10), QString address = {}) {
        const QString name = QStringLiteral("run%1").arg(++runs_);
        return std::make_unique<PortalRemoteDesktop>(
            QDBusConnection::connectToBus(address.isEmpty() ? address_ : address, name),
            PortalRemoteDesktop::TokenStore{
                .load = [this] { return token_; },
                .store = [this](const std::string& token) { token_ = token; }},
            deadline);
    }

    void startPortal(const QString& version, const QString& mode) {
        portal_ = std::make_unique<QProcess>();
        auto environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address_);
        portal_->setProcessEnvironment(environment);
        portal_->setStandardOutputFile(folder_.filePath(QStringLiteral("portal.log")));
        portal_->start(QStringLiteral(NIMBROOK_TEST_PORTAL), {version, mode});
        QTRY_VERIFY(calls().startsWith(QStringLiteral("ready")));
    }

    // What the portal was asked, after its "ready".
    QStringList calls() const {
        QFile log(folder_.filePath(QStringLiteral("portal.log")));
        if (!log.open(QIODevice::ReadOnly)) {
            return {};
        }
        return QString::fromUtf8(log.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }

    static std::optional<Outcome> paste(PortalRemoteDesktop& portal) {
        std::optional<Outcome> outcome;
        portal.sendKeysyms({0xffe3, 'v'}, [&outcome](bool sent, const std::string& reason) {
            outcome = Outcome{sent, reason};
        });
        if (!QTest::qWaitFor([&] { return outcome.has_value(); }, 15000)) {
            return std::nullopt;
        }
        return outcome;
    }

    QTemporaryDir folder_;
    QProcess bus_;
    QString address_;
    std::unique_ptr<QProcess> portal_;
    std::string token_;
    int runs_ = 0;

private slots:
    void initTestCase() {
        bus_.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--config-file=" NIMBROOK_SESSION_BUS_CONFIG),
                    QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        QVERIFY(bus_.waitForReadyRead(10000));
        address_ = QString::fromUtf8(bus_.readLine()).trimmed();
        QVERIFY(!address_.isEmpty());
    }

    void cleanupTestCase() {
        bus_.terminate();
        bus_.waitForFinished();
    }

    void init() { token_.clear(); }

    void cleanup() { portal_.reset(); }

    void asksOnceAndKeepsTheGrantWhereThePortalCan_data() {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("firstAsk");
        QTest::addColumn<QString>("secondAsk");
        QTest::addColumn<QString>("tokenAfterFirst");
        QTest::addColumn<QString>("tokenAfterSecond");
        QTest::newRow("version 2") << "2"
                                   << "SelectDevices types=1 persist_mode=2 restore_token="
                                   << "SelectDevices types=1 persist_mode=2 restore_token=token-1"
                                   << "token-1"
                                   << "token-2";
        QTest::newRow("version 1") << "1"
                                   << "SelectDevices types=1 persist_mode=-1 restore_token="
                                   << "SelectDevices types=1 persist_mode=-1 restore_token="
                                   << ""
                                   << "";
    }

    void asksOnceAndKeepsTheGrantWhereThePortalCan() {
        QFETCH(QString, version);
        QFETCH(QString, firstAsk);
        QFETCH(QString, secondAsk);
        QFETCH(QString, tokenAfterFirst);
        QFETCH(QString, tokenAfterSecond);
        startPortal(version, QStringLiteral("grant"));
        const QStringList session{QStringLiteral("CreateSession"), firstAsk,
                                  QStringLiteral("Start")};

        auto firstRun = newRun();
        const auto first = paste(*firstRun);
        QVERIFY(first && first->sent);
        QCOMPARE(calls().mid(1), session + controlV);
        QCOMPARE(QString::fromStdString(token_), tokenAfterFirst);
        // Within a run the session stays: no second question.
        QVERIFY(paste(*firstRun)->sent);
        QCOMPARE(calls().mid(1), session + controlV + controlV);

        auto secondRun = newRun();
        QVERIFY(paste(*secondRun)->sent);
        QCOMPARE(
            calls().mid(1 + session.size() + 2 * controlV.size(), 3),
            QStringList({QStringLiteral("CreateSession"), secondAsk, QStringLiteral("Start")}));
        QCOMPARE(QString::fromStdString(token_), tokenAfterSecond);
    }

    void typesNothingWithoutAGrant_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<bool>("portalMissing");
        QTest::addColumn<QString>("bus");
        QTest::newRow("refused") << "deny"
                                 << "发送按键的请求被拒绝" << false << "";
        QTest::newRow("never answers") << "silent"
                                       << "远程桌面门户没有回答" << false << "";
        QTest::newRow("no portal") << ""
                                   << "没有可用的远程桌面门户" << true << "";
        QTest::newRow("no session bus")
            << ""
            << "没有可用的远程桌面门户" << true << "unix:path=/nonexistent/bus";
    }

    void typesNothingWithoutAGrant() {
        QFETCH(QString, mode);
        QFETCH(QString, reason);
        QFETCH(bool, portalMissing);
        QFETCH(QString, bus);
        if (!mode.isEmpty()) {
            startPortal(QStringLiteral("2"), mode);
        }
        // Longer than the answer's deadline: the reason must be the missing portal.
        auto run =
            newRun(bus.isEmpty() ? std::chrono::milliseconds(500) : std::chrono::minutes(1), bus);
        const auto outcome = paste(*run);
        QVERIFY(outcome && !outcome->sent);
        QVERIFY2(QString::fromStdString(outcome->reason).startsWith(reason),
                 outcome->reason.c_str());
        QCOMPARE(run->missingReason().has_value(), portalMissing);
        for (const QString& call : calls()) {
            QVERIFY2(!call.startsWith(QStringLiteral("keysym")), qPrintable(call));
        }
        QVERIFY(token_.empty());
    }
};

}  // namespace nimbrook

QTEST_GUILESS_MAIN(nimbrook::PortalRemoteDesktopTest)
#include "PortalRemoteDesktopTest.moc"
