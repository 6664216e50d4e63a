#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nimbrook {

// A key pressed while modifiers are held, named by X keysyms (the same numbers on X11 and in
// xkbcommon), so that every route turns them into key codes of the keyboard map in force.
struct KeyChord {
    enum Modifier : std::uint8_t { control = 1, shift = 2, alt = 4, super = 8 };

    // A bitwise or of Modifier values.
    std::uint8_t modifiers = 0;
    std::uint32_t keysym = 0;

    bool operator==(const KeyChord&) const = default;

    static KeyChord controlV();
    static KeyChord controlShiftV();
    // "shift+insert", "Ctrl+Shift+V", "alt+f1": modifiers (ctrl or control, shift, alt, super
    // or meta or logo) and one key (a letter, a digit, insert, space, return, tab, f1..f12),
    // joined by "+", ignoring ASCII case and blanks around the parts; nullopt for anything
    // else, a chord without a key or one that names a modifier twice.
    static std::optional<KeyChord> parse(std::string_view text);
    // The left-hand keysyms of the held modifiers, in the order they are to be pressed
    // (Control, Shift, Alt, Super).
    std::vector<std::uint32_t> modifierKeysyms() const;
};

}  // namespace nimbrook
