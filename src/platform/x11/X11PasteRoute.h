#pragma once

#include <cstdint>

#include "platform/PasteRoute.h"
#include "platform/Scheduler.h"
#include "platform/x11/X11KeyboardMapping.h"
#include "platform/x11/X11SpareKey.h"
#include "platform/x11/X11Windows.h"

struct xcb_connection_t;

namespace nimbrook {

// Pastes on X11 (and into X11 programs under Xwayland): the window to paste into is the one
// the window manager calls active, it is given the focus back with a _NET_ACTIVE_WINDOW
// request, and the chord is typed through the XTEST extension with the key codes of the
// keyboard map in force, so a German or Dvorak layout gets Ctrl+V and not another letter. A
// key that the group in force lacks (V on a Russian layout) is typed on a spare key bound to
// it for the moment: the key at V's place reads as a Cyrillic letter, which pastes nothing,
// and only some programs (Qt, xterm) look for V in the map's other groups themselves.
class X11PasteRoute final : public PasteRoute {
public:
    // `connection` and `scheduler` must outlive this object; every call is made on the thread
    // that uses the connection.
    X11PasteRoute(xcb_connection_t& connection, Scheduler& scheduler);

    std::optional<std::string> unavailableReason() const override;
    void rememberFocusedWindow() override;
    std::string rememberedProgram() const override;
    // Whether an X11 window was active when the focus was last remembered.
    bool remembersWindow() const { return remembered_ != 0; }
    void refocusRememberedWindow() override;
    Focus focus() const override;
    bool modifiersHeld() const override;
    void sendChord(const KeyChord& chord, SendDone done) override;

private:
    // Whether the X server's input focus is in `window` or one of its children: the window
    // manager announces the active window a moment before the server moves the focus.
    bool holdsInputFocus(std::uint32_t window) const;
    // The key that types `keysym` in the group in force, bound to a spare key where no key
    // does; 0 when neither can be had.
    std::uint8_t chordKeycode(const X11KeyboardMapping& mapping, std::uint32_t keysym);
    void fakeKey(std::uint8_t type, std::uint8_t keycode);

    xcb_connection_t& connection_;
    X11Windows windows_;
    X11SpareKey spareKey_;
    bool hasXTest_ = false;
    std::uint32_t remembered_ = 0;
    std::string program_;
};

}  // namespace nimbrook
