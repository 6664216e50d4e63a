#include "desktop/DesktopRoute.h"

#include <cstdlib>
#include <iostream>
#include <sstream>

#include "platform/wayland/WaylandConnection.h"

namespace nimbrook {
namespace {

std::string environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

std::string platformOf(DesktopRoute route, const DesktopFacts& facts) {
    switch (route) {
        case DesktopRoute::wayland:
            return "wayland";
        case DesktopRoute::x11:
            return "xcb";
        case DesktopRoute::none:
            break;
    }
    return facts.hasWaylandDisplay ? "wayland" : facts.hasX11Display ? "xcb" : std::string();
}

DesktopRoute detected(const DesktopFacts& facts) {
    if (facts.hasWaylandDisplay && facts.hasDataControl && facts.hasDataControl()) {
        return DesktopRoute::wayland;
    }
    return facts.hasX11Display ? DesktopRoute::x11 : DesktopRoute::none;
}

}  // namespace

DesktopRouting::Choice DesktopRouting::choose(const DesktopFacts& facts) {
    Choice choice;
    const std::string& requested = facts.requested;
    if (requested == "wayland" || requested == "x11") {
        const bool wayland = requested == "wayland";
        if (wayland ? facts.hasWaylandDisplay : facts.hasX11Display) {
            choice.route = wayland ? DesktopRoute::wayland : DesktopRoute::x11;
        } else {
            choice.note = "nimbrook: NIMBROOK_ROUTE=" + requested + " but " +
                          (wayland ? "WAYLAND_DISPLAY" : "DISPLAY") + " is not set";
        }
    } else if (requested != "none") {
        if (!requested.empty() && requested != "auto") {
            choice.note = "nimbrook: unknown NIMBROOK_ROUTE=" + requested +
                          " (wayland, x11, none or auto); detecting the desktop";
        }
        choice.route = detected(facts);
    }
    choice.qtPlatform = platformOf(choice.route, facts);
    return choice;
}

DesktopRoute DesktopRouting::applyToThisProcess() {
    const DesktopFacts facts{
        .requested = environmentValue("NIMBROOK_ROUTE"),
        .hasWaylandDisplay = !environmentValue("WAYLAND_DISPLAY").empty(),
        .hasX11Display = !environmentValue("DISPLAY").empty(),
        .hasDataControl =
            [] {
                std::ostringstream ignored;
                const WaylandConnection probe({}, ignored);
                return probe.isConnected() && probe.dataControl() != nullptr &&
                       probe.seat() != nullptr;
            },
    };
    const Choice choice = choose(facts);
    if (!choice.note.empty()) {
        std::cerr << choice.note << '\n';
    }
    // Only the chosen platform speaks to the clipboard the route reads; a platform the user
    // asked for is kept where nothing is read anyway.
    if (!choice.qtPlatform.empty() &&
        (choice.route != DesktopRoute::none || environmentValue("QT_QPA_PLATFORM").empty())) {
        ::setenv("QT_QPA_PLATFORM", choice.qtPlatform.c_str(), 1);
    }
    return choice.route;
}

}  // namespace nimbrook
