// Types one chord into the focused window through the program's own Wayland typing, without
// the rest of the program, and keeps the device a moment afterwards as the program does:
//
//   nimbrook-e2e-wayland-typist virtual|fake <chord such as ctrl+shift+v>
//   nimbrook-e2e-wayland-typist hold
//
// Exits 0 when the compositor took the keys, 1 when the route is not offered here, 2 when
// the keys could not be sent. With hold it gives a headless seat a keyboard, as a desktop's
// real one is there before its programs start, and stays until killed.

#include <chrono>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>
#include <virtual-keyboard-unstable-v1-client-protocol.h>

#include "platform/FileDescriptor.h"
#include "platform/KeyChord.h"
#include "platform/wayland/KWinFakeInput.h"
#include "platform/wayland/VirtualKeyboard.h"
#include "platform/wayland/WaylandConnection.h"
#include "platform/wayland/XkbKeymap.h"
#include "support/ManualScheduler.h"

namespace {

int hold() {
    nimbrook::WaylandConnection connection({}, std::cerr);
    const auto keymap = nimbrook::XkbKeymap::fromNames({}, {});
    if (!nimbrook::VirtualKeyboard::isOffered(connection) || keymap == nullptr) {
        return 1;
    }
    const std::string text = keymap->text();
    const nimbrook::FileDescriptor file(::memfd_create("keymap", MFD_CLOEXEC));
    nimbrook::FileDescriptor::writeAll(file.get(), std::string_view(text.c_str(), text.size() + 1));
    auto* device = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(
        connection.virtualKeyboards(), connection.seat());
    zwp_virtual_keyboard_v1_keymap(device, 1, file.get(),
                                   static_cast<std::uint32_t>(text.size() + 1));
    connection.roundtrip();
    std::cout << "ready" << std::endl;
    while (connection.roundtrip()) {
        ::pause();
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "hold") {
        return hold();
    }
    const auto chord = argc == 3 ? nimbrook::KeyChord::parse(argv[2]) : std::nullopt;
    if (!chord) {
        std::cerr << "usage: " << argv[0] << " virtual|fake <chord>\n";
        return 2;
    }
    std::vector<std::uint32_t> keysyms = chord->modifierKeysyms();
    keysyms.push_back(chord->keysym);
    nimbrook::WaylandConnection connection({}, std::cerr);
    nimbrook::ManualClock clock;
    nimbrook::ManualScheduler scheduler(clock);
    const bool virtualKeyboard = std::string(argv[1]) == "virtual";
    if (virtualKeyboard ? !nimbrook::VirtualKeyboard::isOffered(connection)
                        : !nimbrook::KWinFakeInput::isOffered(connection)) {
        std::cerr << "not offered\n";
        return 1;
    }
    nimbrook::VirtualKeyboard keyboard(connection, scheduler);
    nimbrook::KWinFakeInput fakeInput(connection);
    const bool sent = virtualKeyboard ? keyboard.sendChord(keysyms) : fakeInput.sendChord(keysyms);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    return sent ? 0 : 2;
}
