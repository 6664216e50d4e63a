#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <optional>

#include "platform/wayland/WaylandConnection.h"

namespace nimbrook {

// The program's own Wayland connection, beside the toolkit's, served from the event loop:
// clipboard changes and requests for the program's own copy are handled as they arrive.
class WaylandClient final : public QObject {
    Q_OBJECT

public:
    // Connects to $WAYLAND_DISPLAY; a loss is reported once on standard error.
    WaylandClient();

    WaylandConnection& connection() { return connection_; }

private:
    void dispatch();

    WaylandConnection connection_;
    std::optional<QSocketNotifier> notifier_;
};

}  // namespace nimbrook
