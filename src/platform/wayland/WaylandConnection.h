#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

struct wl_display;
struct wl_interface;
struct wl_registry;
struct wl_seat;
struct org_kde_kwin_fake_input;
struct zwlr_data_control_manager_v1;
struct zwlr_foreign_toplevel_manager_v1;
struct zwp_virtual_keyboard_manager_v1;

namespace nimbrook {

// The interfaces of the data-control kind the compositor offers. The ext interfaces mirror
// the wlr ones message for message, so every call is made through the wlr functions; only
// the objects a request creates must be told their real interface.
struct DataControlInterfaces {
    const wl_interface* device = nullptr;
    const wl_interface* source = nullptr;
};

// A connection of the program's own to the compositor (never the toolkit's), with the
// globals a clipboard history needs. A failed or lost connection stays failed: everything
// built on it then reports nothing rather than stale or wrong data.
class WaylandConnection final {
public:
    // Connects to `display` (a socket name or an absolute path; empty for $WAYLAND_DISPLAY)
    // and learns the globals. A lost connection is reported once, as one line on `log`.
    WaylandConnection(const std::string& display, std::ostream& log);
    ~WaylandConnection();
    WaylandConnection(const WaylandConnection&) = delete;
    WaylandConnection& operator=(const WaylandConnection&) = delete;

    bool isConnected() const { return display_ != nullptr && !lost_; }
    // The socket to watch for readability; -1 when not connected.
    int fd() const;
    // Handles whatever the compositor has sent, without blocking. False once lost.
    bool dispatch();
    // Sends the queued requests. False once lost.
    bool flush();
    // Sends the queued requests and handles the compositor's answers to them. False once lost.
    bool roundtrip();

    wl_seat* seat() const { return seat_; }
    // Whether the seat has a keyboard now (a headless seat may have none).
    bool seatHasKeyboard() const { return seatHasKeyboard_; }
    // Null when the compositor offers no data-control manager (ext is preferred).
    zwlr_data_control_manager_v1* dataControl() const { return dataControl_; }
    const DataControlInterfaces& dataControlInterfaces() const { return interfaces_; }
    // The bound data-control manager's interface and version ("ext_data_control_manager_v1
    // v1"); empty without one.
    std::string dataControlProtocol() const;
    // Null when the compositor does not list its windows.
    zwlr_foreign_toplevel_manager_v1* foreignToplevels() const { return foreignToplevels_; }
    // Null when the compositor lets no program type (wlroots compositors do).
    zwp_virtual_keyboard_manager_v1* virtualKeyboards() const { return virtualKeyboards_; }
    // Null unless KWin granted this program its fake input (through its desktop file).
    org_kde_kwin_fake_input* fakeInput() const { return fakeInput_; }

private:
    static void onGlobal(void* data, wl_registry* registry, std::uint32_t name,
                         const char* interface, std::uint32_t version);
    static void onGlobalRemove(void* data, wl_registry* registry, std::uint32_t name);
    static void onSeatCapabilities(void* data, wl_seat* seat, std::uint32_t capabilities);
    static void onSeatName(void* data, wl_seat* seat, const char* name);
    void bindSeat(wl_registry* registry, std::uint32_t name, std::uint32_t version);
    void bindInput(wl_registry* registry, std::uint32_t name, const char* interface,
                   std::uint32_t version);
    bool checked(int result);

    std::ostream& log_;
    wl_display* display_ = nullptr;
    wl_registry* registry_ = nullptr;
    wl_seat* seat_ = nullptr;
    zwlr_data_control_manager_v1* dataControl_ = nullptr;
    bool dataControlIsExt_ = false;
    DataControlInterfaces interfaces_;
    zwlr_foreign_toplevel_manager_v1* foreignToplevels_ = nullptr;
    zwp_virtual_keyboard_manager_v1* virtualKeyboards_ = nullptr;
    org_kde_kwin_fake_input* fakeInput_ = nullptr;
    bool seatHasKeyboard_ = false;
    bool lost_ = false;
};

}  // namespace nimbrook
