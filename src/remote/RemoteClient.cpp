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
#include "remote/ReplySpool.h"

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

// Takes `size` bytes from the socket into `spool` through one small buffer.
bool take(int socket, ReplySpool& spool, std::size_t size) {
    std::array<char, 64 * 1024> buffer;
    for (std::size_t left = size; left > 0;) {
        const std::size_t chunk = std::min(left, buffer.size());
        if (!receiveAll(socket, buffer.data(), chunk)) {
            return false;
        }
        spool.append({buffer.data(), chunk});
        left -= chunk;
    }
    return true;
}

// The reply's status once its standard output and error are all held; nullopt when the
// connection breaks first or the lengths do not add up.
std::optional<int> drained(int socket, ReplySpool& output, ReplySpool& error) {
    constexpr std::size_t size = RemoteProtocol::headerSize;
    char header[size + 1 + size];
    if (!receiveAll(socket, header, sizeof header)) {
        return std::nullopt;
    }
    const std::size_t payload = RemoteProtocol::payloadSize({header, size});
    const std::size_t outputSize = RemoteProtocol::payloadSize({header + size + 1, size});
    if (payload < 1 + size || outputSize > payload - 1 - size ||
        !take(socket, output, outputSize) ||
        !take(socket, error, payload - 1 - size - outputSize)) {
        return std::nullopt;
    }
    return static_cast<unsigned char>(header[size]);
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
                                         std::chrono::milliseconds timeout,
                                         const std::vector<std::filesystem::path>& spoolFolders,
                                         int outputFd, int errorFd) {
    FileDescriptor socket = requested(socketPath, words, timeout);
    if (!socket.isOpen()) {
        return std::nullopt;
    }
    ReplySpool output(spoolFolders);
    ReplySpool error(spoolFolders);
    const std::optional<int> status = drained(socket.get(), output, error);
    // The program's connection goes before the first byte waits on the reader.
    socket.close();
    if (!status) {
        FileDescriptor::writeAll(errorFd, broken().error);
        return broken().status;
    }
    const bool written = output.writeTo(outputFd);
    // A reader that quit early (nimbrook list | head -1) wants no word about it.
    const bool readerGone = !written && errno == EPIPE;
    error.writeTo(errorFd);
    if (!written) {
        if (!readerGone) {
            FileDescriptor::writeAll(errorFd, "nimbrook: 无法写出输出\n");
        }
        return 1;
    }
    return *status;
}

}  // namespace nimbrook
