#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>

#include "model/NamedCase.h"
#include "platform/FileDescriptor.h"
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

constexpr auto framed = &RemoteProtocol::encodeReply;

class Forward : public testing::TestWithParam<ForwardCase> {};

// The command line passes the reply on as it arrives: the lengths, not the closing of the
// connection, decide what is output, and a reply cut short says so with status 1.
TEST_P(Forward, PassesTheReplyOnOrSaysItBroke) {
    const TemporaryFolder temporary;
    const std::filesystem::path& folder = temporary.path();
    const auto path = folder / "socket";
    const FileDescriptor server(::socket(AF_UNIX, SOCK_STREAM, 0));
    sockaddr_un address{.sun_family = AF_UNIX, .sun_path = {}};
    path.string().copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(server.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(server.get(), 1), 0);
    const std::jthread fake([&server, sent = GetParam().sent] {
        const FileDescriptor connection(::accept(server.get(), nullptr, nullptr));
        char request[64];
        static_cast<void>(::recv(connection.get(), request, sizeof request, 0));
        // A blocking send returns once all is sent.
        static_cast<void>(::send(connection.get(), sent.data(), sent.size(), MSG_NOSIGNAL));
    });
    const FileDescriptor output(::open((folder / "output").c_str(), O_CREAT | O_WRONLY, 0600));
    const FileDescriptor error(::open((folder / "error").c_str(), O_CREAT | O_WRONLY, 0600));
    const auto status = RemoteClient::forward(path, {"list", "0", "json"}, std::chrono::seconds(10),
                                              output.get(), error.get());
    EXPECT_EQ(status, GetParam().status);
    EXPECT_EQ(readFile(folder / "output"), GetParam().output);
    EXPECT_EQ(readFile(folder / "error"), GetParam().error);
}

const ForwardCase forwardCases[] = {
    {"BothStreams", framed({4, "out\n", "err\n"}), 4, "out\n", "err\n"},
    {"Nothing", "", 1, "", noAnswer},
    {"CutInTheHeader", framed({0, "out", ""}).substr(0, 6), 1, "", noAnswer},
    {"CutInTheOutput", framed({0, "output", ""}).substr(0, 12), 1, "", noAnswer},
    {"OutputLongerThanTheFrame", std::string("\0\0\0\5\0\0\0\0\x09", 9), 1, "", noAnswer},
};
INSTANTIATE_TEST_SUITE_P(RemoteClient, Forward, testing::ValuesIn(forwardCases), nameOf);

}  // namespace
}  // namespace nimbrook
