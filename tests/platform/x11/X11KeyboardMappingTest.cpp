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

}  // namespace
}  // namespace nimbrook
