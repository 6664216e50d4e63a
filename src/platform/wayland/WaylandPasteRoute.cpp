#include "platform/wayland/WaylandPasteRoute.h"

#include <utility>
#include <vector>

#include "platform/wayland/KWinFakeInput.h"
#include "platform/wayland/VirtualKeyboard.h"

namespace nimbrook {

std::unique_ptr<WaylandPasteRoute> WaylandPasteRoute::forCompositor(
    WaylandConnection& connection, ForeignToplevelApplication* windows, Scheduler& scheduler,
    OwnWindows ownWindows) {
    Typist typist;
    std::string description;
    if (VirtualKeyboard::isOffered(connection)) {
        typist = [keyboard = std::make_shared<VirtualKeyboard>(connection, scheduler)](
                     std::span<const std::uint32_t> keysyms) {
            return keyboard->sendChord(keysyms);
        };
        ownWindows.modifiersHeld = nullptr;
    } else if (KWinFakeInput::isOffered(connection)) {
        typist = [input = std::make_shared<KWinFakeInput>(connection)](
                     std::span<const std::uint32_t> keysyms) { return input->sendChord(keysyms); };
        description = "KWin fake input (org_kde_kwin_fake_input)";
    } else {
        return nullptr;
    }
    return std::make_unique<WaylandPasteRoute>(windows, std::move(ownWindows), std::move(typist),
                                               std::move(description));
}

WaylandPasteRoute::WaylandPasteRoute(ForeignToplevelApplication* windows, OwnWindows ownWindows,
                                     Typist typist, std::string description)
    : windows_(windows != nullptr && windows->listsWindows() ? windows : nullptr),
      ownWindows_(std::move(ownWindows)),
      typist_(std::move(typist)),
      description_(std::move(description)) {}

void WaylandPasteRoute::rememberFocusedWindow() {
    remembered_ = windows_ != nullptr ? windows_->activatedWindow() : std::nullopt;
}

std::string WaylandPasteRoute::rememberedProgram() const {
    return remembered_ ? remembered_->appId : std::string();
}

void WaylandPasteRoute::refocusRememberedWindow() {
    if (windows_ != nullptr && remembered_) {
        windows_->activate(remembered_->id);
    }
}

PasteRoute::Focus WaylandPasteRoute::focus() const {
    if (ownWindows_.focused()) {
        return Focus::own;
    }
    if (windows_ == nullptr) {
        return Focus::remembered;
    }
    const auto activated = windows_->activatedWindow();
    return remembered_ && activated && activated->id == remembered_->id ? Focus::remembered
                                                                        : Focus::elsewhere;
}

bool WaylandPasteRoute::modifiersHeld() const {
    return ownWindows_.modifiersHeld && ownWindows_.modifiersHeld();
}

void WaylandPasteRoute::sendChord(const KeyChord& chord, SendDone done) {
    std::vector<std::uint32_t> keysyms = chord.modifierKeysyms();
    keysyms.push_back(chord.keysym);
    if (typist_(keysyms)) {
        done({.sent = true, .reason = {}});
    } else {
        done({.sent = false, .reason = "当前键盘布局中找不到粘贴所需的按键，或合成器未接收按键"});
    }
}

}  // namespace nimbrook
