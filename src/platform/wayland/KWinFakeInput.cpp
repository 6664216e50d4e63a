#include "platform/wayland/KWinFakeInput.h"

#include <vector>

#include <fake-input-client-protocol.h>
#include <wayland-client.h>

#include "platform/wayland/SeatKeymap.h"
#include "platform/wayland/WaylandConnection.h"
#include "platform/wayland/XkbKeymap.h"

namespace nimbrook {

KWinFakeInput::KWinFakeInput(WaylandConnection& connection) : connection_(connection) {}

bool KWinFakeInput::isOffered(const WaylandConnection& connection) {
    return connection.isConnected() && connection.fakeInput() != nullptr;
}

bool KWinFakeInput::sendChord(std::span<const std::uint32_t> keysyms) {
    const auto keymap = isOffered(connection_) ? SeatKeymap::current(connection_) : nullptr;
    if (keymap == nullptr || keysyms.empty()) {
        return false;
    }
    std::vector<std::uint32_t> codes;
    for (const std::uint32_t keysym : keysyms) {
        const auto position = keymap->find(keysym);
        if (!position) {
            return false;
        }
        codes.push_back(position->evdevCode);
    }
    org_kde_kwin_fake_input* input = connection_.fakeInput();
    if (!authenticated_) {
        org_kde_kwin_fake_input_authenticate(input, "萤川",
                                             "把剪贴板历史中选中的条目粘贴到当前窗口");
        authenticated_ = true;
    }
    for (const std::uint32_t code : codes) {
        org_kde_kwin_fake_input_keyboard_key(input, code, WL_KEYBOARD_KEY_STATE_PRESSED);
    }
    for (auto code = codes.rbegin(); code != codes.rend(); ++code) {
        org_kde_kwin_fake_input_keyboard_key(input, *code, WL_KEYBOARD_KEY_STATE_RELEASED);
    }
    return connection_.roundtrip();
}

}  // namespace nimbrook
