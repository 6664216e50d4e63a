#pragma once

#include "platform/ActiveApplication.h"
#include "platform/x11/X11Windows.h"
#include "platform/xdg/DesktopEntryIndex.h"

struct xcb_connection_t;

namespace nimbrook {

// The window in front as the window manager announces it (root's _NET_ACTIVE_WINDOW),
// named by its desktop entry, else by its WM_CLASS class. A window of this process names
// nothing: what is copied while the panel or the settings window is in front was copied by
// a program without a window (xclip, a script), not by this one.
class X11ActiveApplication final : public ActiveApplication {
public:
    // `connection` is Qt's own X connection and must outlive this object.
    X11ActiveApplication(xcb_connection_t& connection, DesktopEntryIndex index);

    std::optional<std::string> frontmostName() const override;

private:
    X11Windows windows_;
    // Looking up a name fills the index's cache.
    mutable DesktopEntryIndex index_;
};

}  // namespace nimbrook
