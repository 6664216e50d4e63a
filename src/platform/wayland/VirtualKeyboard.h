#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/Scheduler.h"

struct zwp_virtual_keyboard_v1;

namespace nimbrook {

class WaylandConnection;
class XkbKeymap;

// Types on the seat of a wlroots compositor (sway, Hyprland, labwc, Wayfire, river) through
// a virtual keyboard that carries the seat's own keyboard map, so key codes mean what they
// mean on the user's keyboard; where that map lacks a chord's key (Latin V on a Russian
// layout), the device carries a US map instead, which the compositor hands to the focused
// program with the keys.
class VirtualKeyboard final {
public:
    // `connection` and `scheduler` must outlive this object. The device is kept for
    // `lingering` after the last key: programs under Xwayland read a chord with the wrong map
    // when the device that sent it is already gone.
    VirtualKeyboard(WaylandConnection& connection, Scheduler& scheduler,
                    std::chrono::milliseconds lingering = std::chrono::seconds(2));
    ~VirtualKeyboard();
    VirtualKeyboard(const VirtualKeyboard&) = delete;
    VirtualKeyboard& operator=(const VirtualKeyboard&) = delete;

    // Whether the compositor lets programs type.
    static bool isOffered(const WaylandConnection& connection);
    // Presses the keys of `keysyms` in order, then lets go of them in reverse, and waits
    // until the compositor has taken them. False, with nothing sent, when a keysym has a key
    // neither on the map in force nor on a US map, or the compositor cannot be reached.
    bool sendChord(std::span<const std::uint32_t> keysyms);

private:
    bool upload(const XkbKeymap& keymap);
    void key(const XkbKeymap& keymap, std::uint32_t code, bool pressed);
    void release();

    WaylandConnection& connection_;
    Scheduler& scheduler_;
    std::chrono::milliseconds lingering_;
    zwp_virtual_keyboard_v1* device_ = nullptr;
    std::unique_ptr<TaskHandle> releaseTask_;
    std::vector<std::uint32_t> held_;
    std::uint32_t layout_ = 0;
};

}  // namespace nimbrook
