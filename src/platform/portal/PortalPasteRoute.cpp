#include "platform/portal/PortalPasteRoute.h"

#include <utility>

namespace nimbrook {

PortalPasteRoute::PortalPasteRoute(PortalRemoteDesktop& portal,
                                   std::function<bool()> ownWindowFocused,
                                   std::function<bool()> heldInOwnWindows)
    : portal_(portal),
      ownWindowFocused_(std::move(ownWindowFocused)),
      heldInOwnWindows_(std::move(heldInOwnWindows)) {}

void PortalPasteRoute::sendChord(const KeyChord& chord, SendDone done) {
    std::vector<std::uint32_t> keysyms = chord.modifierKeysyms();
    keysyms.push_back(chord.keysym);
    portal_.sendKeysyms(std::move(keysyms),
                        [done = std::move(done)](bool sent, const std::string& reason) {
                            done({.sent = sent, .reason = reason});
                        });
}

}  // namespace nimbrook
