#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/PasteRoute.h"
#include "support/ManualClock.h"

namespace nimbrook {

// A desktop whose focus and keyboard follow a timeline on a ManualClock, counted from the
// moment the flow asks to refocus (or remembers, when it never refocuses): the remembered
// window has the focus from `focusBackAt` until `focusLeavesAt`, the modifiers are held until
// `modifiersReleasedAt`. Where the modifiers are seen only in the program's own windows, they
// count from the moment the window is remembered and are unknown (not held) once the flow has
// asked to refocus. Sent chords are recorded with the time they were sent.
class ScriptedPasteRoute final : public PasteRoute {
public:
    struct Timeline {
        std::optional<std::chrono::milliseconds> focusBackAt = std::chrono::milliseconds{0};
        std::optional<std::chrono::milliseconds> focusLeavesAt = std::nullopt;
        // Where the focus is while the remembered window does not have it.
        Focus otherwise = Focus::elsewhere;
        std::optional<std::chrono::milliseconds> modifiersReleasedAt = std::chrono::milliseconds{0};
        bool modifiersSeenOnlyInOwnWindows = false;
    };
    struct Sent {
        KeyChord chord;
        std::chrono::milliseconds at;
    };

    ScriptedPasteRoute(const ManualClock& clock, Timeline timeline, std::string program)
        : clock_(clock), timeline_(std::move(timeline)), program_(std::move(program)) {}

    std::optional<std::string> unavailableReason() const override { return unavailable_; }
    void rememberFocusedWindow() override {
        ++rememberCount_;
        origin_ = clock_.elapsed();
    }
    std::string rememberedProgram() const override { return program_; }
    void refocusRememberedWindow() override {
        ++refocusCount_;
        origin_ = clock_.elapsed();
    }
    Focus focus() const override {
        const auto now = clock_.elapsed() - origin_;
        const bool back = timeline_.focusBackAt && now >= *timeline_.focusBackAt &&
                          (!timeline_.focusLeavesAt || now < *timeline_.focusLeavesAt);
        return back ? Focus::remembered : timeline_.otherwise;
    }
    bool modifiersHeld() const override {
        if (timeline_.modifiersSeenOnlyInOwnWindows && refocusCount_ > 0) {
            return false;
        }
        return !timeline_.modifiersReleasedAt ||
               clock_.elapsed() - origin_ < *timeline_.modifiersReleasedAt;
    }
    bool seesModifiersElsewhere() const override {
        return !timeline_.modifiersSeenOnlyInOwnWindows;
    }
    void sendChord(const KeyChord& chord, SendDone done) override {
        sent_.push_back({chord, clock_.elapsed() - origin_});
        if (answersLater_) {
            pending_.push_back(std::move(done));
        } else {
            done(answer_);
        }
    }

    std::optional<std::string> unavailable_;
    SendResult answer_{.sent = true, .reason = {}};
    // Holds the answers in pending_ instead of giving them at once.
    bool answersLater_ = false;
    std::vector<SendDone> pending_;
    std::vector<Sent> sent_;
    int rememberCount_ = 0;
    int refocusCount_ = 0;

private:
    const ManualClock& clock_;
    Timeline timeline_;
    std::string program_;
    std::chrono::milliseconds origin_{0};
};

}  // namespace nimbrook
