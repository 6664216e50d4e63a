#include "platform/SplitPasteRoute.h"

#include <utility>

namespace nimbrook {

SplitPasteRoute::SplitPasteRoute(std::unique_ptr<PasteRoute> first,
                                 std::unique_ptr<PasteRoute> second,
                                 std::function<bool()> firstRemembers)
    : first_(std::move(first)),
      second_(std::move(second)),
      firstRemembers_(std::move(firstRemembers)),
      chosen_(second_.get()) {}

std::optional<std::string> SplitPasteRoute::unavailableReason() const {
    return chosen_->unavailableReason();
}

void SplitPasteRoute::rememberFocusedWindow() {
    first_->rememberFocusedWindow();
    second_->rememberFocusedWindow();
    chosen_ = firstRemembers_() ? first_.get() : second_.get();
}

std::string SplitPasteRoute::rememberedProgram() const {
    return chosen_->rememberedProgram();
}

void SplitPasteRoute::refocusRememberedWindow() {
    chosen_->refocusRememberedWindow();
}

PasteRoute::Focus SplitPasteRoute::focus() const {
    return chosen_->focus();
}

bool SplitPasteRoute::modifiersHeld() const {
    return chosen_->modifiersHeld();
}

bool SplitPasteRoute::seesModifiersElsewhere() const {
    return chosen_->seesModifiersElsewhere();
}

void SplitPasteRoute::sendChord(const KeyChord& chord, SendDone done) {
    chosen_->sendChord(chord, std::move(done));
}

}  // namespace nimbrook
