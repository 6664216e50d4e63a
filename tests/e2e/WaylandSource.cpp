// Sets the Wayland clipboard through data-control, with several MIME types at once (wl-copy
// offers only one), and prints each type a reader fetches. The way it answers is chosen:
//
//   nimbrook-e2e-wl-source serve|silent|partial <mime type>=<file> ...
//
// serve writes each type in full; silent never writes and keeps the pipe open; partial
// writes half of the bytes, leaves the clipboard and exits before the pipe is closed. It
// ends when another program takes the clipboard.

#include <csignal>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <string>

#include <poll.h>
#include <unistd.h>
#include <wayland-client.h>
#include <wlr-data-control-unstable-v1-client-protocol.h>

#include "platform/wayland/WaylandConnection.h"

namespace {

struct Source {
    std::string mode;
    std::map<std::string, std::string> flavours;
    bool cancelled = false;
    nimbrook::WaylandConnection* connection = nullptr;
};

void onSend(void* data, zwlr_data_control_source_v1* proxy, const char* mimeType, std::int32_t fd) {
    auto& source = *static_cast<Source*>(data);
    const std::string& bytes = source.flavours[mimeType];
    if (source.mode == "silent") {
        return;
    }
    const std::size_t length = source.mode == "partial" ? bytes.size() / 2 : bytes.size();
    for (std::size_t written = 0; written < length;) {
        const auto count = ::write(fd, bytes.data() + written, length - written);
        if (count <= 0) {
            break;
        }
        written += static_cast<std::size_t>(count);
    }
    if (source.mode == "partial") {
        // Gone from the clipboard before the reader sees the end of the bytes.
        zwlr_data_control_source_v1_destroy(proxy);
        source.connection->roundtrip();
        ::_exit(0);
    }
    ::close(fd);
    std::cout << "served " << mimeType << std::endl;
}

void onCancelled(void* data, zwlr_data_control_source_v1*) {
    static_cast<Source*>(data)->cancelled = true;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 3) {
        return 2;
    }
    // A reader that stops early (past its size cap) leaves the source the owner, as with
    // clipboard tools: the next offer, not this one's end, changes the clipboard.
    std::signal(SIGPIPE, SIG_IGN);
    Source source{argv[1], {}, false, nullptr};
    for (int i = 2; i < argc; ++i) {
        const std::string offer = argv[i];
        const auto equals = offer.rfind('=');
        std::ifstream file(offer.substr(equals + 1), std::ios::binary);
        if (equals == std::string::npos || !file) {
            return 2;
        }
        source.flavours[offer.substr(0, equals)] = {std::istreambuf_iterator<char>(file), {}};
    }
    nimbrook::WaylandConnection connection({}, std::cerr);
    source.connection = &connection;
    auto* manager = reinterpret_cast<wl_proxy*>(connection.dataControl());
    if (manager == nullptr || connection.seat() == nullptr) {
        return 3;
    }
    auto* proxy = reinterpret_cast<zwlr_data_control_source_v1*>(
        wl_proxy_marshal_flags(manager, ZWLR_DATA_CONTROL_MANAGER_V1_CREATE_DATA_SOURCE,
                               connection.dataControlInterfaces().source, 1, 0));
    static const zwlr_data_control_source_v1_listener listener{&onSend, &onCancelled};
    zwlr_data_control_source_v1_add_listener(proxy, &listener, &source);
    for (const auto& flavour : source.flavours) {
        zwlr_data_control_source_v1_offer(proxy, flavour.first.c_str());
    }
    auto* device = reinterpret_cast<zwlr_data_control_device_v1*>(wl_proxy_marshal_flags(
        manager, ZWLR_DATA_CONTROL_MANAGER_V1_GET_DATA_DEVICE,
        connection.dataControlInterfaces().device, 1, 0, nullptr, connection.seat()));
    zwlr_data_control_device_v1_set_selection(device, proxy);
    if (!connection.roundtrip()) {
        return 3;
    }
    while (!source.cancelled && connection.isConnected()) {
        pollfd readable{connection.fd(), POLLIN, 0};
        ::poll(&readable, 1, -1);
        connection.dispatch();
    }
    return 0;
}
