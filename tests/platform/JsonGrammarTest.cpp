#include <random>
#include <string>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "model/NamedCase.h"
#include "platform/JsonGrammar.h"

namespace nimbrook {
namespace {

struct GrammarCase {
    std::string name;
    std::string text;
    bool document = false;
};

const GrammarCase grammarCases[] = {
    {"deeperThanAnyParserLimit", std::string(100000, '[') + std::string(100000, ']'), true},
    {"integerOfAThousandDigits", "[" + std::string(1000, '7') + "]", true},
    {"byteOrderMark", "\xEF\xBB\xBF[]", false},
    {"nulAfterTheArray", std::string("[]\0", 3), false},
    {"unclosedDeep", std::string(100000, '['), false},
};

class JsonGrammarTableTest : public testing::TestWithParam<GrammarCase> {};

TEST_P(JsonGrammarTableTest, tellsDocumentsApart) {
    EXPECT_EQ(JsonGrammar::isDocument(GetParam().text), GetParam().document);
}

INSTANTIATE_TEST_SUITE_P(Cases, JsonGrammarTableTest, testing::ValuesIn(grammarCases), nameOf);

std::string randomValue(std::mt19937& random, int depth) {
    static const std::string scalars[] = {"0",    "-12.5e+3", "1E2", "\"a\\u00e9\\n\"",
                                          "true", "null",     "\"\""};
    const auto pick = random() % (depth > 3 ? 1 : 3);
    if (pick == 0) {
        return scalars[random() % std::size(scalars)];
    }
    const bool object = pick == 1;
    std::string text(1, object ? '{' : '[');
    for (auto count = random() % 3; count > 0; --count) {
        text += object ? "\"k\": " : " ";
        text += randomValue(random, depth + 1);
        text += count > 1 ? "," : "";
    }
    return text + (object ? '}' : ']');
}

// Documents with up to two bytes inserted, removed or replaced, where nlohmann's strict
// parser (without its limits at this size) is the reference.
TEST(JsonGrammarTest, agreesWithAStrictParserOnMutatedDocuments) {
    constexpr std::string_view alphabet = "{}[],:\" \t\r\n\\u0e.-+tn1";
    std::mt19937 random(14);
    for (int round = 0; round < 20000; ++round) {
        std::string text = randomValue(random, 0);
        for (auto mutations = random() % 3; mutations > 0; --mutations) {
            const std::size_t at = random() % (text.size() + 1);
            const char c = alphabet[random() % alphabet.size()];
            switch (random() % 3) {
                case 0:
                    text.insert(at, 1, c);
                    break;
                case 1:
                    text.erase(at, 1);
                    break;
                default:
                    text.replace(at, 1, 1, c);
            }
        }
        const std::size_t first = text.find_first_not_of(" \t\r\n");
        const bool container =
            first != std::string::npos && (text[first] == '{' || text[first] == '[');
        ASSERT_EQ(JsonGrammar::isDocument(text), container && nlohmann::json::accept(text)) << text;
    }
}

}  // namespace
}  // namespace nimbrook
