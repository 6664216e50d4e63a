#include <cstddef>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "detection/ContentDetector.h"

namespace nimbrook {
namespace {

struct DetectCase {
    std::string name;
    std::string text;
    ContentType expected;
};

// Failure messages name the case instead of dumping its bytes.
void PrintTo(const DetectCase& detectCase, std::ostream* out) {
    *out << detectCase.name;
}

std::string nameOf(const testing::TestParamInfo<DetectCase>& info) {
    return info.param.name;
}

std::string repeated(std::string_view piece, std::size_t times) {
    std::string text;
    text.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i) {
        text += piece;
    }
    return text;
}

class DetectTest : public testing::TestWithParam<DetectCase> {};

TEST_P(DetectTest, classifies) {
    EXPECT_EQ(ContentDetector::detect(GetParam().text), GetParam().expected)
        << rawValue(ContentDetector::detect(GetParam().text));
}

// Which test wins when a text satisfies several, and texts that trim to nothing.
const std::vector<DetectCase> precedenceCases{
    {"Empty", "", ContentType::plainText},
    {"OnlyBlanksAndBreaks", " \t\r\n \u00a0\u3000\u2028 ", ContentType::plainText},
    {"ImageBeatsUrl", "https://example.com/photos/cat.jpg", ContentType::image},
    {"JsonBeatsMarkdown", R"j(["```a```", "[x](y)"])j", ContentType::json},
    {"MarkdownBeatsCode", "# Title\n- item\nimport os;", ContentType::markdown},
    {"PlainOtherwise", "hello world", ContentType::plainText},
};
INSTANTIATE_TEST_SUITE_P(Precedence, DetectTest, testing::ValuesIn(precedenceCases), nameOf);

const std::vector<DetectCase> imageCases{
    {"TrimmedAndUpperCase", "  shot.PNG  \n", ContentType::image},
    {"SpacesBeforeExtension", "see photo.PNG", ContentType::image},
    {"AbsolutePath", "/tmp/clipboard_1700000000.png", ContentType::image},
    {"Jpeg", "a.jpeg", ContentType::image},
    {"Heif", "IMG_0001.HEIF", ContentType::image},
    {"Svg", "logo.svg", ContentType::image},
    {"TrailingSlashIgnored", "album.webp/", ContentType::image},
    {"TifIsNotAnImage", "scan.tif", ContentType::plainText},
    {"ExtensionOfEarlierComponent", "pictures.png/readme", ContentType::plainText},
    {"DotAtEnd", "photo.", ContentType::plainText},
    {"NoDot", "png", ContentType::plainText},
    {"LongExtension", "file.pngpngpngpngpngpng", ContentType::plainText},
};
INSTANTIATE_TEST_SUITE_P(Image, DetectTest, testing::ValuesIn(imageCases), nameOf);

const std::vector<DetectCase> jsonCases{
    {"Array", "[1, 2]", ContentType::json},
    {"EmptyObject", "{}", ContentType::json},
    {"NestedWithSurroundingBlanks", "\n  {\"a\": [1, {\"b\": null}]}  \n", ContentType::json},
    {"NoBreakSpaceAfterIsTrimmed", "[1, 2]\u00a0", ContentType::json},
    {"ClosingBracketInsideString", R"({"k": "}"})", ContentType::json},
    {"UnclosedArray", "[1, 2", ContentType::plainText},
    {"NotJsonInBraces", "{not json}", ContentType::plainText},
    {"NumberAlone", "42", ContentType::plainText},
    {"StringAlone", "\"text\"", ContentType::plainText},
    {"MismatchedBrackets", "[1}", ContentType::plainText},
    {"TrailingComma", "[1, 2,]", ContentType::plainText},
    {"TwoValues", "[1] [2]", ContentType::plainText},
    {"NoBreakSpaceInside", "[1,\u00a02]", ContentType::plainText},
    {"InvalidJsonGoesOnToCode", "{\n    let x = 1;\n}", ContentType::code},
};
INSTANTIATE_TEST_SUITE_P(Json, DetectTest, testing::ValuesIn(jsonCases), nameOf);

