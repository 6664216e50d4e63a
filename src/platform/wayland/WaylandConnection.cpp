#include "platform/wayland/WaylandConnection.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ostream>

#include <ext-data-control-v1-client-protocol.h>
#include <fake-input-client-protocol.h>
#include <poll.h>
#include <virtual-keyboard-unstable-v1-client-protocol.h>
#include <wayland-client.h>
#include <wlr-data-control-unstable-v1-client-protocol.h>
#include <wlr-foreign-toplevel-management-unstable-v1-client-protocol.h>

namespace nimbrook {
namespace {

// The versions whose events the listeners handle; a newer compositor speaks these too.
constexpr std::uint32_t seatVersion = 1;
constexpr std::uint32_t dataControlVersion = 1;
constexpr std::uint32_t foreignToplevelVersion = 3;
constexpr std::uint32_t virtualKeyboardVersion = 1;
// Keys arrived in version 4.
constexpr std::uint32_t fakeInputVersion = 4;

static_assert(EXT_DATA_CONTROL_MANAGER_V1_GET_DATA_DEVICE ==
              ZWLR_DATA_CONTROL_MANAGER_V1_GET_DATA_DEVICE);
static_assert(EXT_DATA_CONTROL_MANAGER_V1_CREATE_DATA_SOURCE ==
              ZWLR_DATA_CONTROL_MANAGER_V1_CREATE_DATA_SOURCE);
static_assert(EXT_DATA_CONTROL_DEVICE_V1_SET_SELECTION ==
              ZWLR_DATA_CONTROL_DEVICE_V1_SET_SELECTION);
static_assert(EXT_DATA_CONTROL_SOURCE_V1_OFFER == ZWLR_DATA_CONTROL_SOURCE_V1_OFFER);
static_assert(EXT_DATA_CONTROL_OFFER_V1_RECEIVE == ZWLR_DATA_CONTROL_OFFER_V1_RECEIVE);
static_assert(EXT_DATA_CONTROL_DEVICE_V1_DESTROY == ZWLR_DATA_CONTROL_DEVICE_V1_DESTROY);
static_assert(EXT_DATA_CONTROL_SOURCE_V1_DESTROY == ZWLR_DATA_CONTROL_SOURCE_V1_DESTROY);
static_assert(EXT_DATA_CONTROL_OFFER_V1_DESTROY == ZWLR_DATA_CONTROL_OFFER_V1_DESTROY);
static_assert(EXT_DATA_CONTROL_MANAGER_V1_DESTROY == ZWLR_DATA_CONTROL_MANAGER_V1_DESTROY);

template <typename T>
T* bind(wl_registry* registry, std::uint32_t name, const wl_interface& interface,
        std::uint32_t offered, std::uint32_t wanted) {
    return static_cast<T*>(wl_registry_bind(registry, name, &interface, std::min(offered, wanted)));
}

}  // namespace

WaylandConnection::WaylandConnection(const std::string& display, std::ostream& log) : log_(log) {
    display_ = wl_display_connect(display.empty() ? nullptr : display.c_str());
    if (display_ == nullptr) {
        return;
    }
    static const wl_registry_listener listener{&WaylandConnection::onGlobal,
                                               &WaylandConnection::onGlobalRemove};
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &listener, this);
    roundtrip();
    // The seat says what devices it has in answer to being bound.
    if (seat_ != nullptr) {
        roundtrip();
    }
}

WaylandConnection::~WaylandConnection() {
    if (display_ == nullptr) {
        return;
    }
    if (virtualKeyboards_ != nullptr) {
        zwp_virtual_keyboard_manager_v1_destroy(virtualKeyboards_);
    }
    if (fakeInput_ != nullptr) {
        org_kde_kwin_fake_input_destroy(fakeInput_);
    }
    if (foreignToplevels_ != nullptr) {
        zwlr_foreign_toplevel_manager_v1_destroy(foreignToplevels_);
    }
    if (dataControl_ != nullptr) {
        zwlr_data_control_manager_v1_destroy(dataControl_);
    }
    if (seat_ != nullptr) {
        wl_seat_destroy(seat_);
    }
    wl_registry_destroy(registry_);
    wl_display_disconnect(display_);
}

std::string WaylandConnection::dataControlProtocol() const {
    if (dataControl_ == nullptr) {
        return {};
    }
    auto* manager = reinterpret_cast<wl_proxy*>(dataControl_);
    return std::string(wl_proxy_get_class(manager)) + " v" +
           std::to_string(wl_proxy_get_version(manager));
}

