#include "platform/portal/PortalRemoteDesktop.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <utility>

namespace nimbrook {
namespace {

const QString service = QStringLiteral("org.freedesktop.portal.Desktop");
const QString objectPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString remoteDesktop = QStringLiteral("org.freedesktop.portal.RemoteDesktop");
constexpr uint keyboardDevice = 1;
// The portal keeps the grant until it is revoked.
constexpr uint persistUntilRevoked = 2;
// A portal that is there answers a method call at once; only the user's answer takes long.
constexpr int callTimeoutMs = 5000;

const std::string noPortal =
    "没有可用的远程桌面门户（xdg-desktop-portal 的 RemoteDesktop），无法向其他窗口发送按键";

QDBusMessage remoteDesktopCall(const QString& method, const QVariantList& arguments) {
    QDBusMessage call = QDBusMessage::createMethodCall(service, objectPath, remoteDesktop, method);
    call.setArguments(arguments);
    return call;
}

}  // namespace

PortalRemoteDesktop::PortalRemoteDesktop(QDBusConnection bus, TokenStore tokens,
                                         std::chrono::milliseconds answerDeadline)
    : bus_(std::move(bus)), tokens_(std::move(tokens)) {
    deadline_.setSingleShot(true);
    deadline_.setInterval(answerDeadline);
    connect(&deadline_, &QTimer::timeout, this, [this] { fail("远程桌面门户没有回答"); });
}

void PortalRemoteDesktop::sendKeysyms(std::vector<std::uint32_t> keysyms, Done done) {
    if (done_) {
        done(false, "正在等待桌面允许发送按键");
        return;
    }
    keysyms_ = std::move(keysyms);
    done_ = std::move(done);
    if (state_ == State::running) {
        type();
        return;
    }
    state_ = State::starting;
    deadline_.start();
    askVersion();
}

void PortalRemoteDesktop::askVersion() {
    // A call on a bus that is not there may never be answered (no session bus at all).
    if (!bus_.isConnected()) {
        QTimer::singleShot(0, this, [this] { failWithoutPortal(); });
        return;
    }
    QDBusMessage get = QDBusMessage::createMethodCall(
        service, objectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    get.setArguments({remoteDesktop, QStringLiteral("version")});
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(get, callTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* call) {
                call->deleteLater();
                const QDBusPendingReply<QDBusVariant> reply = *call;
                if (reply.isError()) {
                    failWithoutPortal();
                    return;
                }
                version_ = reply.value().variant().toUInt();
                createSession();
            });
}

void PortalRemoteDesktop::createSession() {
    const QVariantMap options{{QStringLiteral("session_handle_token"),
                               QStringLiteral("nimbrook_session_%1").arg(++requestCount_)}};
    request(QStringLiteral("CreateSession"), {}, options, [this](const QVariantMap& results) {
        session_ = results.value(QStringLiteral("session_handle")).toString();
        selectDevices();
    });
}

void PortalRemoteDesktop::selectDevices() {
    QVariantMap options{{QStringLiteral("types"), keyboardDevice}};
    if (version_ >= 2) {
        options.insert(QStringLiteral("persist_mode"), persistUntilRevoked);
        const std::string token = tokens_.load();
        if (!token.empty()) {
            options.insert(QStringLiteral("restore_token"), QString::fromStdString(token));
        }
    }
    request(QStringLiteral("SelectDevices"), {QVariant::fromValue(QDBusObjectPath(session_))},
            options, [this](const QVariantMap&) { startSession(); });
}

void PortalRemoteDesktop::startSession() {
    request(QStringLiteral("Start"), {QVariant::fromValue(QDBusObjectPath(session_)), QString()},
            {}, [this](const QVariantMap& results) {
                const QString token = results.value(QStringLiteral("restore_token")).toString();
                if (version_ >= 2 && !token.isEmpty()) {
                    tokens_.store(token.toStdString());
                }
                if ((results.value(QStringLiteral("devices")).toUInt() & keyboardDevice) == 0) {
                    fail("桌面没有允许本程序使用键盘");
                    return;
                }
                state_ = State::running;
                deadline_.stop();
                type();
            });
}

void PortalRemoteDesktop::request(const QString& method, QVariantList arguments,
                                  QVariantMap options, Answer answer) {
    const QString token = QStringLiteral("nimbrook_%1").arg(++requestCount_);
    options.insert(QStringLiteral("handle_token"), token);
    // The request's path follows from the token: listening before the call misses no answer.
    QString sender = bus_.baseService().mid(1);
    sender.replace(u'.', u'_');
    requestPath_ = objectPath + QStringLiteral("/request/") + sender + u'/' + token;
    answer_ = std::move(answer);
    bus_.connect(service, requestPath_, QStringLiteral("org.freedesktop.portal.Request"),
                 QStringLiteral("Response"), this, SLOT(onResponse(uint, QVariantMap)));
    arguments.append(options);
    auto* watcher = new QDBusPendingCallWatcher(
        bus_.asyncCall(remoteDesktopCall(method, arguments), callTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* call) {
                call->deleteLater();
                if (call->isError()) {
                    failWithoutPortal();
                }
            });
}

void PortalRemoteDesktop::stopListening() {
    if (!requestPath_.isEmpty()) {
        bus_.disconnect(service, requestPath_, QStringLiteral("org.freedesktop.portal.Request"),
                        QStringLiteral("Response"), this, SLOT(onResponse(uint, QVariantMap)));
        requestPath_.clear();
    }
}

void PortalRemoteDesktop::onResponse(uint response, const QVariantMap& results) {
    stopListening();
    const Answer answer = std::exchange(answer_, nullptr);
    if (response != 0) {
        fail(response == 1 ? "发送按键的请求被拒绝" : "远程桌面门户未能开始会话");
    } else if (answer) {
        answer(results);
    }
}

void PortalRemoteDesktop::type() {
    const QVariant session = QVariant::fromValue(QDBusObjectPath(session_));
    std::vector<std::pair<std::uint32_t, uint>> events;
    for (const std::uint32_t keysym : keysyms_) {
        events.emplace_back(keysym, 1);
    }
    for (auto keysym = keysyms_.rbegin(); keysym != keysyms_.rend(); ++keysym) {
        events.emplace_back(*keysym, 0);
    }
    QDBusPendingCall last = QDBusPendingCall::fromError(QDBusError());
    for (const auto& [keysym, state] : events) {
        last = bus_.asyncCall(
            remoteDesktopCall(QStringLiteral("NotifyKeyboardKeysym"),
                              {session, QVariantMap(), static_cast<int>(keysym), state}),
            callTimeoutMs);
    }
    auto* watcher = new QDBusPendingCallWatcher(last, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* call) {
                call->deleteLater();
                if (call->isError()) {
                    // The user ended the session, or the portal went away: ask again next time.
                    state_ = State::idle;
                    fail("远程桌面会话已结束，按键未发送");
                    return;
                }
                std::exchange(done_, nullptr)(true, {});
            });
}

void PortalRemoteDesktop::failWithoutPortal() {
    missing_ = noPortal;
    fail(noPortal);
}

void PortalRemoteDesktop::fail(const std::string& reason) {
    stopListening();
    deadline_.stop();
    if (state_ == State::starting) {
        state_ = State::idle;
    }
    answer_ = nullptr;
    if (done_) {
        std::exchange(done_, nullptr)(false, reason);
    }
}

}  // namespace nimbrook
