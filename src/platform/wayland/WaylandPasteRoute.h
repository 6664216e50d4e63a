#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "platform/PasteRoute.h"
#include "platform/Scheduler.h"
#include "platform/wayland/ForeignToplevelApplication.h"

namespace nimbrook {

// Pasting on a Wayland compositor that lets a program type (a virtual keyboard on wlroots,
// fake input on KWin). The remembered window is the one the compositor's window list shows
// activated: keys go out only while that same window (not merely one of the same program) is
// still activated. A compositor that lists no windows (KWin) can only tell whether one of the
// program's own windows has the focus; there any other window counts as the remembered one,
// and the chord is the plain one, since the program it goes to is unknown.
class WaylandPasteRoute final : public PasteRoute {
public:
    // Whether one of the program's own windows has the focus, and whether the user holds a
    // modifier there (what the compositor tells the focused program alone).
    struct OwnWindows {
        std::function<bool()> focused;
        std::function<bool()> modifiersHeld;
    };

    // The route of this compositor: its virtual keyboard (wlroots), else KWin's fake input
    // where granted; null when it offers neither. `connection`, `windows` and `scheduler`
    // must outlive the route.
    static std::unique_ptr<WaylandPasteRoute> forCompositor(WaylandConnection& connection,
                                                            ForeignToplevelApplication* windows,
                                                            Scheduler& scheduler,
                                                            OwnWindows ownWindows);

    // Types the keysyms (modifiers first) into the focused window; false when nothing went.
    using Typist = std::function<bool(std::span<const std::uint32_t> keysyms)>;

    // `windows` (null: none listed) must outlive this object. A typist whose keys carry their
    // own modifier state (a virtual keyboard's) leaves `ownWindows.modifiersHeld` empty: the
    // user's held keys do not change them.
    WaylandPasteRoute(ForeignToplevelApplication* windows, OwnWindows ownWindows, Typist typist,
                      std::string description = {});

    // The protocol it types through, for the program's log.
    const std::string& description() const { return description_; }

    std::optional<std::string> unavailableReason() const override { return std::nullopt; }
    void rememberFocusedWindow() override;
    std::string rememberedProgram() const override;
    void refocusRememberedWindow() override;
    Focus focus() const override;
    // A program without the keyboard focus is told nothing of the keys held on Wayland: known
    // only while the panel has the focus, and where the typist's keys carry their own modifiers
    // (a wlroots virtual keyboard) the user's do not matter.
    bool modifiersHeld() const override;
    bool seesModifiersElsewhere() const override { return !ownWindows_.modifiersHeld; }
    void sendChord(const KeyChord& chord, SendDone done) override;

private:
    ForeignToplevelApplication* windows_;
    OwnWindows ownWindows_;
    Typist typist_;
    std::optional<ToplevelWindow> remembered_;
    std::string description_;
};

}  // namespace nimbrook
