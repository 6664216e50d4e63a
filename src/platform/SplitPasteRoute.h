#pragma once

#include <functional>
#include <memory>

#include "platform/PasteRoute.h"

namespace nimbrook {

// Pastes through one of two routes, chosen afresh each time a window is remembered: the first
// where `firstRemembers` says it found the window to paste into, else the second. On GNOME's
// Wayland session the program is a client of Xwayland, whose XTEST reaches the X11 programs
// only and asks the user nothing; the RemoteDesktop portal types into the Wayland programs.
class SplitPasteRoute final : public PasteRoute {
public:
    SplitPasteRoute(std::unique_ptr<PasteRoute> first, std::unique_ptr<PasteRoute> second,
                    std::function<bool()> firstRemembers);

    std::optional<std::string> unavailableReason() const override;
    void rememberFocusedWindow() override;
    std::string rememberedProgram() const override;
    void refocusRememberedWindow() override;
    Focus focus() const override;
    bool modifiersHeld() const override;
    bool seesModifiersElsewhere() const override;
    void sendChord(const KeyChord& chord, SendDone done) override;

private:
    std::unique_ptr<PasteRoute> first_;
    std::unique_ptr<PasteRoute> second_;
    std::function<bool()> firstRemembers_;
    PasteRoute* chosen_;
};

}  // namespace nimbrook
