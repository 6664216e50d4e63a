#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/KeyChord.h"

namespace nimbrook {

// Which chord pastes into a program: the user's override for it, else Ctrl+Shift+V for a
// terminal emulator (where Ctrl+V is a control character), else Ctrl+V.
class PasteChords final {
public:
    // Whether the program (X11 class or Wayland app id) is a terminal emulator, as its desktop
    // entry's categories say.
    using TerminalTest = std::function<bool(std::string_view program)>;

    // `overrides` as kept in the settings: "program:chord" pairs separated by commas, such as
    // "org.wezfurlong.wezterm:shift+insert, xterm:ctrl+shift+v". A pair whose chord does not
    // parse, or that has no program, is skipped; of two pairs for one program the first holds.
    PasteChords(std::string_view overrides, TerminalTest isTerminal);

    // Programs are matched exactly, then ignoring ASCII case; an empty or unknown program gets
    // Ctrl+V.
    KeyChord chordFor(std::string_view program) const;

private:
    std::unordered_map<std::string, KeyChord> overrides_;
    TerminalTest isTerminal_;
};

}  // namespace nimbrook
