#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct xcb_connection_t;

namespace nimbrook {

// What the window manager says about the windows of the screen that $DISPLAY names: the
// active one (root's _NET_ACTIVE_WINDOW), whose process a window belongs to (_NET_WM_PID) and
// its program (WM_CLASS). Every answer is a round trip, asked afresh.
class X11Windows final {
public:
    // `connection` must outlive this object.
    explicit X11Windows(xcb_connection_t& connection);

    std::uint32_t root() const { return root_; }
    std::uint32_t activeWindowAtom() const { return activeWindowAtom_; }
    // Nullopt when there is no window manager that says, or no window is active.
    std::optional<std::uint32_t> activeWindow() const;
    // Whether the window belongs to this process.
    bool isOwnWindow(std::uint32_t window) const;
    // The class part of WM_CLASS, repaired to UTF-8; nullopt when it has none.
    std::optional<std::string> windowClass(std::uint32_t window) const;

private:
    xcb_connection_t& connection_;
    std::uint32_t root_ = 0;
    std::uint32_t activeWindowAtom_ = 0;
    std::uint32_t pidAtom_ = 0;
};

}  // namespace nimbrook
