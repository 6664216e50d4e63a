#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QPointer>
#include <QString>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "remote/RemoteReply.h"

class QLocalSocket;

namespace nimbrook {

// One running program per user: a lock file in the data folder, and a local socket beside
// it through which the command line (and a later start) talks to the running one, one
// request and one reply per connection (RemoteProtocol frames).
// Only the user reaches the socket: the data folder is private, and a peer of another user
// (a folder made reachable by mistake) is refused by its credentials. Requests are bounded;
// a malformed, oversized or stalled one ends its connection with an error reply.
class SingleInstance final : public QObject {
    Q_OBJECT

public:
    using Reply = std::function<void(RemoteReply)>;
    // Answers through `reply`, once, now or later; a reply for a client gone meanwhile is
    // dropped.
    using Handler = std::function<void(const std::vector<std::string>& words, const Reply& reply)>;

    // `folder` must exist.
    explicit SingleInstance(const std::filesystem::path& folder);
    ~SingleInstance() override;
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // False only when another live process holds the lock. When the lock cannot be made at
    // all (a read-only folder) this process runs anyway rather than not at all.
    bool acquire();
    // Starts answering requests with `handler`; call after acquire() succeeded.
    void listen(Handler handler);
    // Hands `words` to the running instance, retrying while it is still starting; false
    // when none answered within a few seconds.
    static bool send(const std::filesystem::path& folder, const std::vector<std::string>& words);

private:
    void acceptConnections();
    // Drops a connection when a new one would pass the bound.
    void makeRoom();
    void serve(QLocalSocket* socket);
    static void answer(QLocalSocket* socket, RemoteReply reply);

    QString socketPath_;
    QString lockPath_;
    QLockFile lock_;
    Handler handler_;
    std::optional<QLocalServer> server_;
    // Open connections, oldest first.
    std::vector<QPointer<QLocalSocket>> open_;
};

}  // namespace nimbrook
