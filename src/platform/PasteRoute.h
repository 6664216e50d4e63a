#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/KeyChord.h"

namespace nimbrook {

// One desktop's way of putting a paste chord into the window of another program. Every call
// is made on the panel's thread and returns quickly; what may take long (a portal session, a
// compositor's round trips) happens behind sendChord, which answers later.
class PasteRoute {
public:
    // Where the keyboard focus is now, compared with the remembered window.
    enum class Focus {
        // The remembered window has it.
        remembered,
        // Another program's window has it, or none does.
        elsewhere,
        // One of this program's own windows has it (the panel, the settings window).
        own,
    };

    struct SendResult {
        bool sent = false;
        // Why nothing was sent, one line for the user (Simplified Chinese); empty when sent.
        std::string reason;
    };
    using SendDone = std::function<void(SendResult)>;

    virtual ~PasteRoute() = default;

    // Nullopt when this desktop lets the program send keys; else why not, one line for the
    // user (Simplified Chinese), such as a missing grant.
    virtual std::optional<std::string> unavailableReason() const = 0;

    // Notes the window that has the focus now as the one to paste into; called before the
    // panel opens, and by the command line for the window focused at that moment. Forgets
    // the window remembered before.
    virtual void rememberFocusedWindow() = 0;
    // The remembered window's program as the desktop names it (X11 WM_CLASS class, Wayland
    // app id), which picks the chord; empty when none is remembered or it has no name.
    virtual std::string rememberedProgram() const = 0;
    // Asks the desktop to raise and focus the remembered window; nothing when none is
    // remembered. The focus may move only later: ask focus() until it has.
    virtual void refocusRememberedWindow() = 0;
    // A route that cannot see other programs' windows answers remembered whenever none of
    // the program's own windows has the focus.
    virtual Focus focus() const = 0;
    // Whether the user holds Control, Shift, Alt or Super now; false when the route cannot
    // tell.
    virtual bool modifiersHeld() const = 0;
    // Whether modifiersHeld() still knows once none of the program's own windows has the
    // focus. Where it does not (a Wayland compositor tells only the focused program), a paste
    // from the panel waits for the keys to be let go before the panel gives up the focus.
    virtual bool seesModifiersElsewhere() const { return true; }

    // Presses the chord's modifiers, taps its key and releases them all, as key codes of the
    // keyboard map in force, into the window that has the focus. `done` runs exactly once on
    // the panel's thread (possibly before this returns), also when nothing could be sent.
    virtual void sendChord(const KeyChord& chord, SendDone done) = 0;
};

}  // namespace nimbrook
