#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "NamedCase.h"
#include "model/HistoryCodec.h"

namespace nimbrook {
namespace {

using nimbrook::PrintTo;  // found by the printer through the cases' namespace

const Uuid firstId = *Uuid::parse("E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
const Uuid secondId = *Uuid::parse("00000000-0000-4000-8000-000000000001");

std::string entry(const std::string& members) {
    return "[{" + members + "}]";
}

const std::string validMembers =
    R"("id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","content":"x","contentType":"code","timestamp":1)";

TEST(HistoryCodecTest, writesTheExactCompactForm) {
    const std::vector<ClipboardItem> items{
        ClipboardItem(firstId, "/tmp/clipboard_1.png", ContentType::image,
                      Timestamp{786000000.123456}, std::nullopt),
        ClipboardItem(secondId, "你好\t\"世界\"\\", ContentType::plainText, Timestamp{0}, "终端"),
    };
    EXPECT_EQ(HistoryCodec::encode(items),
              R"([{"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","content":"\/tmp\/clipboard_1.png",)"
              R"("contentType":"image","timestamp":786000000.123456},)"
              R"({"id":"00000000-0000-4000-8000-000000000001","content":"你好\t\"世界\"\\",)"
              R"("contentType":"plainText","timestamp":0,"sourceApp":"终端"}])");
}

TEST(HistoryCodecTest, emptyHistoryIsAnEmptyArray) {
    EXPECT_EQ(HistoryCodec::encode({}), "[]");
}

// A broken clock must not leave an entry that makes every later save fail.
TEST(HistoryCodecTest, timestampThatJsonCannotHoldIsWrittenAsTheReferenceDate) {
    for (const double broken : {std::nan(""), -std::numeric_limits<double>::infinity()}) {
        const std::vector<ClipboardItem> items{
            ClipboardItem(firstId, "x", ContentType::code, Timestamp{broken}, std::nullopt)};
        EXPECT_EQ(HistoryCodec::encode(items),
                  entry(validMembers.substr(0, validMembers.size() - 1) + "0"));
    }
}

struct RoundTripCase {
    std::string name;
    std::string content;
    double timestamp;
    std::optional<std::string> sourceApp;
};

std::string allControlCharacters() {
    std::string text;
    for (char character = 0; character < 0x20; ++character) {
        text += character;
    }
    return text + "\x7F";
}

const RoundTripCase roundTripCases[] = {
    {"chineseTabQuote", "中文\t\"引号\"", 786000000.123456, "微信"},
    {"slashesAndBackslashes", "/a\\/b//\\", 1, std::nullopt},
    {"controlCharacters", allControlCharacters(), 2, "x"},
    {"lineAndParagraphSeparators",
     "a\xE2\x80\xA8"
     "b\xE2\x80\xA9",
     3, std::nullopt},
    {"emoji", "\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9", 4, std::nullopt},
    {"emptyContentAndSource", "", 5, ""},
    {"scriptTag", "</script><!--", 6, std::nullopt},
    {"timestampZero", "x", 0, std::nullopt},
    {"timestampNegative", "x", -1.5, std::nullopt},
    {"timestampTenth", "x", 0.1, std::nullopt},
    {"timestampSubnormal", "x", 4.9406564584124654e-324, std::nullopt},
    {"timestampLargest", "x", std::numeric_limits<double>::max(), std::nullopt},
    {"timestampMicroseconds", "x", 786000000.000001, std::nullopt},
};

class RoundTripTest : public testing::TestWithParam<RoundTripCase> {};

TEST_P(RoundTripTest, readsBackIdentical) {
    const RoundTripCase& testCase = GetParam();
    const std::vector<ClipboardItem> items{
        ClipboardItem(firstId, testCase.content, ContentType::markdown,
                      Timestamp{testCase.timestamp}, testCase.sourceApp)};
    const auto decoded = HistoryCodec::decode(HistoryCodec::encode(items));
    ASSERT_TRUE(decoded.has_value());
    ASSERT_EQ(decoded->size(), 1u);
    const ClipboardItem& item = decoded->front();
    EXPECT_EQ(item.id(), firstId);
    EXPECT_EQ(item.content(), testCase.content);
    EXPECT_EQ(item.contentType(), ContentType::markdown);
    EXPECT_EQ(item.timestamp().secondsSinceReferenceDate, testCase.timestamp);
    EXPECT_EQ(item.sourceApp(), testCase.sourceApp);
}

INSTANTIATE_TEST_SUITE_P(Cases, RoundTripTest, testing::ValuesIn(roundTripCases), nameOf);

struct AcceptCase {
    std::string name;
    std::string bytes;
    std::size_t count;
    std::string firstContent;
    std::optional<std::string> firstSource;
    double firstTimestamp;
};

std::string nestedArrays(std::size_t depth) {
    return std::string(depth, '[') + std::string(depth, ']');
}

const AcceptCase acceptCases[] = {
    {"emptyArray", "[]", 0, "", std::nullopt, 0},
    {"whiteSpaceAround", " \n[ ]\t\r\n", 0, "", std::nullopt, 0},
    {"lowerCaseId",
     entry(
         R"("id":"e621e1f8-c36c-495a-93fc-0c247a3e6e5f","content":"a","contentType":"url","timestamp":2.5)"),
     1, "a", std::nullopt, 2.5},
    {"membersInAnyOrder",
     entry(
         R"("sourceApp":"Kate","timestamp":7,"contentType":"json","content":"{}","id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F")"),
     1, "{}", "Kate", 7},
    {"sourceAppNull", entry(validMembers + R"(,"sourceApp":null)"), 1, "x", std::nullopt, 1},
    {"unknownMembersOfEveryKind",
     entry(
         validMembers +
         R"(,"pinned":true,"n":null,"extra":{"id":5,"content":[1,{"a":[]}]},"list":[[],{}],"more":"\u4f60")"),
     1, "x", std::nullopt, 1},
    {"deeplyNestedUnknownMember", entry(validMembers + R"(,"deep":)" + nestedArrays(5000)), 1, "x",
     std::nullopt, 1},
    {"exponentTimestamp",
     entry(
         R"("id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","content":"a","contentType":"image","timestamp":7.86E8)"),
     1, "a", std::nullopt, 786000000},
    {"hugeIntegerTimestamp",
     entry(
         R"("id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","content":"a","contentType":"image","timestamp":123456789012345678901234567890)"),
     1, "a", std::nullopt, 1.2345678901234568e29},
    {"escapedText",
     entry(
         R"("id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","content":"\u4f60\ud83d\ude00\/","contentType":"code","timestamp":-3)"),
     1, "你\xF0\x9F\x98\x80/", std::nullopt, -3},
    {"duplicatesKept", "[{" + validMembers + "},{" + validMembers + "}]", 2, "x", std::nullopt, 1},
};

class AcceptTest : public testing::TestWithParam<AcceptCase> {};

TEST_P(AcceptTest, decodesWhatTheFormatAllows) {
    const AcceptCase& testCase = GetParam();
    const auto decoded = HistoryCodec::decode(testCase.bytes);
    ASSERT_TRUE(decoded.has_value());
    ASSERT_EQ(decoded->size(), testCase.count);
    if (testCase.count > 0) {
        EXPECT_EQ(decoded->front().id(), firstId);
        EXPECT_EQ(decoded->front().content(), testCase.firstContent);
        EXPECT_EQ(decoded->front().sourceApp(), testCase.firstSource);
        EXPECT_EQ(decoded->front().timestamp().secondsSinceReferenceDate, testCase.firstTimestamp);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, AcceptTest, testing::ValuesIn(acceptCases), nameOf);

struct RejectCase {
    std::string name;
    std::string bytes;
};

const std::string idMember = R"("id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F")";

const RejectCase rejectCases[] = {
    {"empty", ""},
    {"whiteSpaceOnly", " \n"},
    {"objectAtTop", "{}"},
    {"nullAtTop", "null"},
    {"stringAtTop", R"("[]")"},
    {"numberEntry", "[1]"},
    {"arrayEntry", "[[]]"},
    {"nullEntry", "[null]"},
    {"missingId", entry(R"("content":"x","contentType":"code","timestamp":1)")},
    {"missingContent", entry(idMember + R"(,"contentType":"code","timestamp":1)")},
    {"missingContentType", entry(idMember + R"(,"content":"x","timestamp":1)")},
    {"missingTimestamp", entry(idMember + R"(,"content":"x","contentType":"code")")},
    {"idNumber", entry(R"("id":7,"content":"x","contentType":"code","timestamp":1)")},
    {"idMalformed",
     entry(
         R"("id":"E621E1F8C36C495A93FC0C247A3E6E5F","content":"x","contentType":"code","timestamp":1)")},
    {"idBraced",
     entry(
         R"("id":"{E621E1F8-C36C-495A-93FC-0C247A3E6E5F}","content":"x","contentType":"code","timestamp":1)")},
    {"contentNumber", entry(idMember + R"(,"content":1,"contentType":"code","timestamp":1)")},
    {"contentNull", entry(idMember + R"(,"content":null,"contentType":"code","timestamp":1)")},
    {"contentArray", entry(idMember + R"(,"content":["x"],"contentType":"code","timestamp":1)")},
    {"contentTypeText", entry(idMember + R"(,"content":"x","contentType":"text","timestamp":1)")},
    {"contentTypeCapitalised",
     entry(idMember + R"(,"content":"x","contentType":"PlainText","timestamp":1)")},
    {"contentTypeNull", entry(idMember + R"(,"content":"x","contentType":null,"timestamp":1)")},
    {"timestampString", entry(idMember + R"(,"content":"x","contentType":"code","timestamp":"1")")},
    {"timestampNull", entry(idMember + R"(,"content":"x","contentType":"code","timestamp":null)")},
    {"timestampBoolean",
     entry(idMember + R"(,"content":"x","contentType":"code","timestamp":true)")},
    {"timestampNaNLiteral",
     entry(idMember + R"(,"content":"x","contentType":"code","timestamp":NaN)")},
    {"sourceAppNumber", entry(validMembers + R"(,"sourceApp":5)")},
    {"sourceAppBoolean", entry(validMembers + R"(,"sourceApp":false)")},
    {"sourceAppObject", entry(validMembers + R"(,"sourceApp":{})")},
    {"oneBadEntryAmongGood", "[{" + validMembers + "},{" + validMembers +
                                 R"(,"contentType":"text"},{)" + validMembers + "}]"},
    {"truncated", entry(validMembers).substr(0, 40)},
    {"missingClosingBracket", "[{" + validMembers + "}"},
    {"trailingComma", "[{" + validMembers + "},]"},
    {"trailingGarbage", "[]x"},
    {"twoArrays", "[][]"},
    {"comment", "[/* */]"},
    {"singleQuotes", "['x']"},
    {"invalidUtf8InContent",
     entry(idMember + ",\"content\":\"a\xFF\",\"contentType\":\"code\",\"timestamp\":1")},
    {"invalidUtf8InUnknownMember", entry(validMembers + ",\"other\":\"\xC3\"")},
    {"loneSurrogateEscape",
     entry(idMember + R"(,"content":"\ud800","contentType":"code","timestamp":1)")},
    {"rawControlCharacter",
     entry(idMember + ",\"content\":\"a\nb\",\"contentType\":\"code\",\"timestamp\":1")},
    {"binary", std::string("\x00\x01\x89PNG\r\n\x1A\n", 10)},
    {"deeplyNestedArrays", std::string(200000, '[')},
    {"deeplyNestedClosed", nestedArrays(200000)},
};

class RejectTest : public testing::TestWithParam<RejectCase> {};

TEST_P(RejectTest, failsTheWholeFile) {
    EXPECT_EQ(HistoryCodec::decode(GetParam().bytes), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(Cases, RejectTest, testing::ValuesIn(rejectCases), nameOf);

}  // namespace
}  // namespace nimbrook
