#include "controller/PasteFlow.h"

#include <string>
#include <utility>

#include "controller/ClipboardViewModel.h"
#include "platform/Scheduler.h"

namespace nimbrook {

namespace {

constexpr std::string_view focusLost = "焦点已不在原窗口，没有发送按键";
constexpr std::string_view ownWindow = "焦点在萤川自己的窗口上，没有发送按键";
constexpr std::string_view modifiersStillHeld = "修饰键一直按着，没有发送按键";
constexpr std::string_view pictureNotReady = "图片还没有放到剪贴板上，没有发送按键";
constexpr std::string_view replaced = "被新的粘贴取代";

PasteRoute::SendResult notSent(std::string_view reason) {
    return {.sent = false, .reason = std::string(reason)};
}

}  // namespace

PasteFlow::PasteFlow(Services services) : services_(std::move(services)) {}

PasteFlow::~PasteFlow() = default;

void PasteFlow::rememberTarget() {
    services_.route.rememberFocusedWindow();
}

bool PasteFlow::focusIsOwn() const {
    return services_.route.focus() == PasteRoute::Focus::own;
}

void PasteFlow::pasteIntoRemembered(const ClipboardItem& item, Done done,
                                    std::function<void()> leave) {
    start(item, true, std::move(done), std::move(leave));
}

void PasteFlow::pasteIntoFocused(const ClipboardItem& item, Done done) {
    services_.route.rememberFocusedWindow();
    start(item, false, std::move(done), {});
}

void PasteFlow::start(const ClipboardItem& item, bool giveFocusBack, Done done,
                      std::function<void()> leave) {
    if (done_) {
        finish(notSent(replaced));
    }
    done_ = done ? std::move(done) : [](const PasteRoute::SendResult&) {};
    ++*current_;
    leave_ = std::move(leave);
    services_.viewModel.copyToPasteboard(item);
    waited_ = std::chrono::milliseconds{0};
    if (const auto reason = services_.route.unavailableReason()) {
        leavePanel();
        finish(notSent(*reason));
        return;
    }
    // The keys the user still holds from Shift+Return reach the panel only while it has the
    // focus, and would turn the chord into another one.
    stage_ =
        giveFocusBack && !services_.route.seesModifiersElsewhere() ? Stage::release : Stage::focus;
    if (stage_ == Stage::focus) {
        leavePanel();
        if (giveFocusBack) {
            services_.route.refocusRememberedWindow();
        }
    }
    poll();
    if (done_ && stage_ != Stage::sending) {
        poller_ = services_.scheduler.repeat(pollInterval, [this] {
            waited_ += pollInterval;
            poll();
        });
    }
}

void PasteFlow::leavePanel() {
    if (const auto leave = std::exchange(leave_, nullptr)) {
        leave();
    }
}

void PasteFlow::poll() {
    if (stage_ == Stage::release) {
        if (services_.route.modifiersHeld()) {
            if (waited_ >= modifierBound) {
                finish(notSent(modifiersStillHeld));
            }
            return;
        }
        stage_ = Stage::focus;
        waited_ = std::chrono::milliseconds{0};
        leavePanel();
        services_.route.refocusRememberedWindow();
    }
    const PasteRoute::Focus focus = services_.route.focus();
    if (stage_ == Stage::focus && focus == PasteRoute::Focus::remembered) {
        stage_ = Stage::modifiers;
        waited_ = std::chrono::milliseconds{0};
    }
    if (stage_ == Stage::focus) {
        if (waited_ >= focusBound) {
            finish(notSent(focus == PasteRoute::Focus::own ? ownWindow : focusLost));
        }
        return;
    }
    // The user may move the focus while still holding a key.
    if (focus != PasteRoute::Focus::remembered) {
        finish(notSent(focus == PasteRoute::Focus::own ? ownWindow : focusLost));
    } else if (!services_.route.modifiersHeld() && !services_.viewModel.isCopyInFlight()) {
        send();
    } else if (waited_ >= modifierBound) {
        // A picture read from a slow disk must not be pasted as whatever the clipboard held.
        finish(
            notSent(services_.viewModel.isCopyInFlight() ? pictureNotReady : modifiersStillHeld));
    }
}

void PasteFlow::send() {
    stage_ = Stage::sending;
    poller_.reset();
    const KeyChord chord = services_.chordFor(services_.route.rememberedProgram());
    services_.route.sendChord(chord, [this, paste = *current_, current = std::weak_ptr(current_)](
                                         PasteRoute::SendResult result) {
        const auto alive = current.lock();
        if (alive && *alive == paste && done_) {
            finish(result);
        }
    });
}

void PasteFlow::finish(const PasteRoute::SendResult& result) {
    poller_.reset();
    leave_ = nullptr;
    if (!result.sent) {
        services_.viewModel.showToast(std::string(notPastedToast));
    }
    // Taken first: the completion may start the next paste.
    const Done done = std::exchange(done_, nullptr);
    done(result);
}

}  // namespace nimbrook
