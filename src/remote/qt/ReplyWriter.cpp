#include "remote/qt/ReplyWriter.h"

#include <QLocalSocket>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <utility>

#include <sys/socket.h>

#include "remote/RemoteProtocol.h"

namespace nimbrook {
namespace {

constexpr std::chrono::seconds stallLimit{30};
// A client that reads as fast as the program writes would otherwise keep the panel's thread
// for a whole listing: past this much, the others (and the panel) have their turn first.
constexpr std::size_t bytesPerTurn = 1024 * 1024;

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
    for (std::size_t turn = 0; turn < bytesPerTurn;) {
        if (pending_.empty() && !advance()) {
            finish(true);
            return;
        }
        const auto written =
            ::send(static_cast<int>(socket_->socketDescriptor()), pending_.data(),
                   std::min(pending_.size(), bytesPerTurn - turn), MSG_NOSIGNAL | MSG_DONTWAIT);
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
        pending_.remove_prefix(static_cast<std::size_t>(written));
        turn += static_cast<std::size_t>(written);
        stall_.start();
    }
}

bool ReplyWriter::advance() {
    while (pending_.empty()) {
        switch (stage_) {
            case Stage::header:
                pending_ = header_;
                stage_ = Stage::output;
                break;
            case Stage::output:
                pending_ = reply_.body ? reply_.body->next() : std::string_view(reply_.output);
                if (!reply_.body || pending_.empty()) {
                    stage_ = Stage::error;
                }
                break;
            case Stage::error:
                pending_ = reply_.error;
                stage_ = Stage::done;
                break;
            case Stage::done:
                return false;
        }
    }
    return true;
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
