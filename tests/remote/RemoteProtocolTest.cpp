#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/NamedCase.h"
#include "remote/FrameReader.h"
#include "remote/RemoteProtocol.h"

namespace nimbrook {
namespace {

using Words = std::vector<std::string>;

// Whatever the words hold (UTF-8, bytes of any value but NUL, empty words), the running
// instance reads back exactly what the command line sent.
TEST(RemoteProtocol, RequestDecodesAsItWasEncoded) {
    for (const Words& words : {Words{"clear"}, Words{"search", "0", "text", ""},
                               Words{"search", "0", "json", "剪贴板\x01\xff\x80\n\t"}}) {
        const std::string frame = RemoteProtocol::encodeRequest(words);
        ASSERT_EQ(RemoteProtocol::payloadSize(frame), frame.size() - RemoteProtocol::headerSize);
        EXPECT_EQ(RemoteProtocol::decodeRequest(frame.substr(RemoteProtocol::headerSize)), words);
    }
    EXPECT_EQ(RemoteProtocol::decodeRequest(""), std::nullopt);
}

// A payload cut inside the output is refused rather than read as a shorter reply.
TEST(RemoteProtocol, ReplyDecodesAsItWasEncoded) {
    for (const RemoteReply& reply : {RemoteReply{}, RemoteReply{0, std::string("a\0b\0", 4), ""},
                                     RemoteReply{1, "转换无变化\n", "nimbrook: error\n"},
                                     RemoteReply{RemoteReply::noInstance, "", "x"}}) {
        const std::string frame = RemoteProtocol::encodeReply(reply);
        const auto payload = std::string_view(frame).substr(RemoteProtocol::headerSize);
        ASSERT_EQ(RemoteProtocol::payloadSize(frame), payload.size());
        EXPECT_EQ(RemoteProtocol::decodeReply(std::string(payload)), reply);
        if (!reply.output.empty()) {
            const auto cut = payload.substr(0, payload.size() - reply.error.size() - 1);
            EXPECT_EQ(RemoteProtocol::decodeReply(std::string(cut)), std::nullopt);
        }
    }
}

// A frame arrives in pieces of any size; the reader takes only its own bytes and refuses
// an announced size beyond the bound before reading the payload.
struct ReaderCase {
    std::string name;
    std::vector<std::string> chunks;
    FrameReader::State state;
    std::string payload;
    std::size_t untaken = 0;
};

class FrameReading : public testing::TestWithParam<ReaderCase> {};

TEST_P(FrameReading, EndsInTheExpectedState) {
    FrameReader reader(8);
    std::size_t untaken = 0;
    for (const auto& chunk : GetParam().chunks) {
        untaken += chunk.size() - reader.append(chunk);
    }
    EXPECT_EQ(reader.state(), GetParam().state);
    EXPECT_EQ(untaken, GetParam().untaken);
    if (reader.state() == FrameReader::State::complete) {
        EXPECT_EQ(reader.payload(), GetParam().payload);
    } else if (reader.state() == FrameReader::State::incomplete) {
        EXPECT_GE(reader.missing(), 1u);
    }
}

using enum FrameReader::State;
const std::string header3("\0\0\0\3", 4);
const ReaderCase readerCases[] = {
    {"ByteByByte", {std::string(1, 0), std::string(2, 0), "\3", "a", "b", "c"}, complete, "abc"},
    {"ExtraBytesAreLeft", {header3 + "abcdef"}, complete, "abc", 3},
    {"EmptyPayload", {std::string(4, '\0')}, complete, ""},
    {"PartialHeader", {std::string(3, '\0')}, incomplete, ""},
    {"PartialPayload", {header3 + "ab"}, incomplete, ""},
    {"AtTheBound", {std::string("\0\0\0\x08", 4) + "12345678"}, complete, "12345678"},
    {"OverTheBound", {std::string("\0\0\0\x09", 4) + "123456789"}, oversized, "", 9},
    {"GarbageHeader", {std::string(10'000, 'x')}, oversized, "", 9'996},
};
INSTANTIATE_TEST_SUITE_P(RemoteProtocol, FrameReading, testing::ValuesIn(readerCases), nameOf);

}  // namespace
}  // namespace nimbrook
