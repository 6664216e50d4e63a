#pragma once

#include <string>
#include <utility>

#include "platform/PasteRoute.h"

namespace nimbrook {

// For desktops where no program may send keys to another: everything is only copied.
class NoPasteRoute final : public PasteRoute {
public:
    // `reason` says why, for the user.
    explicit NoPasteRoute(std::string reason) : reason_(std::move(reason)) {}

    std::optional<std::string> unavailableReason() const override { return reason_; }
    void rememberFocusedWindow() override {}
    std::string rememberedProgram() const override { return {}; }
    void refocusRememberedWindow() override {}
    Focus focus() const override { return Focus::elsewhere; }
    bool modifiersHeld() const override { return false; }
    void sendChord(const KeyChord& /*chord*/, SendDone done) override {
        done({.sent = false, .reason = reason_});
    }

private:
    std::string reason_;
};

}  // namespace nimbrook
