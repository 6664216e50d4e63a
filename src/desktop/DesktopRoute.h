#pragma once

#include <functional>
#include <string>

namespace nimbrook {

// How the program reaches the clipboard of the desktop it runs on.
enum class DesktopRoute {
    // A native Wayland client; the clipboard through the data-control protocol.
    wayland,
    // An X11 client (Xwayland under a compositor without data-control, such as mutter).
    x11,
    // Nothing can read the clipboard here: the history is shown, nothing is recorded.
    none,
};

// What the choice of route depends on.
struct DesktopFacts {
    // $NIMBROOK_ROUTE: "wayland", "x11", "none", or empty or "auto" to detect.
    std::string requested;
    bool hasWaylandDisplay = false;
    bool hasX11Display = false;
    // Whether the Wayland compositor offers a data-control manager; asked only when needed.
    std::function<bool()> hasDataControl;
};

// The one place where the route is chosen, before the toolkit picks a platform by itself.
class DesktopRouting final {
public:
    struct Choice {
        DesktopRoute route = DesktopRoute::none;
        // The toolkit platform the route needs ("wayland", "xcb"); empty leaves the toolkit's own.
        std::string qtPlatform;
        // A line for standard error when the request could not be followed, else empty.
        std::string note;
    };

    // Data-control on Wayland first, then X11, else none. A forced route whose display is
    // missing becomes none; an unknown request is detected as if absent.
    static Choice choose(const DesktopFacts& facts);
    // Reads the environment, asks the compositor if needed and sets QT_QPA_PLATFORM.
    // Must run before the application object exists.
    static DesktopRoute applyToThisProcess();
};

}  // namespace nimbrook
