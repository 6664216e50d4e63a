#include <string>

#include <gtest/gtest.h>
#include <unicode/unistr.h>

#include "detection/DetectionRules.h"
#include "detection/MatchBounds.h"
#include "platform/CharacterSet.h"
#include "platform/PatternCharacters.h"
#include "support/DifferentialTexts.h"
#include "support/ReferencePattern.h"

namespace nimbrook {
namespace {

template <typename Rules>
void expectEveryRuleAsIcu(const Rules& rules, const std::string& text) {
    for (const DetectionRule& rule : rules) {
        ASSERT_EQ(rule.matches(text), ReferencePattern::found(rule.pattern, text))
            << rule.pattern << " on a text of " << text.size() << " bytes: \""
            << text.substr(0, 200) << "\"";
    }
}

TEST(DetectionRulesTest, everyRuleAnswersAsIcu) {
    for (const std::string& text : differentialTexts()) {
        expectEveryRuleAsIcu(DetectionRules::markdown(), text);
        expectEveryRuleAsIcu(DetectionRules::code(), text);
    }
}

// The rules read the classes themselves, so they must be the engine's on every character.
TEST(DetectionRulesTest, characterClassesAgreeWithTheEngineOnEveryBmpCharacter) {
    for (char32_t c = 0; c <= 0xFFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) {
            continue;
        }
        std::string character;
        icu::UnicodeString(static_cast<UChar32>(c)).toUTF8String(character);
        SCOPED_TRACE(static_cast<int>(c));
        const auto codePoint = static_cast<int32_t>(c);
        const bool lineBreak = PatternCharacters::lineBreakAt(character, 0) > 0;
        ASSERT_EQ(PatternCharacters::isSpace(codePoint),
                  ReferencePattern::found(R"(\s)", character));
        ASSERT_EQ(PatternCharacters::isWord(codePoint),
                  ReferencePattern::found(R"(\w)", character));
        ASSERT_EQ(PatternCharacters::isDigit(codePoint),
                  ReferencePattern::found(R"(\d)", character));
        ASSERT_EQ(lineBreak, !ReferencePattern::found("a.b", "a" + character + "b"));
        ASSERT_EQ(lineBreak, ReferencePattern::found("(?m)^x", "a" + character + "x"));
        ASSERT_EQ(lineBreak, CharacterSets::contains(CharacterSet::newlines, c));
        ASSERT_EQ(MatchBounds::containsLineBreak("a" + character), lineBreak);
    }
}

}  // namespace
}  // namespace nimbrook
