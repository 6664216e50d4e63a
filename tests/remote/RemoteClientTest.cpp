#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "model/NamedCase.h"
#include "remote/RemoteClient.h"
#include "remote/RemoteProtocol.h"
#include "support/Files.h"
#include "support/TemporaryFolder.h"

namespace nimbrook {
namespace {

struct ForwardCase {
    std::string name;
    // What the fake running program sends back before closing the connection.
    std::string sent;
    int status;
    std::string output;
    std::string error;
};

const std::string noAnswer = "nimbrook: 正在运行的实例没有回答\n";
const std::string large(200 * 1024, 'x');

constexpr auto framed = &RemoteProtocol::encodeReply;

class Forward : public testing::TestWithParam<ForwardCase> {};

// The command line passes the reply on as it arrives: the lengths, not the closing of the
// connection, decide what is output, and a reply cut short says so with status 1.
TEST_P(Forward, PassesTheReplyOnOrSaysItBroke) {
    const TemporaryFolder temporary;
    const std::filesystem::path& folder = temporary.path();
    const auto path = folder / "socket";
    const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(server, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(server, 1), 0);
    std::thread fake([server, sent = GetParam().sent] {
        const int connection = ::accept(server, nullptr, nullptr);
        char request[64];
        static_cast<void>(::recv(connection, request, sizeof request, 0));
        // A blocking send returns once all is sent.
        static_cast<void>(::send(connection, sent.data(), sent.size(), MSG_NOSIGNAL));
        ::close(connection);
    });
    const int output = ::open((folder / "output").c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
    const int error = ::open((folder / "error").c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
    const auto status =
        RemoteClient::forward(path, {"list", "0", "json"}, std::chrono::seconds(10), output, error);
    fake.join();
    ::close(server);
    ::close(output);
    ::close(error);
    EXPECT_EQ(status, GetParam().status);
    EXPECT_EQ(readFile(folder / "output"), GetParam().output);
    EXPECT_EQ(readFile(folder / "error"), GetParam().error);
}

const ForwardCase forwardCases[] = {
    {"BothStreams", framed({4, "out\n", "err\n"}), 4, "out\n", "err\n"},
    {"LargerThanOneBuffer", framed({0, large, ""}), 0, large, ""},
    {"Nothing", "", 1, "", noAnswer},
    {"CutInTheHeader", framed({0, "out", ""}).substr(0, 6), 1, "", noAnswer},
    {"CutInTheOutput", framed({0, "output", ""}).substr(0, 12), 1, "", noAnswer},
    {"OutputLongerThanTheFrame", std::string("\0\0\0\5\0\0\0\0\x09", 9), 1, "", noAnswer},
};
INSTANTIATE_TEST_SUITE_P(RemoteClient, Forward, testing::ValuesIn(forwardCases), nameOf);

}  // namespace
}  // namespace nimbrook