const std::vector<DetectCase> urlCases{
    {"Https", "https://example.com", ContentType::url},
    {"HttpWithQueryAndFragment", "http://example.com/a/b?q=1&r=2#top", ContentType::url},
    {"Trimmed", "  https://example.com/path  \r\n", ContentType::url},
    {"NoHostNeeded", "http:relative", ContentType::url},
    {"TwoLines", "https://a.example\nhttps://b.example", ContentType::plainText},
    {"TwoLinesCrLf", "https://a.example\r\nhttps://b.example", ContentType::plainText},
    {"LineSeparatorInside", "https://a.example/\u2028b", ContentType::plainText},
    {"NextLineInside", "https://a.example/\u0085b", ContentType::plainText},
    {"FormFeedInside", "https://a.example/\fb", ContentType::plainText},
    {"UpperCaseScheme", "HTTP://EXAMPLE.COM", ContentType::plainText},
    {"MixedCaseScheme", "Https://example.com", ContentType::plainText},
    {"Ftp", "ftp://example.com/file", ContentType::plainText},
    {"Mailto", "mailto:someone@example.com", ContentType::plainText},
    {"SchemeLookalike", "httpx://example.com", ContentType::plainText},
};
INSTANTIATE_TEST_SUITE_P(Url, DetectTest, testing::ValuesIn(urlCases), nameOf);

const std::vector<DetectCase> markdownCases{
    {"HeadingAlone", "# Title", ContentType::plainText},
    {"HeadingAndBullet", "# Title\n- item", ContentType::markdown},
    {"BulletsAlone", "- a\n- b", ContentType::plainText},
    {"NumberedAndBullet", "1. a\n- b", ContentType::markdown},
    {"NonAsciiDigitNumbered", "\u0661. a\n- b", ContentType::markdown},
    {"BoldAndLink", "**bold** and [x](y)", ContentType::markdown},
    {"HeadingOnSecondLineOnly", "intro\n## Part\n- b", ContentType::plainText},
    {"SevenHashes", "####### x\n- a", ContentType::plainText},
    {"HeadingWithoutSpace", "#Title\n- a", ContentType::plainText},
    {"HeadingSpaceRunsAcrossLine", "#\nTitle\n- a", ContentType::markdown},
    {"BulletSpaceRunsAcrossLine", "-\nfoo\n> quote", ContentType::markdown},
    {"QuoteWithoutSpace", ">q\n- a", ContentType::plainText},
    {"LinkDoesNotCrossLines", "[a\nb](c)\n> q", ContentType::plainText},
    {"EmptyLinkText", "[](x)\n- a", ContentType::plainText},
    {"LinkPartsOutOfOrder", "](x) [y\n- a", ContentType::plainText},
    {"LinkTargetAfterCarriageReturn", "[a](\rb)\n- c", ContentType::plainText},
    {"LinkTargetAfterLineSeparator", "[a](\u2028b)\n- c", ContentType::plainText},
    {"LinkAfterLongUnclosedLine", std::string(4096, '[') + "](\n[x](y)\n- a",
     ContentType::markdown},
    {"FenceAlone", "```\nfoo\n```", ContentType::plainText},
    {"FenceAndBullet", "```\nfoo\n```\n- a", ContentType::markdown},
    {"SingleFence", "```\nfoo\n- a", ContentType::plainText},
    {"BoldNotAtLineStart", "a **b**\n- c", ContentType::plainText},
    {"FourStarsAreNotBold", "****\n- x", ContentType::plainText},
    {"FiveStarsAreBold", "*****\n- x", ContentType::markdown},
};
INSTANTIATE_TEST_SUITE_P(Markdown, DetectTest, testing::ValuesIn(markdownCases), nameOf);

