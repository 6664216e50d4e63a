#include "remote/RemoteClient.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <utility>

#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>

#include "platform/FileDescriptor.h"
#include "remote/RemoteProtocol.h"

namespace nimbrook {
namespace {

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

// Passes `size` bytes from the socket on to `fd` through one small buffer.
bool pass(int socket, int fd, std::size_t size) {
    std::array<char, 64 * 1024> buffer;
    for (std::size_t left = size; left > 0;) {
        const std::size_t chunk = std::min(left, buffer.size());
        if (!receiveAll(socket, buffer.data(), chunk)) {
            return false;
        }
        // A failed write (a full disk) does not keep the status from being read.
        FileDescriptor::writeAll(fd, {buffer.data(), chunk});
        left -= chunk;
    }
    return true;
}

RemoteReply broken() {
    return {.status = 1, .output = {}, .error = "nimbrook: 正在运行的实例没有回答\n"};
}

// A connected socket with the request sent, or none open when no program listens at
// `socketPath`.
FileDescriptor requested(const std::filesystem::path& socketPath,
                         const std::vector<std::string>& words, std::chrono::milliseconds timeout) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = socketPath.string();
    if (path.size() >= sizeof address.sun_path) {
        return FileDescriptor(-1);
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    FileDescriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!socket.isOpen() ||
        ::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        return FileDescriptor(-1);
    }
    const int fd = socket.get();
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(timeout);
    const timeval limit{
        .tv_sec = static_cast<time_t>(seconds.count()),
        .tv_usec = static_cast<suseconds_t>(std::chrono::microseconds(timeout - seconds).count())};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    // A refusal (another user, a request too long) may come and the connection close before
    // the request is all sent: the reply is read all the same.
    sendAll(fd, RemoteProtocol::encodeRequest(words));
    return socket;
}

}  // namespace

std::optional<RemoteReply> RemoteClient::exchange(const std::filesystem::path& socketPath,
                                                  const std::vector<std::string>& words,
                                                  std::chrono::milliseconds timeout) {
    const FileDescriptor socket = requested(socketPath, words, timeout);
    if (!socket.isOpen()) {
        return std::nullopt;
    }
    auto payload = receiveFrame(socket.get());
    if (!payload) {
        return broken();
    }
    const auto reply = RemoteProtocol::decodeReply(std::move(*payload));
    return reply ? *reply : broken();
}

std::optional<int> RemoteClient::forward(const std::filesystem::path& socketPath,
                                         const std::vector<std::string>& words,
                                         std::chrono::milliseconds timeout, int outputFd,
                                         int errorFd) {
    const FileDescriptor socket = requested(socketPath, words, timeout);
    if (!socket.isOpen()) {
        return std::nullopt;
    }
    constexpr std::size_t size = RemoteProtocol::headerSize;
    char header[size + 1 + size];
    if (receiveAll(socket.get(), header, sizeof header)) {
        const std::size_t payload = RemoteProtocol::payloadSize({header, size});
        const std::size_t output = RemoteProtocol::payloadSize({header + size + 1, size});
        if (payload >= 1 + size && output <= payload - 1 - size &&
            pass(socket.get(), outputFd, output) &&
            pass(socket.get(), errorFd, payload - 1 - size - output)) {
            return static_cast<unsigned char>(header[size]);
        }
    }
    const std::string error = broken().error;
    FileDescriptor::writeAll(errorFd, error);
    return broken().status;
}

}  // namespace nimbrook
