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
struct RequestCase {
    std::string name;
    Words words;
};

class RequestRoundTrip : public testing::TestWithParam<RequestCase> {};

TEST_P(RequestRoundTrip, DecodesWhatWasEncoded) {
    const std::string frame = RemoteProtocol::encodeRequest(GetParam().words);
    FrameReader reader(RemoteProtocol::maximumRequestSize);
    EXPECT_EQ(reader.append(frame), frame.size());
    ASSERT_EQ(reader.state(), FrameReader::State::complete);
    EXPECT_EQ(RemoteProtocol::decodeRequest(reader.payload()), GetParam().words);
}

const RequestCase requestCases[] = {
    {"Command", {"clear"}},
    {"EmptyTrailingWord", {"search", "0", "text", ""}},
    {"ChineseAndBinaryBytes", {"search", "0", "json", "剪贴板\x01\xff\x80\n\t"}},
};
INSTANTIATE_TEST_SUITE_P(RemoteProtocol, RequestRoundTrip, testing::ValuesIn(requestCases), nameOf);

TEST(RemoteProtocol, EmptyRequestIsMalformed) {
    EXPECT_EQ(RemoteProtocol::decodeRequest(""), std::nullopt);
}

struct ReplyCase {
    std::string name;
    RemoteReply reply;
};

class ReplyRoundTrip : public testing::TestWithParam<ReplyCase> {};

TEST_P(ReplyRoundTrip, DecodesWhatWasEncodedAndRejectsATruncatedPayload) {
    const std::string frame = RemoteProtocol::encodeReply(GetParam().reply);
    const auto payload = std::string_view(frame).substr(RemoteProtocol::headerSize);
    ASSERT_EQ(RemoteProtocol::payloadSize(frame), payload.size());
    EXPECT_EQ(RemoteProtocol::decodeReply(std::string(payload)), GetParam().reply);
    if (!GetParam().reply.output.empty()) {
        EXPECT_EQ(RemoteProtocol::decodeReply(std::string(
                      payload.substr(0, payload.size() - GetParam().reply.error.size() - 1))),
                  std::nullopt);
    }
}

const ReplyCase replyCases[] = {
    {"Empty", {}},
    {"OutputWithNulBytes", {0, std::string("a\0b\0", 4), ""}},
    {"BothStreams", {1, "转换无变化\n", "nimbrook: error\n"}},
    {"NoInstanceStatus", {RemoteReply::noInstance, "", "x"}},
};
INSTANTIATE_TEST_SUITE_P(RemoteProtocol, ReplyRoundTrip, testing::ValuesIn(replyCases), nameOf);

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

const std::string header3("\0\0\0\3", 4);
const ReaderCase readerCases[] = {
    {"OneChunk", {header3 + "abc"}, FrameReader::State::complete, "abc"},
    {"ByteByByte",
     {header3.substr(0, 1), header3.substr(1, 2), header3.substr(3), "a", "b", "c"},
     FrameReader::State::complete,
     "abc"},
    {"ExtraBytesAreLeft", {header3 + "abcdef"}, FrameReader::State::complete, "abc", 3},
    {"EmptyPayload", {std::string(4, '\0')}, FrameReader::State::complete, ""},
    {"PartialHeader", {std::string(3, '\0')}, FrameReader::State::incomplete, ""},
    {"PartialPayload", {header3 + "ab"}, FrameReader::State::incomplete, ""},
    {"AtTheBound",
     {std::string("\0\0\0\x08", 4) + "12345678"},
     FrameReader::State::complete,
     "12345678"},
    {"OverTheBound",
     {std::string("\0\0\0\x09", 4) + "123456789"},
     FrameReader::State::oversized,
     "",
     9},
    {"GarbageHeader", {std::string(10'000, 'x')}, FrameReader::State::oversized, "", 9'996},
};
INSTANTIATE_TEST_SUITE_P(RemoteProtocol, FrameReading, testing::ValuesIn(readerCases), nameOf);

}  // namespace
}  // namespace nimbrook
