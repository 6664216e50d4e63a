#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct xkb_context;
struct xkb_keymap;

namespace nimbrook {

// Where a keysym lies on a keyboard map: the evdev key code (what Wayland's key events and
// KWin's fake input carry) and the layout that has it.
struct KeyPosition {
    std::uint32_t evdevCode = 0;
    std::uint32_t layout = 0;

    friend bool operator==(const KeyPosition&, const KeyPosition&) = default;
};

// The modifier state a keyboard reports, as Wayland's `modifiers` messages carry it.
struct KeyboardModifiers {
    std::uint32_t depressed = 0;
    std::uint32_t latched = 0;
    std::uint32_t locked = 0;
    std::uint32_t layout = 0;

    friend bool operator==(const KeyboardModifiers&, const KeyboardModifiers&) = default;
};

// A compiled keyboard map: the keys are sent as the map in force places them, so that a
// German or Dvorak user's Ctrl+V is their V key, not the key that says V on a US keyboard.
class XkbKeymap final {
public:
    // Compiles the map a compositor handed over (xkb text format); null when it is no map.
    static std::unique_ptr<XkbKeymap> fromText(const std::string& text);
    // The map that names such as "de" or "us(dvorak)" give; empty names take the
    // XKB_DEFAULT_* settings of the environment, as compositors do without a configuration.
    static std::unique_ptr<XkbKeymap> fromNames(const std::string& layout,
                                                const std::string& variant);
    ~XkbKeymap();
    XkbKeymap(const XkbKeymap&) = delete;
    XkbKeymap& operator=(const XkbKeymap&) = delete;

    // The map a chord is typed with: `seat` where it has a key for each of `keysyms`, else a
    // US map, which a virtual keyboard uploads for the moment instead (a Russian map has no
    // Latin V, and the key at V's place types a Cyrillic letter that pastes nothing); null
    // when neither has them all.
    static std::unique_ptr<XkbKeymap> forChord(std::unique_ptr<XkbKeymap> seat,
                                               std::span<const std::uint32_t> keysyms);
    // The key that produces `keysym` with the fewest modifiers, first layout first; nullopt
    // when no key of any layout does.
    std::optional<KeyPosition> find(std::uint32_t keysym) const;
    // The keys of `keysyms` in order (find); nullopt when one has none.
    std::optional<std::vector<KeyPosition>> findAll(std::span<const std::uint32_t> keysyms) const;
    // The state while the keys `pressedCodes` (evdev) are held down in `layout`.
    KeyboardModifiers modifiersWhile(std::span<const std::uint32_t> pressedCodes,
                                     std::uint32_t layout) const;
    // The map in xkb text format, as a virtual keyboard uploads it.
    std::string text() const;

private:
    XkbKeymap(xkb_context* context, xkb_keymap* keymap);
    std::optional<KeyPosition> findAtLevel(std::uint32_t keysym, std::uint32_t layout,
                                           std::uint32_t level) const;

    xkb_context* context_;
    xkb_keymap* keymap_;
};

}  // namespace nimbrook
