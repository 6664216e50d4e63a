#include <string>

#include <gtest/gtest.h>

#include "desktop/DesktopRoute.h"

namespace nimbrook {
namespace {

// What the desktop offers, and the choice expected of it.
struct RouteCase {
    const char* tag;
    std::string requested;
    bool wayland, dataControl, x11;
    DesktopRoute route;
    std::string platform;
    bool noted;
};

using enum DesktopRoute;

const RouteCase routeCases[] = {
    {"wlroots or KWin", "", true, true, true, wayland, "wayland", false},
    {"mutter, through Xwayland", "auto", true, false, true, x11, "xcb", false},
    {"plain X11", "", false, false, true, x11, "xcb", false},
    {"Wayland, nothing readable", "", true, false, false, none, "wayland", false},
    {"no desktop at all", "", false, false, false, none, "", false},
    {"forced X11 under sway", "x11", true, true, true, x11, "xcb", false},
    {"forced Wayland under mutter", "wayland", true, false, true, wayland, "wayland", false},
    {"forced Wayland without a compositor", "wayland", false, false, true, none, "xcb", true},
    {"forced none", "none", true, true, true, none, "wayland", false},
    {"unknown request detects", "wl", false, false, true, x11, "xcb", true},
};

TEST(DesktopRouteTest, choosesOneRoute) {
    for (const RouteCase& c : routeCases) {
        bool asked = false;
        const auto choice = DesktopRouting::choose({c.requested, c.wayland, c.x11, [&] {
                                                        asked = true;
                                                        return c.dataControl;
                                                    }});
        EXPECT_EQ(choice.route, c.route) << c.tag;
        EXPECT_EQ(choice.qtPlatform, c.platform) << c.tag;
        EXPECT_EQ(!choice.note.empty(), c.noted) << c.tag;
        // Connecting to the compositor is not free: only detection on Wayland asks.
        EXPECT_EQ(asked, c.wayland && (c.requested.empty() || c.requested == "auto")) << c.tag;
    }
}

}  // namespace
}  // namespace nimbrook
