#include "platform/x11/X11ActiveApplication.h"

namespace nimbrook {

X11ActiveApplication::X11ActiveApplication(xcb_connection_t& connection, DesktopEntryIndex index)
    : windows_(connection), index_(std::move(index)) {}

std::optional<std::string> X11ActiveApplication::frontmostName() const {
    const auto window = windows_.activeWindow();
    if (!window || windows_.isOwnWindow(*window)) {
        return std::nullopt;
    }
    auto className = windows_.windowClass(*window);
    if (!className) {
        return std::nullopt;
    }
    if (auto name = index_.nameForWindowClass(*className)) {
        return name;
    }
    return className;
}

}  // namespace nimbrook
