#include <optional>
#include <set>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "model/NamedCase.h"
#include "platform/PasteChords.h"

namespace nimbrook {
namespace {

constexpr std::uint32_t insert = 0xff63;

struct ChordText {
    const char* name;
    std::string_view text;
    std::optional<KeyChord> chord;
};

const ChordText chordTexts[] = {
    {"shiftInsert", "shift+insert", KeyChord{KeyChord::shift, insert}},
    {"caseAndBlanks", " Ctrl + SHIFT+V ", KeyChord::controlShiftV()},
    {"controlSpelledOut", "control+v", KeyChord::controlV()},
    {"everyModifier", "super+alt+shift+ctrl+1",
     KeyChord{KeyChord::control | KeyChord::shift | KeyChord::alt | KeyChord::super, '1'}},
    {"superUnderTwoNames", "meta+logo+v", std::nullopt},
    {"functionKey", "alt+F12", KeyChord{KeyChord::alt, 0xffc9}},
    {"bareKey", "v", KeyChord{0, 'v'}},
    {"noFunctionKey13", "f13", std::nullopt},
    {"modifierTwice", "ctrl+ctrl+v", std::nullopt},
    {"onlyModifiers", "ctrl+shift", std::nullopt},
    {"keyBeforeModifier", "v+ctrl", std::nullopt},
    {"twoKeys", "ctrl+v+c", std::nullopt},
    {"emptyPart", "ctrl++v", std::nullopt},
    {"unknownKey", "ctrl+ü", std::nullopt},
    {"empty", "", std::nullopt},
};

class KeyChordParse : public testing::TestWithParam<ChordText> {};

TEST_P(KeyChordParse, readsTheSettingsForm) {
    EXPECT_EQ(KeyChord::parse(GetParam().text), GetParam().chord);
}

INSTANTIATE_TEST_SUITE_P(Texts, KeyChordParse, testing::ValuesIn(chordTexts), nameOf);

TEST(KeyChord, pressesControlBeforeShift) {
    EXPECT_EQ(KeyChord::controlShiftV().modifierKeysyms(),
              (std::vector<std::uint32_t>{0xffe3, 0xffe1}));
    EXPECT_TRUE(KeyChord{}.modifierKeysyms().empty());
}

struct ChordRule {
    const char* name;
    std::string_view overrides;
    std::string_view program;
    KeyChord chord;
};

const ChordRule chordRules[] = {
    {"plainProgram", "", "gedit", KeyChord::controlV()},
    {"terminalByCategory", "", "XTerm", KeyChord::controlShiftV()},
    {"unknownProgram", "", "", KeyChord::controlV()},
    {"overrideWinsOverTerminal", "XTerm:shift+insert", "XTerm", KeyChord{KeyChord::shift, insert}},
    {"overrideIgnoresCase", "org.wezfurlong.WezTerm : shift+insert", "org.wezfurlong.wezterm",
     KeyChord{KeyChord::shift, insert}},
    {"overrideOfAnotherProgram", "kate:ctrl+shift+v", "gedit", KeyChord::controlV()},
    {"secondOfSeveral", "kate:ctrl+shift+v, gedit:shift+insert", "gedit",
     KeyChord{KeyChord::shift, insert}},
    {"firstOfTwoHolds", "gedit:shift+insert,gedit:ctrl+v", "gedit",
     KeyChord{KeyChord::shift, insert}},
    {"badChordSkipped", "XTerm:ctrl+nothing", "XTerm", KeyChord::controlShiftV()},
    {"pairWithoutProgramSkipped", ":shift+insert,,garbage", "", KeyChord::controlV()},
    {"colonInProgramName", "a:b:shift+insert", "a:b", KeyChord{KeyChord::shift, insert}},
};

class PasteChordRules : public testing::TestWithParam<ChordRule> {};

TEST_P(PasteChordRules, picksTheChordForTheProgram) {
    const std::set<std::string, std::less<>> terminals{"XTerm", "org.wezfurlong.wezterm"};
    const PasteChords chords(GetParam().overrides, [&terminals](std::string_view program) {
        return terminals.contains(program);
    });
    EXPECT_EQ(chords.chordFor(GetParam().program), GetParam().chord);
}

INSTANTIATE_TEST_SUITE_P(Rules, PasteChordRules, testing::ValuesIn(chordRules), nameOf);

}  // namespace
}  // namespace nimbrook
