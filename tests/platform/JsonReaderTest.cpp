#include <algorithm>
#include <streambuf>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/NamedCase.h"
#include "platform/JsonReader.h"

namespace nimbrook {
namespace {

// Writes every event as a short token, so that a row states what the reader reported.
class Trace final : public JsonEvents {
public:
    bool null() override { return add("null"); }
    bool boolean(bool value) override { return add(value ? "true" : "false"); }
    bool number(std::string_view literal) override { return add("#" + std::string(literal)); }
    bool string(std::string_view value) override { return add("'" + std::string(value) + "'"); }
    bool key(std::string_view name) override { return add(std::string(name) + ":"); }
    bool startObject() override { return add("{"); }
    bool endObject() override { return add("}"); }
    bool startArray() override { return add("["); }
    bool endArray() override { return add("]"); }

    std::string text;

private:
    bool add(const std::string& token) {
        text += text.empty() ? token : " " + token;
        return true;
    }
};

// Hands out three bytes at a time, so that sequences, escapes, numbers and literals are cut
// by the end of a piece.
class TrickleBuffer final : public std::streambuf {
public:
    explicit TrickleBuffer(std::string bytes) : bytes_(std::move(bytes)) {}

protected:
    std::streamsize xsgetn(char* out, std::streamsize count) override {
        const auto taken = std::min<std::streamsize>(
            {count, 3, static_cast<std::streamsize>(bytes_.size() - at_)});
        std::copy_n(bytes_.data() + at_, taken, out);
        at_ += static_cast<std::size_t>(taken);
        return taken;
    }

private:
    std::string bytes_;
    std::size_t at_ = 0;
};

struct ReadCase {
    std::string name;
    std::string text;
    // Empty when the text is refused.
    std::string trace;
    std::size_t maxDepth = JsonReader::unbounded;
};

const ReadCase readCases[] = {
    {"scalarAtTopInWhiteSpace", " \t\r\n-0 \n", "#-0"},
    {"numberEndsTheText", "-12.5e+30", "#-12.5e+30"},
    {"nestedMembers", R"({"a":[true,false,null,{}],"b":"c"})",
     "{ a: [ true false null { } ] b: 'c' }"},
    {"numbersKeptAsWritten", "[1e400,-0.5E-7,12345678901234567890123]",
     "[ #1e400 #-0.5E-7 #12345678901234567890123 ]"},
    {"escapes", R"(["\"\\\/\b\f\n\r\t\u0041\u00e9\u4e2d"])", "[ '\"\\/\b\f\n\r\tAé中' ]"},
    {"surrogatePair", R"(["\ud83d\ude00"])", "[ '😀' ]"},
    {"escapedNul", R"(["a\u0000b"])", std::string("[ 'a\0b' ]", 9)},
    {"utf8OfEveryLength", "[\"aé中😀\U0010FFFF\"]", "[ 'aé中😀\U0010FFFF' ]"},
    {"withinDepth", "[[1]]", "[ [ #1 ] ]", 2},
    {"beyondDepth", "[[[1]]]", "", 2},
    {"loneHighSurrogate", R"(["\ud800x"])", ""},
    {"highSurrogateThenOther", R"(["\ud800\u0041"])", ""},
    {"loneLowSurrogate", R"(["\udc00"])", ""},
    {"shortUnicodeEscape", R"(["\u00e"])", ""},
    {"unknownEscape", R"(["\x"])", ""},
    {"overlongSequence", "[\"\xC0\xAF\"]", ""},
    {"encodedSurrogate", "[\"\xED\xA0\x80\"]", ""},
    {"beyondUnicode", "[\"\xF4\x90\x80\x80\"]", ""},
    {"cutSequence", "[\"\xE4\xB8\"]", ""},
    {"rawControlCharacter", "[\"a\nb\"]", ""},
    {"rawNul", std::string("[\"\0\"]", 4), ""},
    {"byteOrderMark", "\xEF\xBB\xBF[]", ""},
    {"leadingZero", "[01]", ""},
    {"pointWithoutDigits", "[1.]", ""},
    {"signAlone", "[-]", ""},
    {"exponentWithoutDigits", "[1e+]", ""},
    {"cutLiteral", "[tru]", ""},
    {"trailingComma", "[1,]", ""},
    {"keyNotString", "{1:2}", ""},
    {"missingColon", R"({"a" 1})", ""},
    {"unclosed", "[[]", ""},
    {"textAfterValue", "[] x", ""},
    {"secondValue", "[] []", ""},
    {"empty", " ", ""},
};

class ReadTest : public testing::TestWithParam<ReadCase> {};

TEST_P(ReadTest, reportsTheSameFromMemoryAndFromAStream) {
    const ReadCase& c = GetParam();
    Trace fromMemory;
    const bool readFromMemory = JsonReader(c.text, c.maxDepth).read(fromMemory);
    EXPECT_EQ(readFromMemory ? fromMemory.text : "", c.trace);
    EXPECT_EQ(readFromMemory, !c.trace.empty());

    TrickleBuffer buffer(c.text);
    Trace fromStream;
    const bool readFromStream = JsonReader(buffer, c.maxDepth).read(fromStream);
    EXPECT_EQ(readFromStream, readFromMemory);
    EXPECT_EQ(fromStream.text, fromMemory.text);
}

INSTANTIATE_TEST_SUITE_P(Cases, ReadTest, testing::ValuesIn(readCases), nameOf);

// Runs of plain text are taken eight bytes at a time: whatever stands at each place of such a
// run must still be seen.
TEST(ReadTest, findsEveryByteThatEndsAPlainRun) {
    for (const std::string special : {"\"", "\\n", "é", "😀", "\x01", "\xFF"}) {
        for (std::size_t at = 0; at < 17; ++at) {
            std::string text = "[\"" + std::string(24, 'a') + "\"]";
            text.replace(2 + at, 1, special);
            Trace trace;
            const bool valid = special == "\\n" || special == "é" || special == "😀";
            EXPECT_EQ(JsonReader(text).read(trace), valid) << at << " " << special;
        }
    }
}

}  // namespace
}  // namespace nimbrook