void WaylandConnection::onGlobal(void* data, wl_registry* registry, std::uint32_t name,
                                 const char* interface, std::uint32_t version) {
    auto& self = *static_cast<WaylandConnection*>(data);
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && self.seat_ == nullptr) {
        self.bindSeat(registry, name, version);
    } else if (std::strcmp(interface, ext_data_control_manager_v1_interface.name) == 0) {
        if (self.dataControl_ != nullptr) {
            zwlr_data_control_manager_v1_destroy(self.dataControl_);
        }
        self.dataControl_ = bind<zwlr_data_control_manager_v1>(
            registry, name, ext_data_control_manager_v1_interface, version, dataControlVersion);
        self.dataControlIsExt_ = true;
        self.interfaces_ = {&ext_data_control_device_v1_interface,
                            &ext_data_control_source_v1_interface};
    } else if (std::strcmp(interface, zwlr_data_control_manager_v1_interface.name) == 0 &&
               !self.dataControlIsExt_ && self.dataControl_ == nullptr) {
        self.dataControl_ = bind<zwlr_data_control_manager_v1>(
            registry, name, zwlr_data_control_manager_v1_interface, version, dataControlVersion);
        self.interfaces_ = {&zwlr_data_control_device_v1_interface,
                            &zwlr_data_control_source_v1_interface};
    } else if (std::strcmp(interface, zwlr_foreign_toplevel_manager_v1_interface.name) == 0 &&
               self.foreignToplevels_ == nullptr) {
        self.foreignToplevels_ = bind<zwlr_foreign_toplevel_manager_v1>(
            registry, name, zwlr_foreign_toplevel_manager_v1_interface, version,
            foreignToplevelVersion);
    } else {
        self.bindInput(registry, name, interface, version);
    }
}

void WaylandConnection::bindSeat(wl_registry* registry, std::uint32_t name, std::uint32_t version) {
    static const wl_seat_listener listener{&WaylandConnection::onSeatCapabilities,
                                           &WaylandConnection::onSeatName};
    seat_ = bind<wl_seat>(registry, name, wl_seat_interface, version, seatVersion);
    wl_seat_add_listener(seat_, &listener, this);
}

void WaylandConnection::bindInput(wl_registry* registry, std::uint32_t name, const char* interface,
                                  std::uint32_t version) {
    if (std::strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0 &&
        virtualKeyboards_ == nullptr) {
        virtualKeyboards_ = bind<zwp_virtual_keyboard_manager_v1>(
            registry, name, zwp_virtual_keyboard_manager_v1_interface, version,
            virtualKeyboardVersion);
    } else if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 &&
               version >= fakeInputVersion && fakeInput_ == nullptr) {
        fakeInput_ = bind<org_kde_kwin_fake_input>(
            registry, name, org_kde_kwin_fake_input_interface, version, fakeInputVersion);
    }
}

void WaylandConnection::onSeatCapabilities(void* data, wl_seat*, std::uint32_t capabilities) {
    static_cast<WaylandConnection*>(data)->seatHasKeyboard_ =
        (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
}

void WaylandConnection::onSeatName(void*, wl_seat*, const char*) {}

// Seats and managers of a desktop do not come and go while it runs.
void WaylandConnection::onGlobalRemove(void*, wl_registry*, std::uint32_t) {}

int WaylandConnection::fd() const {
    return isConnected() ? wl_display_get_fd(display_) : -1;
}

bool WaylandConnection::dispatch() {
    if (!isConnected()) {
        return false;
    }
    while (wl_display_prepare_read(display_) != 0) {
        if (!checked(wl_display_dispatch_pending(display_))) {
            return false;
        }
    }
    pollfd readable{wl_display_get_fd(display_), POLLIN, 0};
    if (::poll(&readable, 1, 0) > 0) {
        if (!checked(wl_display_read_events(display_))) {
            return false;
        }
    } else {
        wl_display_cancel_read(display_);
    }
    return checked(wl_display_dispatch_pending(display_)) && flush();
}

bool WaylandConnection::flush() {
    // A full socket buffer (EAGAIN) only delays the requests; the next flush sends them.
    return isConnected() && (wl_display_flush(display_) >= 0 || errno == EAGAIN || checked(-1));
}

bool WaylandConnection::roundtrip() {
    return isConnected() && checked(wl_display_roundtrip(display_));
}

bool WaylandConnection::checked(int result) {
    if (result >= 0 && wl_display_get_error(display_) == 0) {
        return true;
    }
    if (!lost_) {
        lost_ = true;
        log_ << "nimbrook: the connection to the Wayland compositor is lost ("
             << std::strerror(wl_display_get_error(display_))
             << "); the clipboard is no longer recorded\n"
             << std::flush;
    }
    return false;
}

}  // namespace nimbrook
