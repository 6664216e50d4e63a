#pragma once

#include <functional>

#include "platform/PasteRoute.h"
#include "platform/portal/PortalRemoteDesktop.h"

namespace nimbrook {

// Pasting through the RemoteDesktop portal (GNOME on Wayland). The portal tells nothing of
// other programs' windows: any window but the program's own counts as the remembered one,
// and the chord is the plain one, since the program it goes to is unknown.
class PortalPasteRoute final : public PasteRoute {
public:
    // `portal` must outlive the route; `ownWindowFocused` tells whether one of the program's
    // own windows has the keyboard focus, `heldInOwnWindows` whether the user holds a modifier
    // there: the desktop adds the keys it types to those the user holds.
    PortalPasteRoute(PortalRemoteDesktop& portal, std::function<bool()> ownWindowFocused,
                     std::function<bool()> heldInOwnWindows);

    std::optional<std::string> unavailableReason() const override {
        return portal_.missingReason();
    }
    void rememberFocusedWindow() override {}
    std::string rememberedProgram() const override { return {}; }
    void refocusRememberedWindow() override {}
    Focus focus() const override { return ownWindowFocused_() ? Focus::own : Focus::remembered; }
    bool modifiersHeld() const override { return heldInOwnWindows_(); }
    bool seesModifiersElsewhere() const override { return false; }
    void sendChord(const KeyChord& chord, SendDone done) override;

private:
    PortalRemoteDesktop& portal_;
    std::function<bool()> ownWindowFocused_;
    std::function<bool()> heldInOwnWindows_;
};

}  // namespace nimbrook