const std::vector<DetectCase> codeCases{
    {"ImportOs", "import os", ContentType::code},
    {"ClassFoo", "class Foo", ContentType::code},
    {"LetWithoutSemicolon", "let x = 1", ContentType::plainText},
    {"LetWithSemicolon", "let x = 1;", ContentType::code},
    {"FunctionWithIndentedBody", "func f() {\n    return 1\n}", ContentType::code},
    {"FencedCode", "```\nlet x = 1;\n```", ContentType::code},
    {"SemicolonOnly", "x = 1;", ContentType::plainText},
    {"PythonWithoutBraces", "def f():\n    return 1", ContentType::plainText},
    {"KeywordAfterTabOnLaterLine", "x\n\timport os", ContentType::code},
    {"KeywordSpaceRunsAcrossLine", "import\nos", ContentType::code},
    {"KeywordsAreCaseSensitive", "Import os", ContentType::plainText},
    {"KeywordAfterWordOnSameLine", "y import os;", ContentType::plainText},
    {"KeywordInsideWord", "letter = 1;\n    b", ContentType::plainText},
    {"KeywordEndsText", "x;\n    y\nimport", ContentType::plainText},
    {"KeywordAfterVerticalTab", "x\vimport os", ContentType::code},
    {"KeywordAfterLineSeparator", "x\u2028import os", ContentType::code},
    {"KeywordAfterIdeographicSpace", "x\n\u3000import os", ContentType::code},
    {"KeywordBeforeNoBreakSpace", "x\nimport\u00a0os", ContentType::code},
    {"KeywordAfterNonAsciiWord", "\u00e9 import os;\n    x", ContentType::plainText},
    {"KeywordAfterLineSeparatorRun", "x;" + repeated("\u2028", 1000) + "y\u2028 import os",
     ContentType::code},
    {"KeywordAfterBlankRunAndWord", "x;\n" + std::string(1000, '\n') + "y\nimport os",
     ContentType::code},
    {"FourSpaceIndent", "let a\n    b", ContentType::code},
    {"FiveSpaceIndent", "let a\n     b", ContentType::plainText},
    {"TabIndent", "let a\n\tb", ContentType::plainText},
    {"LeadingIndentIsTrimmed", "    let a = 1", ContentType::plainText},
};
INSTANTIATE_TEST_SUITE_P(Code, DetectTest, testing::ValuesIn(codeCases), nameOf);

// Texts no clipboard should hold but any clipboard may: they still get a definite type.
const std::vector<DetectCase> oddCases{
    {"InvalidUtf8", "\xff\xfe\x80", ContentType::plainText},
    {"InvalidUtf8InsideJsonString", "[\"\xff\"]", ContentType::json},
    {"InvalidUtf8BeforeImageExtension", "\xc3photo.png", ContentType::image},
    {"NulDoesNotEndTheText", std::string("x\0\nimport os", 12), ContentType::code},
    {"MegabyteOfOpeningBrackets", std::string(1 << 20, '['), ContentType::plainText},
    {"HundredThousandStars", std::string(100000, '*'), ContentType::plainText},
    {"MegabyteOfUnclosedTags", repeated("<a", 1 << 19), ContentType::plainText},
    {"LongLinkWithoutParenthesis", repeated("[", 1 << 18) + "]", ContentType::plainText},
};
INSTANTIATE_TEST_SUITE_P(Odd, DetectTest, testing::ValuesIn(oddCases), nameOf);

// Adversarial texts whose type may depend on a search running out of time: they must only
// come back with some type.
TEST(DetectBoundedTest, pathologicalTextsReturn) {
    const std::vector<std::string> texts{
        repeated("[", 1 << 18) + repeated("]", 1 << 18),
        "x" + std::string(1 << 18, '\n') + "import os",
        "x\n" + repeated(" \n", 1 << 17) + "class A",
        repeated("[a](", 1 << 17),
        repeated("``", 1 << 17) + "`" + std::string(1 << 18, 'a'),
        std::string(1 << 18, '\0'),
    };
    for (const std::string& text : texts) {
        const ContentType type = ContentDetector::detect(text);
        EXPECT_FALSE(rawValue(type).empty());
    }
}

TEST(DetectBoundedTest, everyByteValueReturns) {
    std::string bytes;
    for (int value = 0; value < 256; ++value) {
        bytes += static_cast<char>(value);
    }
    const std::string text = repeated(bytes, 4096);
    EXPECT_FALSE(rawValue(ContentDetector::detect(text)).empty());
}

// The compiled patterns are shared: callers on several threads must get the answers of a
// single caller.
TEST(DetectThreadsTest, concurrentCallersAgree) {
    std::vector<DetectCase> cases = markdownCases;
    cases.insert(cases.end(), codeCases.begin(), codeCases.end());
    cases.insert(cases.end(), urlCases.begin(), urlCases.end());
    std::vector<std::vector<ContentType>> results(4);
    std::vector<std::thread> threads;
    for (std::vector<ContentType>& result : results) {
        threads.emplace_back([&cases, &result] {
            for (const DetectCase& detectCase : cases) {
                result.push_back(ContentDetector::detect(detectCase.text));
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (const std::vector<ContentType>& result : results) {
        ASSERT_EQ(result.size(), cases.size());
        for (std::size_t index = 0; index < cases.size(); ++index) {
            EXPECT_EQ(result[index], cases[index].expected) << cases[index].name;
        }
    }
}

}  // namespace
}  // namespace nimbrook
