#pragma once

#include <chrono>
#include <cstdint>
#include <memory>

#include "platform/Scheduler.h"
#include "platform/x11/X11KeyboardMapping.h"

struct xcb_connection_t;

namespace nimbrook {

// A key code that no key of the map in force uses, bound for a moment to a keysym the map
// lacks in the group in force (a Russian map has no Latin V), so that XTEST can type it.
// Every program reads the key with the changed map: the server announces the change before
// the key, and each program fetches the map when it reads that announcement, which may be a
// while after the key was sent. The binding is therefore held for `hold` after its last use
// and undone then, when this object goes, or at once by restore().
class X11SpareKey final {
public:
    // `connection` and `scheduler` must outlive this object.
    X11SpareKey(xcb_connection_t& connection, Scheduler& scheduler,
                std::chrono::milliseconds hold = std::chrono::seconds(2));
    ~X11SpareKey();
    X11SpareKey(const X11SpareKey&) = delete;
    X11SpareKey& operator=(const X11SpareKey&) = delete;

    // Whether a key is bound to `keysym` now: that key is then the one to type, since the map
    // read back shows it as an ordinary key that is soon to go.
    bool isBoundTo(std::uint32_t keysym) const { return keycode_ != 0 && keysym_ == keysym; }
    // The key code bound to `keysym` from now until `hold` has passed; the binding of another
    // keysym is undone first. 0 when `mapping` (the map in force) has no spare key or the
    // server refuses the change.
    std::uint8_t bind(const X11KeyboardMapping& mapping, std::uint32_t keysym);
    // Gives the key back its empty map, unless the map was replaced meanwhile (the user
    // switched layouts), which is then left alone.
    void restore();

private:
    xcb_connection_t& connection_;
    Scheduler& scheduler_;
    std::chrono::milliseconds hold_;
    std::uint8_t keycode_ = 0;
    std::uint8_t width_ = 0;
    std::uint32_t keysym_ = 0;
    std::unique_ptr<TaskHandle> restoreTask_;
};

}  // namespace nimbrook
