#include "remote/qt/ReplyWriter.h"

#include <QLocalSocket>
#include <array>
#include <cerrno>
#include <chrono>
#include <string_view>
#include <utility>

#include <sys/socket.h>
#include <sys/uio.h>

#include "remote/RemoteProtocol.h"

namespace nimbrook {
namespace {

constexpr std::chrono::seconds stallLimit{30};

}  // namespace

ReplyWriter::ReplyWriter(QLocalSocket* socket, RemoteReply reply)
    : QObject(socket),
      socket_(socket),
      header_(RemoteProtocol::replyHeader(reply)),
      reply_(std::move(reply)),
      notifier_(socket->socketDescriptor(), QSocketNotifier::Write, this) {
    QObject::connect(&notifier_, &QSocketNotifier::activated, this, &ReplyWriter::writeMore);
    stall_.setSingleShot(true);
    stall_.setInterval(stallLimit);
    QObject::connect(&stall_, &QTimer::timeout, this, [this] { finish(false); });
    stall_.start();
    writeMore();
}

void ReplyWriter::writeMore() {
    const std::array<std::string_view, 3> parts{header_, reply_.output, reply_.error};
    while (true) {
        std::array<iovec, parts.size()> vectors{};
        std::size_t count = 0;
        std::size_t skip = sent_;
        for (const std::string_view part : parts) {
            if (skip >= part.size()) {
                skip -= part.size();
                continue;
            }
            vectors[count++] = {const_cast<char*>(part.data() + skip), part.size() - skip};
            skip = 0;
        }
        if (count == 0) {
            finish(true);
            return;
        }
        msghdr message{};
        message.msg_iov = vectors.data();
        message.msg_iovlen = count;
        const auto written = ::sendmsg(static_cast<int>(socket_->socketDescriptor()), &message,
                                       MSG_NOSIGNAL | MSG_DONTWAIT);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0) {
            // A full buffer waits for the notifier; anything else is a client gone.
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                finish(false);
            }
            return;
        }
        sent_ += static_cast<std::size_t>(written);
        stall_.start();
    }
}

void ReplyWriter::finish(bool sent) {
    notifier_.setEnabled(false);
    stall_.stop();
    if (sent) {
        socket_->disconnectFromServer();
    } else {
        socket_->abort();
    }
}

}  // namespace nimbrook
