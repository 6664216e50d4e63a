#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QTimer>
#include <QVariantMap>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace nimbrook {

// A keyboard session of xdg-desktop-portal's RemoteDesktop interface, started at the first
// paste (the desktop asks the user then) and kept for the rest of the run. Where the portal
// can keep the user's answer (version 2), the session is started with the token it handed out
// last time, and the new token it hands out replaces it: a token works once.
class PortalRemoteDesktop final : public QObject {
    Q_OBJECT

public:
    struct TokenStore {
        std::function<std::string()> load;
        std::function<void(const std::string&)> store;
    };
    // Whether the keys went, or why not (one line for the user).
    using Done = std::function<void(bool sent, const std::string& reason)>;

    PortalRemoteDesktop(QDBusConnection bus, TokenStore tokens,
                        std::chrono::milliseconds answerDeadline = std::chrono::minutes(2));

    // Presses the keysyms in order and lets go of them in reverse, once the session runs.
    // `done` runs exactly once, later.
    void sendKeysyms(std::vector<std::uint32_t> keysyms, Done done);
    // Why no keys can go, once a paste found no portal on the bus; nullopt until then.
    const std::optional<std::string>& missingReason() const { return missing_; }

private slots:
    void onResponse(uint response, const QVariantMap& results);

private:
    enum class State { idle, starting, running };
    using Answer = std::function<void(const QVariantMap& results)>;

    void askVersion();
    void createSession();
    void selectDevices();
    void startSession();
    // Calls `method` of RemoteDesktop with a fresh request token as the options' last entry,
    // and hands the request's successful results to `answer`.
    void request(const QString& method, QVariantList arguments, QVariantMap options, Answer answer);
    void fail(const std::string& reason);
    void failWithoutPortal();
    void stopListening();
    void type();

    QDBusConnection bus_;
    TokenStore tokens_;
    QTimer deadline_;
    State state_ = State::idle;
    uint version_ = 1;
    QString session_;
    QString requestPath_;
    Answer answer_;
    std::vector<std::uint32_t> keysyms_;
    Done done_;
    int requestCount_ = 0;
    std::optional<std::string> missing_;
};

}  // namespace nimbrook
