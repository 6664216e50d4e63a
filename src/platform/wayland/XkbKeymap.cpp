#include "platform/wayland/XkbKeymap.h"

#include <cstdlib>

#include <xkbcommon/xkbcommon.h>

namespace nimbrook {
namespace {

// evdev key codes are the xkb ones less this offset, which the X protocol left behind.
constexpr std::uint32_t evdevOffset = 8;
// No layout of xkeyboard-config puts a keysym above this level that a chord needs.
constexpr std::uint32_t levelsSearched = 4;

xkb_context* newContext() {
    return xkb_context_new(XKB_CONTEXT_NO_FLAGS);
}

}  // namespace

XkbKeymap::XkbKeymap(xkb_context* context, xkb_keymap* keymap)
    : context_(context), keymap_(keymap) {}

XkbKeymap::~XkbKeymap() {
    xkb_keymap_unref(keymap_);
    xkb_context_unref(context_);
}

std::unique_ptr<XkbKeymap> XkbKeymap::fromText(const std::string& text) {
    xkb_context* context = newContext();
    if (context == nullptr) {
        return nullptr;
    }
    xkb_keymap* keymap = xkb_keymap_new_from_buffer(
        context, text.data(), text.size(), XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (keymap == nullptr) {
        xkb_context_unref(context);
        return nullptr;
    }
    return std::unique_ptr<XkbKeymap>(new XkbKeymap(context, keymap));
}

std::unique_ptr<XkbKeymap> XkbKeymap::fromNames(const std::string& layout,
                                                const std::string& variant) {
    xkb_context* context = newContext();
    if (context == nullptr) {
        return nullptr;
    }
    const xkb_rule_names names{.rules = nullptr,
                               .model = nullptr,
                               .layout = layout.empty() ? nullptr : layout.c_str(),
                               .variant = variant.empty() ? nullptr : variant.c_str(),
                               .options = nullptr};
    xkb_keymap* keymap = xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (keymap == nullptr) {
        xkb_context_unref(context);
        return nullptr;
    }
    return std::unique_ptr<XkbKeymap>(new XkbKeymap(context, keymap));
}

std::unique_ptr<XkbKeymap> XkbKeymap::forChord(std::unique_ptr<XkbKeymap> seat,
                                               std::span<const std::uint32_t> keysyms) {
    if (seat != nullptr && seat->findAll(keysyms)) {
        return seat;
    }
    auto latin = fromNames("us", {});
    return latin != nullptr && latin->findAll(keysyms) ? std::move(latin) : nullptr;
}

std::optional<std::vector<KeyPosition>> XkbKeymap::findAll(
    std::span<const std::uint32_t> keysyms) const {
    std::vector<KeyPosition> keys;
    for (const std::uint32_t keysym : keysyms) {
        const auto position = find(keysym);
        if (!position) {
            return std::nullopt;
        }
        keys.push_back(*position);
    }
    return keys;
}

std::optional<KeyPosition> XkbKeymap::find(std::uint32_t keysym) const {
    const xkb_layout_index_t layouts = xkb_keymap_num_layouts(keymap_);
    for (xkb_layout_index_t layout = 0; layout < layouts; ++layout) {
        for (std::uint32_t level = 0; level < levelsSearched; ++level) {
            if (auto position = findAtLevel(keysym, layout, level)) {
                return position;
            }
        }
    }
    return std::nullopt;
}

std::optional<KeyPosition> XkbKeymap::findAtLevel(std::uint32_t keysym, std::uint32_t layout,
                                                  std::uint32_t level) const {
    const xkb_keycode_t last = xkb_keymap_max_keycode(keymap_);
    for (xkb_keycode_t code = xkb_keymap_min_keycode(keymap_); code <= last; ++code) {
        if (code < evdevOffset || level >= xkb_keymap_num_levels_for_key(keymap_, code, layout)) {
            continue;
        }
        const xkb_keysym_t* symbols = nullptr;
        const int count = xkb_keymap_key_get_syms_by_level(keymap_, code, layout, level, &symbols);
        if (count == 1 && symbols[0] == keysym) {
            return KeyPosition{.evdevCode = code - evdevOffset, .layout = layout};
        }
    }
    return std::nullopt;
}

KeyboardModifiers XkbKeymap::modifiersWhile(std::span<const std::uint32_t> pressedCodes,
                                            std::uint32_t layout) const {
    xkb_state* state = xkb_state_new(keymap_);
    if (state == nullptr) {
        return {.layout = layout};
    }
    xkb_state_update_mask(state, 0, 0, 0, 0, 0, layout);
    for (const std::uint32_t code : pressedCodes) {
        xkb_state_update_key(state, code + evdevOffset, XKB_KEY_DOWN);
    }
    const KeyboardModifiers modifiers{
        .depressed = xkb_state_serialize_mods(state, XKB_STATE_MODS_DEPRESSED),
        .latched = xkb_state_serialize_mods(state, XKB_STATE_MODS_LATCHED),
        .locked = xkb_state_serialize_mods(state, XKB_STATE_MODS_LOCKED),
        .layout = xkb_state_serialize_layout(state, XKB_STATE_LAYOUT_EFFECTIVE)};
    xkb_state_unref(state);
    return modifiers;
}

std::string XkbKeymap::text() const {
    char* text = xkb_keymap_get_as_string(keymap_, XKB_KEYMAP_FORMAT_TEXT_V1);
    if (text == nullptr) {
        return {};
    }
    std::string copy(text);
    std::free(text);
    return copy;
}

}  // namespace nimbrook
