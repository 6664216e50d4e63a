#include <string>

#include <gtest/gtest.h>
#include <unicode/utf8.h>

#include "platform/CharacterSet.h"
#include "platform/Pattern.h"

// The detector skips pattern searches that cannot match by reading the character sets; that
// is only sound while the engine's "\s", "." and multi-line "^" agree with those sets.
namespace nimbrook {
namespace {

std::string utf8Of(char32_t codePoint) {
    char bytes[4] = {};
    int32_t length = 0;
    U8_APPEND_UNSAFE(bytes, length, static_cast<UChar32>(codePoint));
    return std::string(bytes, static_cast<std::size_t>(length));
}

TEST(PatternCharacterSetAgreementTest, whiteSpaceLineBreaksAndDotAgreeOnEveryBmpCharacter) {
    const Pattern whiteSpace(R"(\s)");
    const Pattern lineStart(R"((?m)^x)");
    const Pattern dot(R"(a.b)");
    for (char32_t c = 0; c <= 0xFFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) {
            continue;
        }
        const std::string character = utf8Of(c);
        const bool isBlank = CharacterSets::contains(CharacterSet::whitespaceAndNewlines, c);
        const bool isLineBreak = CharacterSets::contains(CharacterSet::newlines, c);
        ASSERT_EQ(whiteSpace.findIn(character), isBlank) << std::hex << static_cast<int>(c);
        ASSERT_EQ(lineStart.findIn("a" + character + "x"), isLineBreak)
            << std::hex << static_cast<int>(c);
        ASSERT_EQ(dot.findIn("a" + character + "b"), !isLineBreak)
            << std::hex << static_cast<int>(c);
    }
}

}  // namespace
}  // namespace nimbrook
