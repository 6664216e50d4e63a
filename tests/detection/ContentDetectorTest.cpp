#include <numeric>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "detection/ContentDetector.h"
#include "model/NamedCase.h"
#include "support/DifferentialTexts.h"

namespace nimbrook {
namespace {

struct DetectCase {
    std::string name;
    std::string text;
    ContentType expected;
};

class DetectTest : public testing::TestWithParam<DetectCase> {};

TEST_P(DetectTest, classifies) {
    EXPECT_EQ(rawValue(ContentDetector::detect(GetParam().text)), rawValue(GetParam().expected));
}

const std::vector<DetectCase> cases{
    // Which test wins when a text satisfies several, and texts that trim to nothing.
    {"OnlyBlanksAndBreaks", " \t\r\n \u00a0\u3000\u2028 ", ContentType::plainText},
    {"ImageBeatsUrl", "https://example.com/photos/cat.jpg", ContentType::image},
    {"JsonBeatsMarkdown", R"j(["```a```", "[x](y)"])j", ContentType::json},
    {"MarkdownBeatsCode", "# Title\n- item\nimport os;", ContentType::markdown},
    {"TrimmedAndUpperCase", "  shot.PNG  \n", ContentType::image},
    {"TifIsNotAnImage", "scan.tif", ContentType::plainText},
    {"LongExtension", "file.pngpngpngpngpngpng", ContentType::plainText},
    {"NumbersNoDoubleHolds", "[1e400, 12345678901234567890123]", ContentType::json},
    {"NestedWithSurroundingBlanks", "\n  {\"a\": [1, {\"b\": null}]}  \n", ContentType::json},
    {"NoBreakSpaceAfterIsTrimmed", "[1, 2]\u00a0", ContentType::json},
    {"NoBreakSpaceInside", "[1,\u00a02]", ContentType::plainText},
    {"InvalidJsonGoesOnToCode", "{\n    let x = 1;\n}", ContentType::code},
    {"Trimmed", "  https://example.com/path  \r\n", ContentType::url},
    {"NoHostNeeded", "http:relative", ContentType::url},
    {"TwoLines", "https://a.example\nhttps://b.example", ContentType::plainText},
    {"UpperCaseScheme", "HTTP://EXAMPLE.COM", ContentType::plainText},
    {"SchemeLookalike", "httpx://example.com", ContentType::plainText},
    {"HeadingAlone", "# Title", ContentType::plainText},
    {"HeadingAndBullet", "# Title\n- item", ContentType::markdown},
    {"NonAsciiDigitNumbered", "\u0661. a\n- b", ContentType::markdown},
    {"QuoteAndLink", "> q\n[x](y)", ContentType::markdown},
    {"HeadingOnSecondLineOnly", "intro\n## Part\n- b", ContentType::plainText},
    {"HeadingSpaceRunsAcrossLine", "#\nTitle\n- a", ContentType::markdown},
    {"LinkDoesNotCrossLines", "[a\nb](c)\n> q", ContentType::plainText},
    {"LinkAfterLongUnclosedLine", std::string(4096, '[') + "](\n[x](y)\n- a",
     ContentType::markdown},
    {"FenceAndBullet", "```\nfoo\n```\n- a", ContentType::markdown},
    {"FencedBlockOfMegabytes", "# T\n```\n" + repeated("int x = 1;\n", 230'000) + "```",
     ContentType::markdown},
    {"SingleFence", "```\nfoo\n- a", ContentType::plainText},
    {"BoldNotAtLineStart", "a **b**\n- c", ContentType::plainText},
    {"FourStarsAreNotBold", "****\n- x", ContentType::plainText},
    {"FiveStarsAreBold", "*****\n- x", ContentType::markdown},
    {"ImportOs", "import os", ContentType::code},
    {"LetWithoutSemicolon", "let x = 1", ContentType::plainText},
    {"LetWithSemicolon", "let x = 1;", ContentType::code},
    {"KeywordSpaceRunsAcrossLine", "import\nos", ContentType::code},
    {"KeywordsAreCaseSensitive", "Import os", ContentType::plainText},
    {"KeywordAfterWordOnSameLine", "y import os;", ContentType::plainText},
    {"KeywordInsideWord", "letter = 1;\n    b", ContentType::plainText},
    {"KeywordBeforeNoBreakSpace", "x\nimport\u00a0os", ContentType::code},
    {"FourSpaceIndent", "let a\n    b", ContentType::code},
    {"FiveSpaceIndent", "let a\n     b", ContentType::plainText},
    {"LeadingIndentIsTrimmed", "    let a = 1", ContentType::plainText},
    // Texts no clipboard should hold but any clipboard may: they still get a definite type.
    {"InvalidUtf8", "\xff\xfe\x80", ContentType::plainText},
    {"InvalidUtf8BeforeImageExtension", "\xc3photo.png", ContentType::image},
    {"NulDoesNotEndTheText", std::string("x\0\nimport os", 12), ContentType::code},
};

INSTANTIATE_TEST_SUITE_P(Cases, DetectTest, testing::ValuesIn(cases), nameOf);

// Texts on which a backtracking search would retry from every line or bracket: they must
// come back with some type.
TEST(DetectBoundedTest, pathologicalTextsReturn) {
    std::string everyByte(256, '\0');
    std::iota(everyByte.begin(), everyByte.end(), '\0');
    for (const std::string& text : {
             repeated("[", 1 << 18) + repeated("]", 1 << 18),
             "x\n" + repeated(" \n", 1 << 17) + "class A",
             repeated("``", 1 << 17) + "`" + std::string(1 << 18, 'a'),
             repeated(everyByte, 4096),
         }) {
        EXPECT_FALSE(rawValue(ContentDetector::detect(text)).empty());
    }
}

}  // namespace
}  // namespace nimbrook
