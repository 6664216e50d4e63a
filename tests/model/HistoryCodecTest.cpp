#include <cmath>
#include <limits>
#include <numeric>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "NamedCase.h"
#include "model/HistoryCodec.h"

namespace nimbrook {
namespace {

const Uuid firstId = *Uuid::parse("E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
const Uuid secondId = *Uuid::parse("00000000-0000-4000-8000-000000000001");

const std::string idMember = R"("id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F")";
const std::string validMembers = idMember + R"(,"content":"x","contentType":"code","timestamp":1)";

std::string entry(const std::string& members) {
    return "[{" + members + "}]";
}

// A timestamp JSON cannot hold, from a broken clock, is written as the reference date: kept,
// it would make every later save fail.
TEST(HistoryCodecTest, writesTheExactCompactForm) {
    const double infinity = std::numeric_limits<double>::infinity();
    const std::vector<ClipboardItem> items{
        ClipboardItem(firstId, "/tmp/clipboard_1.png", ContentType::image,
                      Timestamp{786000000.123456}, std::nullopt),
        ClipboardItem(secondId, "你好\t\"世界\"\\", ContentType::plainText, Timestamp{std::nan("")},
                      "终端"),
        ClipboardItem(firstId, "x", ContentType::code, Timestamp{-infinity}, std::nullopt),
    };
    EXPECT_EQ(HistoryCodec::encode(items),
              R"([{"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","content":"\/tmp\/clipboard_1.png",)"
              R"("contentType":"image","timestamp":786000000.123456},)"
              R"({"id":"00000000-0000-4000-8000-000000000001","content":"你好\t\"世界\"\\",)"
              R"("contentType":"plainText","timestamp":0,"sourceApp":"终端"},)"
              R"({"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","content":"x","contentType":"code",)"
              R"("timestamp":0}])");
}

std::string allControlCharacters() {
    std::string text(0x20, '\0');
    std::iota(text.begin(), text.end(), '\0');
    return text + "\x7F";
}

// The entry as the writer puts it down, every field exactly.
std::string written(std::string content, double timestamp, std::optional<std::string> source) {
    return HistoryCodec::encode(
        std::vector{ClipboardItem(firstId, std::move(content), ContentType::markdown,
                                  Timestamp{timestamp}, std::move(source))});
}

// Each is read, then written back in the exact form: the bytes themselves when none is given.
struct AcceptCase {
    std::string name;
    std::string bytes;
    std::string written = {};
};

const std::string valid = entry(validMembers);

const AcceptCase acceptCases[] = {
    {"chineseTabQuote", written("中文\t\"引号\"", 786000000.123456, "微信")},
    {"controlCharacters", written(allControlCharacters(), 2, "x")},
    {"emptyContentAndSource", written("", 5, "")},
    {"timestampTenth", written("x", 0.1, std::nullopt)},
    {"timestampSubnormal", written("x", 4.9406564584124654e-324, std::nullopt)},
    {"timestampLargest", written("x", std::numeric_limits<double>::max(), std::nullopt)},
    {"emptyArrayInWhiteSpace", " \n[ ]\t\r\n", "[]"},
    {"lowerCaseIdMembersInAnyOrder",
     entry(R"("sourceApp":"Kate","timestamp":7,"contentType":"json","content":"{}",)"
           R"("id":"e621e1f8-c36c-495a-93fc-0c247a3e6e5f")"),
     entry(idMember + R"(,"content":"{}","contentType":"json","timestamp":7,"sourceApp":"Kate")")},
    {"nullSourceAndUnknownMembersOfAnyKindOrDepth",
     entry(validMembers +
           R"(,"sourceApp":null,"starred":true,"n":null,"more":"\u4f60",)"
           R"("extra":{"id":5,"content":[1,{"a":[]}]},"deep":)" +
           std::string(5000, '[') + std::string(5000, ']')),
     valid},
    {"escapedTextExponentTimestamp",
     entry(idMember +
           R"(,"content":"\u4f60\ud83d\ude00\/","contentType":"code","timestamp":7.86E8)"),
     entry(idMember + R"(,"content":"你😀\/","contentType":"code","timestamp":786000000)")},
    {"duplicatesKept", "[{" + validMembers + "},{" + validMembers + "}]"},
    // Only a last "pinned" member that is true pins; no other value fails the file, which an
    // older or a foreign writer may have left.
    {"pinnedAfterTheSource", entry(validMembers + R"(,"sourceApp":"Kate","pinned":true)")},
    {"pinnedFirst", entry(R"("pinned":true,)" + validMembers),
     entry(validMembers + R"(,"pinned":true)")},
    {"pinnedFalse", entry(validMembers + R"(,"pinned":false)"), valid},
    {"pinnedString", entry(validMembers + R"(,"pinned":"true")"), valid},
    {"pinnedNumber", entry(validMembers + R"(,"pinned":1)"), valid},
    {"pinnedNull", entry(validMembers + R"(,"pinned":null)"), valid},
    {"pinnedNested", entry(validMembers + R"(,"pinned":{"pinned":[true]})"), valid},
    {"pinnedRepeatedLastFalse", entry(validMembers + R"(,"pinned":true,"pinned":false)"), valid},
    // A number too small for a double reads as zero; one too large fails (below).
    {"timestampUnderflowsToZero",
     entry(idMember + R"(,"content":"x","contentType":"code","timestamp":-1e-400)"),
     entry(idMember + R"(,"content":"x","contentType":"code","timestamp":0)")},
    {"pinnedRepeatedLastTrue", entry(validMembers + R"(,"pinned":"no","pinned":true)"),
     entry(validMembers + R"(,"pinned":true)")},
};

class AcceptTest : public testing::TestWithParam<AcceptCase> {};

TEST_P(AcceptTest, decodesWhatTheFormatAllows) {
    const auto decoded = HistoryCodec::decode(GetParam().bytes);
    ASSERT_TRUE(decoded.has_value());
    const std::string& expected =
        GetParam().written.empty() ? GetParam().bytes : GetParam().written;
    EXPECT_EQ(HistoryCodec::encode(*decoded), expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, AcceptTest, testing::ValuesIn(acceptCases), nameOf);

struct RejectCase {
    std::string name;
    std::string bytes;
};

const RejectCase rejectCases[] = {
    {"empty", ""},
    {"objectAtTop", "{}"},
    {"missingTimestamp", entry(idMember + R"(,"content":"x","contentType":"code")")},
    {"idNotAUuid", entry(R"("id":"E621E1F8","content":"x","contentType":"code","timestamp":1)")},
    {"contentTypeLabel", entry(idMember + R"(,"content":"x","contentType":"text","timestamp":1)")},
    {"timestampString", entry(idMember + R"(,"content":"x","contentType":"code","timestamp":"1")")},
    {"sourceAppNumber", entry(validMembers + R"(,"sourceApp":5)")},
    {"oneBadEntryAmongGood", "[{" + validMembers + "},{" + validMembers +
                                 R"(,"contentType":"text"},{)" + validMembers + "}]"},
    {"truncated", entry(validMembers).substr(0, 40)},
    {"trailingGarbage", "[]x"},
    {"byteOrderMark", "\xEF\xBB\xBF[]"},
    {"timestampBeyondDouble",
     entry(idMember + R"(,"content":"x","contentType":"code","timestamp":1e400)")},
    {"numberBeyondDoubleInUnknownMember", entry(validMembers + R"(,"other":[-1e400])")},
    {"nulInTheMiddle", std::string("[]\0garbage{", 11)},
    {"invalidUtf8InUnknownMember", entry(validMembers + ",\"other\":\"\xC3\"")},
    {"loneSurrogateEscape",
     entry(idMember + R"(,"content":"\ud800","contentType":"code","timestamp":1)")},
    {"rawControlCharacter",
     entry(idMember + ",\"content\":\"a\nb\",\"contentType\":\"code\",\"timestamp\":1")},
    {"deeplyNestedClosed", std::string(200000, '[') + std::string(200000, ']')},
};

class RejectTest : public testing::TestWithParam<RejectCase> {};

TEST_P(RejectTest, failsTheWholeFile) {
    EXPECT_EQ(HistoryCodec::decode(GetParam().bytes), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(Cases, RejectTest, testing::ValuesIn(rejectCases), nameOf);

}  // namespace
}  // namespace nimbrook
