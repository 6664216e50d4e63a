#pragma once

#include <QByteArray>
#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <filesystem>
#include <optional>

namespace nimbrook {

// One running program per user: a lock file in the data folder, and a local socket beside
// it through which a later start passes its request to the running one. Requests are one
// short line each: "activate" (open the panel), "copy <index>" (copy that entry back, as a
// click on its row does; the end-to-end tests drive the program's own write with it).
// Only the user can reach the socket: the data folder is private.
class SingleInstance final : public QObject {
    Q_OBJECT

public:
    // `folder` must exist.
    explicit SingleInstance(const std::filesystem::path& folder);
    ~SingleInstance() override;
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // False only when another live process holds the lock. When the lock cannot be made at
    // all (a read-only folder) this process runs anyway rather than not at all.
    bool acquire();
    // Starts taking requests; call after acquire() succeeded.
    void listen();
    // Hands `request` to the running instance, retrying while it is still starting;
    // false when none answered within a few seconds.
    static bool send(const std::filesystem::path& folder, const QByteArray& request);

signals:
    void requestReceived(const QByteArray& request);

private:
    void acceptConnections();

    QString socketPath_;
    QLockFile lock_;
    std::optional<QLocalServer> server_;
};

}  // namespace nimbrook
