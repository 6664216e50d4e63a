#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "conversion/SmartConverter.h"
#include "platform/UnicodeText.h"

namespace nimbrook {
namespace {

using Conversion = SmartConverter::Conversion;

struct JsonCase {
    std::string name;
    std::string json;
};

const std::vector<JsonCase> jsonCases{
    {"sortedObject", R"({"b":{"d":[],"c":{}},"a":"x/y"})"},
    {"unicodeKeys", R"({"é":1,"e":2,"中":3,"😀":4,"\uff61":5})"},
    {"numbers", R"([0,-0,1.5,-2.25e-7,1e21,123456789.125,9007199254740993,0.1])"},
    {"nestedArrays", R"([[[]],[{}],[1,[2,[3]]]])"},
    {"escapes", R"(["\"\\\/\b\f\n\r\t\u0001"])"},
};

class JsonStabilityTest : public testing::TestWithParam<JsonCase> {};

TEST_P(JsonStabilityTest, prettyOfPrettyIsTheSameText) {
    const std::string pretty = SmartConverter::convert(GetParam().json, Conversion::prettifyJSON);
    EXPECT_EQ(SmartConverter::convert(pretty, Conversion::prettifyJSON), pretty);
}

TEST_P(JsonStabilityTest, compactOfPrettyIsTheCompactForm) {
    const std::string pretty = SmartConverter::convert(GetParam().json, Conversion::prettifyJSON);
    EXPECT_EQ(SmartConverter::convert(pretty, Conversion::minifyJSON),
              SmartConverter::convert(GetParam().json, Conversion::minifyJSON));
}

TEST_P(JsonStabilityTest, bothFormsKeepTheValue) {
    const nlohmann::json original = nlohmann::json::parse(GetParam().json);
    for (const Conversion conversion : {Conversion::prettifyJSON, Conversion::minifyJSON}) {
        EXPECT_EQ(nlohmann::json::parse(SmartConverter::convert(GetParam().json, conversion)),
                  original);
    }
}

INSTANTIATE_TEST_SUITE_P(Json, JsonStabilityTest, testing::ValuesIn(jsonCases),
                         [](const auto& info) { return info.param.name; });

struct HostileCase {
    std::string name;
    std::string text;
};

std::string repeated(std::string_view piece, std::size_t count) {
    std::string text;
    text.reserve(piece.size() * count);
    for (std::size_t index = 0; index < count; ++index) {
        text += piece;
    }
    return text;
}

// A realistic page on one line, as a minifier or a browser's "copy as HTML" gives it.
std::string singleLineHtml(std::size_t bytes) {
    const std::string block =
        R"(<div class="post"><h2 id="s">Section</h2><p>Some <b>bold</b> and <a href="https://e.com/a">a link</a> &amp; text.</p><ul><li>one</li><li>two</li></ul><pre><code>x = 1;</code></pre></div>)";
    return repeated(block, bytes / block.size() + 1);
}

std::vector<HostileCase> hostileCases() {
    return {
        {"singleLineHtml5MB", singleLineHtml(5'000'000)},
        {"asterisks", std::string(100'000, '*')},
        {"unclosedBrackets", std::string(100'000, '[')},
        {"unclosedLinkAnchors", repeated("<a ", 30'000)},
        {"unclosedBold", repeated("<b>x", 30'000)},
        {"unclosedHeadings", repeated("<h1 ", 30'000)},
        {"backtickRuns", repeated("``` ", 30'000)},
        {"lineFeeds", std::string(200'000, '\n')},
        {"deepJsonArray", std::string(100'000, '[') + std::string(100'000, ']')},
        {"deepJsonObject", repeated(R"({"a":)", 50'000) + "1" + std::string(50'000, '}')},
        {"binaryBytes",
         [] {
             std::string bytes;
             for (int index = 0; index < 100'000; ++index) {
                 bytes += static_cast<char>((index * 131) % 256);
             }
             return bytes;
         }()},
    };
}

class HostileInputTest : public testing::TestWithParam<HostileCase> {};

// Completion is the point: no crash, no hang, and a text the clipboard can take.
TEST_P(HostileInputTest, everyConversionCompletesWithValidUtf8) {
    for (const Conversion conversion : SmartConverter::allCases) {
        const std::string result = SmartConverter::convert(GetParam().text, conversion);
        EXPECT_TRUE(UnicodeText::isValidUtf8(result)) << SmartConverter::rawValue(conversion);
    }
}

INSTANTIATE_TEST_SUITE_P(Hostile, HostileInputTest, testing::ValuesIn(hostileCases()),
                         [](const auto& info) { return info.param.name; });

TEST(HostileResultTest, largeHtmlIsStillConverted) {
    const std::string result =
        SmartConverter::convert(singleLineHtml(1'000'000), Conversion::htmlToMarkdown);
    EXPECT_EQ(result.rfind("## Section\n\nSome **bold** and [a link](https://e.com/a) & text.", 0),
              0u);
    EXPECT_EQ(result.find('<'), std::string::npos);
}

// With a closing anchor on a later line, the link step rescans the text from every opener
// and runs out of time; it leaves its text as it was and the steps after it still run.
TEST(HostileResultTest, timedOutStepDoesNotStopTheChain) {
    const std::string text = "<b>x</b> &amp;lt; " + repeated("<a ", 30'000) + "\n</a>";
    EXPECT_EQ(SmartConverter::convert(text, Conversion::htmlToMarkdown), "**x** <");
}

}  // namespace
}  // namespace nimbrook
