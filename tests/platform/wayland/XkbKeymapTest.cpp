#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/wayland/XkbKeymap.h"

namespace nimbrook {
namespace {

struct Lookup {
    std::string layout;
    std::string variant;
    std::uint32_t keysym;
    std::optional<KeyPosition> expected;
};

// evdev codes of the keys: the letters, Insert, and the left modifiers.
constexpr std::uint32_t keyQ = 16, keyY = 21, keyV = 47, keyDot = 52, keyInsert = 110,
                        keyLeftCtrl = 29, keyLeftShift = 42;

class KeyLookupTest : public testing::TestWithParam<Lookup> {};

TEST_P(KeyLookupTest, FindsTheKeyOfTheLayoutInForce) {
    const Lookup& lookup = GetParam();
    const auto keymap = XkbKeymap::fromNames(lookup.layout, lookup.variant);
    ASSERT_NE(keymap, nullptr);
    EXPECT_EQ(keymap->find(lookup.keysym), lookup.expected);
    // What a compositor hands over is the same map in its text form.
    const auto handedOver = XkbKeymap::fromText(keymap->text());
    ASSERT_NE(handedOver, nullptr);
    EXPECT_EQ(handedOver->find(lookup.keysym), lookup.expected);
}

INSTANTIATE_TEST_SUITE_P(Layouts, KeyLookupTest,
                         testing::Values(Lookup{"us", "", 'v', KeyPosition{keyV, 0}},
                                         Lookup{"us", "", 'V', KeyPosition{keyV, 0}},
                                         Lookup{"us", "", 0xff63, KeyPosition{keyInsert, 0}},
                                         Lookup{"us", "", 0xffe3, KeyPosition{keyLeftCtrl, 0}},
                                         Lookup{"us", "", 0xffe1, KeyPosition{keyLeftShift, 0}},
                                         // German: Z and Y change places.
                                         Lookup{"de", "", 'z', KeyPosition{keyY, 0}},
                                         Lookup{"de", "", 'v', KeyPosition{keyV, 0}},
                                         Lookup{"us", "dvorak", 'v', KeyPosition{keyDot, 0}},
                                         // French: A is where Q is elsewhere.
                                         Lookup{"fr", "", 'a', KeyPosition{keyQ, 0}},
                                         // A Russian user's V is on the second layout only.
                                         Lookup{"ru,us", "", 'v', KeyPosition{keyV, 1}},
                                         Lookup{"ru", "", 'v', std::nullopt},
                                         Lookup{"us", "", 0x10000e0, std::nullopt}),
                         [](const auto& info) {
                             std::string name = info.param.layout + info.param.variant + "_" +
                                                std::to_string(info.param.keysym);
                             std::replace(name.begin(), name.end(), ',', '_');
                             return name;
                         });

TEST(XkbKeymapTest, ModifiersFollowTheHeldKeysAndStayInsideTheMap) {
    struct Case {
        std::string layout;
        std::vector<std::uint32_t> held;
        std::uint32_t layoutIndex;
        KeyboardModifiers expected;
    };
    // Shift and Control are the first and third modifiers of every xkeyboard-config map.
    const std::vector<Case> cases{
        {"us", {}, 0, {}},
        {"us", {keyLeftCtrl}, 0, {.depressed = 4}},
        {"us", {keyLeftCtrl, keyLeftShift}, 0, {.depressed = 5}},
        {"us", {keyV}, 0, {}},
        {"ru,us", {keyLeftCtrl}, 1, {.depressed = 4, .layout = 1}},
        // A layout the map does not have wraps round rather than being sent as it is.
        {"us", {}, 3, {}},
    };
    for (const auto& c : cases) {
        const auto keymap = XkbKeymap::fromNames(c.layout, {});
        ASSERT_NE(keymap, nullptr);
        EXPECT_EQ(keymap->modifiersWhile(c.held, c.layoutIndex), c.expected)
            << c.layout << " with " << c.held.size() << " keys held";
    }
}

// The map a chord is typed with: the seat's where it has every key, else a US one.
TEST(XkbKeymapTest, ChordsAreTypedWithTheSeatsMapOrALatinOne) {
    struct Case {
        std::string layout;
        std::string variant;
        std::vector<std::uint32_t> keysyms;
        bool seatsMap;
        KeyPosition key;
    };
    const std::vector<std::uint32_t> controlV{0xffe3, 'v'};
    const std::vector<std::uint32_t> controlShiftV{0xffe3, 0xffe1, 'v'};
    const std::vector<Case> cases{
        {"us", "", controlV, true, {keyV, 0}},
        {"de", "", controlShiftV, true, {keyV, 0}},
        {"us", "dvorak", controlV, true, {keyDot, 0}},
        // Either group of a two-layout map: the keyboard's own state picks the Latin one.
        {"us,ru", "", controlV, true, {keyV, 0}},
        {"ru,us", "", controlShiftV, true, {keyV, 1}},
        {"ru", "", controlV, false, {keyV, 0}},
        {"ru", "", controlShiftV, false, {keyV, 0}},
        {"ru", "", {0xffe3, 0xff63}, true, {keyInsert, 0}},
    };
    for (const auto& c : cases) {
        auto seat = XkbKeymap::fromNames(c.layout, c.variant);
        ASSERT_NE(seat, nullptr);
        const std::string seatText = seat->text();
        const auto chosen = XkbKeymap::forChord(std::move(seat), c.keysyms);
        ASSERT_NE(chosen, nullptr) << c.layout;
        EXPECT_EQ(chosen->text() == seatText, c.seatsMap) << c.layout;
        const auto keys = chosen->findAll(c.keysyms);
        ASSERT_TRUE(keys) << c.layout;
        EXPECT_EQ(keys->back(), c.key) << c.layout;
        EXPECT_EQ(keys->front(), (KeyPosition{keyLeftCtrl, 0})) << c.layout;
    }
}

TEST(XkbKeymapTest, AChordWithAKeyNoMapHasIsNotTyped) {
    const std::vector<std::uint32_t> unknown{0xffe3, 0x10000e0};
    EXPECT_EQ(XkbKeymap::forChord(XkbKeymap::fromNames("ru", {}), unknown), nullptr);
    EXPECT_EQ(XkbKeymap::forChord(nullptr, unknown), nullptr);
    EXPECT_NE(XkbKeymap::forChord(nullptr, std::vector<std::uint32_t>{'v'}), nullptr);
}

TEST(XkbKeymapTest, RefusesWhatIsNoKeymap) {
    const std::string truncated = XkbKeymap::fromNames("us", {})->text().substr(0, 500);
    for (const std::string& text : {std::string(), std::string("xkb_keymap {"), truncated,
                                    std::string("\xff\xfe\0garbage", 10)}) {
        EXPECT_EQ(XkbKeymap::fromText(text), nullptr) << text.substr(0, 20);
    }
}

}  // namespace
}  // namespace nimbrook
