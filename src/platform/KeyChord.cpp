#include "platform/KeyChord.h"

#include <algorithm>
#include <array>
#include <utility>

#include "platform/AsciiText.h"

namespace nimbrook {

namespace {

constexpr std::uint32_t keysymV = 0x76;

struct Name {
    std::string_view text;
    std::uint32_t value;
};

constexpr std::array modifierNames{
    Name{"ctrl", KeyChord::control}, Name{"control", KeyChord::control},
    Name{"shift", KeyChord::shift},  Name{"alt", KeyChord::alt},
    Name{"super", KeyChord::super},  Name{"meta", KeyChord::super},
    Name{"logo", KeyChord::super},
};

constexpr std::array keyNames{
    Name{"insert", 0xff63},
    Name{"space", 0x20},
    Name{"return", 0xff0d},
    Name{"tab", 0xff09},
};

// Control_L, Shift_L, Alt_L, Super_L, in the order of the Modifier bits.
constexpr std::array<std::uint32_t, 4> modifierKeys{0xffe3, 0xffe1, 0xffe9, 0xffeb};

constexpr std::uint32_t keysymF1 = 0xffbe;
constexpr int functionKeys = 12;

std::string lowerTrimmed(std::string_view text) {
    return asciiLower(trimmed(text));
}

std::optional<std::uint32_t> valueOf(std::string_view part, const auto& names) {
    const auto found = std::ranges::find(names, part, &Name::text);
    return found == names.end() ? std::nullopt : std::optional(found->value);
}

// Letters and digits are their own (lower-case) keysyms.
std::optional<std::uint32_t> keysymOf(const std::string& part) {
    if (part.size() == 1 &&
        ((part[0] >= 'a' && part[0] <= 'z') || (part[0] >= '0' && part[0] <= '9'))) {
        return static_cast<std::uint32_t>(part[0]);
    }
    if (part.size() >= 2 && part[0] == 'f' &&
        part.find_first_not_of("0123456789", 1) == std::string::npos && part.size() <= 3) {
        const int number = std::stoi(part.substr(1));
        if (number >= 1 && number <= functionKeys) {
            return keysymF1 + static_cast<std::uint32_t>(number - 1);
        }
        return std::nullopt;
    }
    return valueOf(part, keyNames);
}

}  // namespace

KeyChord KeyChord::controlV() {
    return {control, keysymV};
}

KeyChord KeyChord::controlShiftV() {
    return {control | shift, keysymV};
}

std::optional<KeyChord> KeyChord::parse(std::string_view text) {
    KeyChord chord;
    bool hasKey = false;
    std::size_t start = 0;
    while (start <= text.size()) {
        const auto end = std::min(text.find('+', start), text.size());
        const auto part = lowerTrimmed(text.substr(start, end - start));
        start = end + 1;
        if (hasKey) {
            return std::nullopt;
        }
        if (const auto modifier = valueOf(part, modifierNames)) {
            if ((chord.modifiers & *modifier) != 0) {
                return std::nullopt;
            }
            chord.modifiers = static_cast<std::uint8_t>(chord.modifiers | *modifier);
        } else if (const auto keysym = keysymOf(part)) {
            chord.keysym = *keysym;
            hasKey = true;
        } else {
            return std::nullopt;
        }
    }
    return hasKey ? std::optional(chord) : std::nullopt;
}

std::vector<std::uint32_t> KeyChord::modifierKeysyms() const {
    std::vector<std::uint32_t> keysyms;
    for (std::size_t bit = 0; bit < modifierKeys.size(); ++bit) {
        if ((modifiers & (1U << bit)) != 0) {
            keysyms.push_back(modifierKeys[bit]);
        }
    }
    return keysyms;
}

}  // namespace nimbrook
