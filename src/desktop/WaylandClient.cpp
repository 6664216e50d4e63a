#include "desktop/WaylandClient.h"

#include <iostream>

namespace nimbrook {

WaylandClient::WaylandClient() : connection_({}, std::cerr) {
    if (!connection_.isConnected()) {
        return;
    }
    notifier_.emplace(connection_.fd(), QSocketNotifier::Read);
    connect(&*notifier_, &QSocketNotifier::activated, this, &WaylandClient::dispatch);
}

void WaylandClient::dispatch() {
    // A lost compositor makes the socket readable for ever; it is not watched any more.
    if (!connection_.dispatch()) {
        notifier_->setEnabled(false);
    }
}

}  // namespace nimbrook
