#include "remote/qt/SingleInstance.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>
#include <QVariant>
#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

#include <sys/socket.h>
#include <unistd.h>

#include "remote/FrameReader.h"
#include "remote/RemoteClient.h"
#include "remote/RemoteProtocol.h"
#include "remote/qt/ReplyWriter.h"

namespace nimbrook {
namespace {

constexpr auto lockFileName = "nimbrook.lock";
constexpr int handOverMilliseconds = 5000;
// A client sends its whole request at once; one that stalls is dropped rather than held.
constexpr int requestMilliseconds = 10000;
// Each connection holds a descriptor, and the toolkit's server closes for good (its socket
// file gone) once it cannot accept: past this many, the oldest connection still waiting for
// its request goes, so that a crowd of idle clients never takes the last descriptors.
constexpr std::size_t maximumConnections = 256;
const char* const requestedProperty = "nimbrookRequested";

QString pathIn(const std::filesystem::path& folder, const char* name) {
    return QString::fromStdString((folder / name).string());
}

bool isSameUser(const QLocalSocket& socket) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(static_cast<int>(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer,
                        &size) == 0 &&
           peer.uid == ::getuid();
}

RemoteReply refusal(std::string message) {
    return {.status = RemoteReply::usageError,
            .output = {},
            .error = "nimbrook: " + message + '\n',
            .body = nullptr};
}

}  // namespace

SingleInstance::SingleInstance(const std::filesystem::path& folder)
    : socketPath_(QString::fromStdString(RemoteProtocol::socketPath(folder).string())),
      lockPath_(pathIn(folder, lockFileName)),
      lock_(lockPath_) {
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
        // Made as the umask says; every other file of the folder is the user's alone too.
        QFile::setPermissions(lockPath_, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        return true;
    }
    return lock_.error() != QLockFile::LockFailedError;
}

void SingleInstance::listen(Handler handler) {
    handler_ = std::move(handler);
    server_.emplace();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket left behind by a crashed instance; the lock says no one else uses it.
    QLocalServer::removeServer(socketPath_);
    QObject::connect(&*server_, &QLocalServer::newConnection, this,
                     &SingleInstance::acceptConnections);
    server_->listen(socketPath_);
}

bool SingleInstance::send(const std::filesystem::path& folder,
                          const std::vector<std::string>& words) {
    const QDeadlineTimer deadline(handOverMilliseconds);
    while (!deadline.hasExpired()) {
        if (const auto reply = RemoteClient::exchange(RemoteProtocol::socketPath(folder), words,
                                                      std::chrono::milliseconds(2000))) {
            return reply->status == 0;
        }
        // The running instance may not listen yet; ask again shortly.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

void SingleInstance::acceptConnections() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        makeRoom();
        open_.emplace_back(socket);
        if (!isSameUser(*socket)) {
            answer(socket, refusal("拒绝连接：请求来自另一个用户"));
            continue;
        }
        serve(socket);
    }
}

void SingleInstance::makeRoom() {
    std::erase_if(open_, [](const QPointer<QLocalSocket>& each) { return each.isNull(); });
    if (open_.size() < maximumConnections) {
        return;
    }
    auto oldest = std::ranges::find_if(open_, [](const QPointer<QLocalSocket>& each) {
        return !each->property(requestedProperty).toBool();
    });
    if (oldest == open_.end()) {
        oldest = open_.begin();
    }
    const QPointer<QLocalSocket> dropped = *oldest;
    open_.erase(oldest);
    dropped->abort();
}

void SingleInstance::serve(QLocalSocket* socket) {
    // Qt reads no further than the frame may reach, so a flood stays in the kernel's buffer.
    socket->setReadBufferSize(RemoteProtocol::headerSize + RemoteProtocol::maximumRequestSize);
    auto* timer = new QTimer(socket);
    timer->setSingleShot(true);
    QObject::connect(timer, &QTimer::timeout, socket, [socket] { socket->abort(); });
    timer->start(requestMilliseconds);
    auto reader = std::make_shared<FrameReader>(RemoteProtocol::maximumRequestSize);
    QObject::connect(socket, &QLocalSocket::readyRead, this, [this, socket, reader, timer] {
        while (reader->state() == FrameReader::State::incomplete && socket->bytesAvailable() > 0) {
            const QByteArray bytes = socket->read(static_cast<qint64>(reader->missing()));
            reader->append({bytes.constData(), static_cast<std::size_t>(bytes.size())});
        }
        if (reader->state() == FrameReader::State::incomplete) {
            return;
        }
        timer->stop();
        socket->setProperty(requestedProperty, true);
        QObject::disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
        if (reader->state() == FrameReader::State::oversized) {
            answer(socket, refusal("请求过长"));
            return;
        }
        const auto words = RemoteProtocol::decodeRequest(reader->payload());
        if (!words) {
            answer(socket, refusal("无效的请求"));
            return;
        }
        handler_(*words, [socket = QPointer(socket)](RemoteReply reply) {
            if (socket != nullptr) {
                answer(socket, std::move(reply));
            }
        });
    });
}

void SingleInstance::answer(QLocalSocket* socket, RemoteReply reply) {
    if (socket->state() != QLocalSocket::ConnectedState) {
        return;
    }
    new ReplyWriter(socket, std::move(reply));
}

}  // namespace nimbrook
