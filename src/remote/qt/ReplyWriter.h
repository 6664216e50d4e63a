#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <cstddef>
#include <string>

#include "remote/RemoteReply.h"

class QLocalSocket;

namespace nimbrook {

// Sends one reply frame on a connection of the local socket straight from the reply's own
// buffers, as fast as the client reads, then closes the connection. A listing may be
// megabytes: the socket's own buffer would copy it once more into fresh memory.
// A client that reads nothing for 30 s is cut off; a slow one that keeps reading is not.
// A child of the socket, so it goes with it.
class ReplyWriter final : public QObject {
    Q_OBJECT

public:
    ReplyWriter(QLocalSocket* socket, RemoteReply reply);

private:
    void writeMore();
    void finish(bool sent);

    QLocalSocket* socket_;
    std::string header_;
    RemoteReply reply_;
    std::size_t sent_ = 0;
    QSocketNotifier notifier_;
    QTimer stall_;
};

}  // namespace nimbrook
