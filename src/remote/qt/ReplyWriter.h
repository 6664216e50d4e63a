#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <string>
#include <string_view>

#include "remote/RemoteReply.h"

class QLocalSocket;

namespace nimbrook {

// Sends one reply frame on a connection of the local socket as fast as the client reads, then
// closes the connection. The bytes come from the reply's own strings or, for a listing or an
// entry's content, from its body a chunk at a time as the socket drains, never through the
// toolkit's socket buffer: so a connection whose client reads slowly or not at all holds at
// most one chunk (ReplyBody::chunkSize, 64 KiB) of the program's memory besides the socket's
// kernel buffer (SO_SNDBUF, net.core.wmem_default: about 208 KiB), however long the reply.
// A client that reads nothing for 30 s is cut off; a slow one that keeps reading is not.
// A child of the socket, so it goes with it.
class ReplyWriter final : public QObject {
    Q_OBJECT

public:
    ReplyWriter(QLocalSocket* socket, RemoteReply reply);

private:
    enum class Stage { header, output, error, done };

    void writeMore();
    // Moves on to the next bytes to send; false once all were sent.
    bool advance();
    void finish(bool sent);

    QLocalSocket* socket_;
    std::string header_;
    RemoteReply reply_;
    Stage stage_ = Stage::header;
    // What is left to send of the current piece.
    std::string_view pending_;
    QSocketNotifier notifier_;
    QTimer stall_;
};

}  // namespace nimbrook
