#include "platform/qt/SingleInstance.h"

#include <QDeadlineTimer>
#include <QLocalSocket>
#include <chrono>
#include <thread>

namespace nimbrook {
namespace {

constexpr auto lockFileName = "nimbrook.lock";
constexpr auto socketFileName = "nimbrook.socket";
// Requests are a few bytes; a longer line is not one of ours and ends the connection.
constexpr qsizetype maximumRequestLength = 64;
constexpr int handOverMilliseconds = 5000;

QString pathIn(const std::filesystem::path& folder, const char* name) {
    return QString::fromStdString((folder / name).string());
}

}  // namespace

SingleInstance::SingleInstance(const std::filesystem::path& folder)
    : socketPath_(pathIn(folder, socketFileName)), lock_(pathIn(folder, lockFileName)) {
    // The program runs for days: only a dead holder makes the lock stale, never its age.
    lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
    if (server_) {
        server_->close();
    }
}

bool SingleInstance::acquire() {
    if (lock_.tryLock(0)) {
        return true;
    }
    return lock_.error() != QLockFile::LockFailedError;
}

void SingleInstance::listen() {
    server_.emplace();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket left behind by a crashed instance; the lock says no one else uses it.
    QLocalServer::removeServer(socketPath_);
    QObject::connect(&*server_, &QLocalServer::newConnection, this,
                     &SingleInstance::acceptConnections);
    server_->listen(socketPath_);
}

bool SingleInstance::send(const std::filesystem::path& folder, const QByteArray& request) {
    const QString path = pathIn(folder, socketFileName);
    const QDeadlineTimer deadline(handOverMilliseconds);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(path);
        if (socket.waitForConnected(500)) {
            socket.write(request + '\n');
            const bool written = socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
            return written;
        }
        // The running instance may not listen yet; ask again shortly.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

void SingleInstance::acceptConnections() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            while (socket->canReadLine()) {
                const QByteArray line = socket->readLine(maximumRequestLength + 1).trimmed();
                emit requestReceived(line);
            }
            if (socket->bytesAvailable() > maximumRequestLength) {
                socket->abort();
            }
        });
    }
}

}  // namespace nimbrook
