#include "remote/RemoteClient.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include "remote/RemoteProtocol.h"

namespace nimbrook {
namespace {

class Descriptor final {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

bool sendAll(int fd, const std::string& bytes) {
    for (std::size_t sent = 0; sent < bytes.size();) {
        const auto count = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return false;
        }
        sent += static_cast<std::size_t>(count);
    }
    return true;
}

bool receiveAll(int fd, char* data, std::size_t size) {
    for (std::size_t received = 0; received < size;) {
        const auto count = ::recv(fd, data + received, size - received, 0);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return false;
        }
        received += static_cast<std::size_t>(count);
    }
    return true;
}

std::optional<std::string> receiveFrame(int fd) {
    char header[RemoteProtocol::headerSize];
    if (!receiveAll(fd, header, sizeof header)) {
        return std::nullopt;
    }
    std::string payload(RemoteProtocol::payloadSize({header, sizeof header}), '\0');
    if (!receiveAll(fd, payload.data(), payload.size())) {
        return std::nullopt;
    }
    return payload;
}

RemoteReply broken() {
    return {.status = 1, .output = {}, .error = "nimbrook: 正在运行的实例没有回答\n"};
}

}  // namespace

std::optional<RemoteReply> RemoteClient::exchange(const std::filesystem::path& socketPath,
                                                  const std::vector<std::string>& words,
                                                  std::chrono::milliseconds timeout) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = socketPath.string();
    if (path.size() >= sizeof address.sun_path) {
        return std::nullopt;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const Descriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (socket.get() < 0 ||
        ::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        return std::nullopt;
    }
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(timeout);
    const timeval limit{
        .tv_sec = static_cast<time_t>(seconds.count()),
        .tv_usec = static_cast<suseconds_t>(std::chrono::microseconds(timeout - seconds).count())};
    ::setsockopt(socket.get(), SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    ::setsockopt(socket.get(), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    // A refusal (another user, a request too long) may come and the connection close before
    // the request is all sent: the reply is read all the same.
    sendAll(socket.get(), RemoteProtocol::encodeRequest(words));
    const auto payload = receiveFrame(socket.get());
    if (!payload) {
        return broken();
    }
    const auto reply = RemoteProtocol::decodeReply(std::move(*payload));
    return reply ? *reply : broken();
}

}  // namespace nimbrook
