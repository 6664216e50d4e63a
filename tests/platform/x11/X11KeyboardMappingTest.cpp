#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "model/NamedCase.h"
#include "platform/x11/X11KeyboardMapping.h"

namespace nimbrook {
namespace {

constexpr std::uint32_t v = 'v';
constexpr std::uint32_t capitalV = 'V';
constexpr std::uint32_t controlL = 0xffe3;
constexpr std::uint32_t shiftL = 0xffe1;
constexpr std::uint32_t udiaeresis = 0xfc;
constexpr std::uint32_t cyrillicEm = 0x6cd;

// Key codes 8.. with two keysyms each (a one-group map), from an xkb layout's key rows.
X11KeyboardMapping oneGroup(std::vector<std::vector<std::uint32_t>> keys) {
    X11KeyboardMapping mapping{.minimumKeycode = 8, .keysymsPerKeycode = 2, .keysyms = {}};
    for (auto& key : keys) {
        key.resize(2, 0);
        mapping.keysyms.insert(mapping.keysyms.end(), key.begin(), key.end());
    }
    return mapping;
}

// Key codes 8.. with four keysyms each (two groups), as the server lays out "us,ru" or "ru" (a
// one-group map repeats its keysyms in the second group's place).
X11KeyboardMapping twoGroups(std::vector<std::vector<std::uint32_t>> keys) {
    X11KeyboardMapping mapping{.minimumKeycode = 8, .keysymsPerKeycode = 4, .keysyms = {}};
    for (auto& key : keys) {
        key.resize(4, 0);
        mapping.keysyms.insert(mapping.keysyms.end(), key.begin(), key.end());
    }
    return mapping;
}

struct Lookup {
    const char* name;
    X11KeyboardMapping mapping;
    std::uint32_t keysym;
    std::uint8_t keycode;
};

const Lookup lookups[] = {
    {"us", oneGroup({{controlL}, {shiftL}, {'c', 'C'}, {v, capitalV}}), v, 11},
    {"usControl", oneGroup({{controlL}, {shiftL}, {'c', 'C'}, {v, capitalV}}), controlL, 8},
    // German: the same key for V, another for Y and Z, and umlauts of its own.
    {"de", oneGroup({{'z', 'Z'}, {udiaeresis, 0xdc}, {v, capitalV}, {'y', 'Y'}}), v, 10},
    // Dvorak puts V where QWERTY has the full stop, after the key that gives K.
    {"dvorak", oneGroup({{'k', 'K'}, {'j', 'J'}, {'.', '>'}, {v, capitalV}}), v, 11},
    // A key that gives v only when shifted is skipped for the one that gives it plainly.
    {"unshiftedKeyFirst", oneGroup({{'x', v}, {v, capitalV}}), v, 9},
    {"shiftedOnlyKey", oneGroup({{'x', v}, {'y', 'Y'}}), v, 8},
    // Russian first, US second: the letter is found in the second group.
    {"secondGroup",
     {.minimumKeycode = 8,
      .keysymsPerKeycode = 4,
      .keysyms = {controlL, 0, controlL, 0, cyrillicEm, 0x6ed, v, capitalV}},
     v,
     9},
    {"absentKeysym", oneGroup({{'a', 'A'}}), v, 0},
    {"noKeysym", oneGroup({{'a', 0}}), 0, 0},
    {"emptyMap", {.minimumKeycode = 8, .keysymsPerKeycode = 0, .keysyms = {v}}, v, 0},
    // A truncated answer: the last, partial key is not read.
    {"partialKey",
     {.minimumKeycode = 8, .keysymsPerKeycode = 3, .keysyms = {'a', 'A', 0, v}},
     v,
     0},
    {"pastTheLastKeycode",
     {.minimumKeycode = 255, .keysymsPerKeycode = 1, .keysyms = {'a', v}},
     v,
     0},
};

class X11KeyboardMappingLookup : public testing::TestWithParam<Lookup> {};

TEST_P(X11KeyboardMappingLookup, findsTheKeyThatGivesTheKeysym) {
    EXPECT_EQ(GetParam().mapping.keycodeOf(GetParam().keysym), GetParam().keycode);
}

INSTANTIATE_TEST_SUITE_P(Layouts, X11KeyboardMappingLookup, testing::ValuesIn(lookups), nameOf);

constexpr std::uint32_t cyrillicCapitalEm = 0x6ed;
const std::vector<std::uint32_t> control{controlL, 0, controlL};
const std::vector<std::uint32_t> russianV{cyrillicEm, cyrillicCapitalEm, cyrillicEm,
                                          cyrillicCapitalEm};

struct GroupLookup {
    const char* name;
    X11KeyboardMapping mapping;
    std::uint8_t group;
    std::uint8_t keycode;
};

// Where v is typed with the group in force; 0 sends the caller to a spare key.
const GroupLookup groupLookups[] = {
    {"usOnly", oneGroup({{controlL}, {v, capitalV}}), 0, 9},
    // With one group, every group in force gives the same keys.
    {"oneGroupWrapsTheSecond", oneGroup({{controlL}, {v, capitalV}}), 1, 9},
    {"de", oneGroup({{'z', 'Z'}, {udiaeresis, 0xdc}, {v, capitalV}}), 0, 10},
    {"dvorak", oneGroup({{'k', 'K'}, {'.', '>'}, {v, capitalV}}), 0, 10},
    {"ruAlone", twoGroups({control, russianV}), 0, 0},
    {"usRuWithUsInForce", twoGroups({control, {v, capitalV, cyrillicEm, cyrillicCapitalEm}}), 0, 9},
    // The key where V lies in the first group types a Cyrillic letter here.
    {"usRuWithRuInForce", twoGroups({control, {v, capitalV, cyrillicEm, cyrillicCapitalEm}}), 1, 0},
    {"ruUsWithUsInForce", twoGroups({control, {cyrillicEm, cyrillicCapitalEm, v, capitalV}}), 1, 9},
    {"ruAloneRepeated", twoGroups({control, russianV, {v, capitalV, v, capitalV}}), 1, 10},
    // A third group's place in the core map is not known; a spare key is sure.
    {"thirdGroup", twoGroups({control, {v, capitalV, v, capitalV}}), 2, 0},
    // A key that gives v only shifted would reach the program as the unshifted keysym.
    {"shiftedOnly", oneGroup({{'x', v}}), 0, 0},
};

class X11KeyboardMappingGroup : public testing::TestWithParam<GroupLookup> {};

TEST_P(X11KeyboardMappingGroup, typesTheKeysymOnlyWithAKeyOfTheGroupInForce) {
    EXPECT_EQ(GetParam().mapping.keycodeInGroup(v, GetParam().group), GetParam().keycode);
}

INSTANTIATE_TEST_SUITE_P(Layouts, X11KeyboardMappingGroup, testing::ValuesIn(groupLookups), nameOf);

struct Spare {
    const char* name;
    X11KeyboardMapping mapping;
    std::vector<std::uint8_t> taken;
    std::uint8_t keycode;
};

const Spare spares[] = {
    {"highestEmptyKey", twoGroups({russianV, {}, control, {}}), {}, 11},
    {"modifierKeysAreNotSpare", twoGroups({russianV, {}, control, {}}), {11}, 9},
    {"keyWithOnlyAShiftedKeysym", twoGroups({{}, {0, capitalV}}), {}, 8},
    {"everyKeyUsed", twoGroups({russianV, control}), {}, 0},
    {"emptyMap", {.minimumKeycode = 8, .keysymsPerKeycode = 0, .keysyms = {0, 0}}, {}, 0},
    {"truncatedLastKey",
     {.minimumKeycode = 8, .keysymsPerKeycode = 2, .keysyms = {v, 0, 0}},
     {},
     0},
    {"pastTheLastKeycode",
     {.minimumKeycode = 255, .keysymsPerKeycode = 1, .keysyms = {v, 0}},
     {},
     0},
};

class X11KeyboardMappingSpare : public testing::TestWithParam<Spare> {};

TEST_P(X11KeyboardMappingSpare, findsAKeyThatTypesNothing) {
    EXPECT_EQ(GetParam().mapping.spareKeycode(GetParam().taken), GetParam().keycode);
}

INSTANTIATE_TEST_SUITE_P(Maps, X11KeyboardMappingSpare, testing::ValuesIn(spares), nameOf);

TEST(X11KeyboardMappingSpareKeysyms, giveTheLetterAndItsCapitalInEveryGroup) {
    struct Case {
        std::uint8_t width;
        std::uint32_t keysym;
        std::vector<std::uint32_t> row;
    };
    const Case cases[] = {
        {4, v, {v, capitalV, 0, 0}},
        {7, 'a', {'a', 'A', 0, 0, 0, 0, 0}},
        {2, 0xff63, {0xff63, 0}},
        {2, '1', {'1', 0}},
        {1, v, {v}},
        {0, v, {}},
    };
    for (const Case& c : cases) {
        const X11KeyboardMapping mapping{
            .minimumKeycode = 8, .keysymsPerKeycode = c.width, .keysyms = {}};
        EXPECT_EQ(mapping.spareKeysyms(c.keysym), c.row) << int{c.width} << " " << c.keysym;
    }
}

}  // namespace
}  // namespace nimbrook
