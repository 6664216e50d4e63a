#include <chrono>
#include <csignal>
#include <filesystem>
#include <future>
#include <optional>
#include <string>
#include <thread>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

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
    // Standard output is a pipe whose reader has gone.
    bool readerGone = false;
};

const std::string noAnswer = "nimbrook: 正在运行的实例没有回答\n";

constexpr auto framed = &RemoteProtocol::encodeReply;
const std::string longOutput(9 << 20, 'o');

// A listening socket in a fresh folder that stands in for the running program.
class FakeProgram {
public:
    FakeProgram() {
        sockaddr_un address{.sun_family = AF_UNIX, .sun_path = {}};
        path_.string().copy(address.sun_path, sizeof address.sun_path - 1);
        EXPECT_EQ(
            ::bind(server_.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(::listen(server_.get(), 1), 0);
    }

    // Takes one request and sends `reply`.
    FileDescriptor answer(const std::string& reply) const {
        FileDescriptor connection(::accept(server_.get(), nullptr, nullptr));
        char request[64];
        static_cast<void>(::recv(connection.get(), request, sizeof request, 0));
        // A blocking send returns once all is sent.
        static_cast<void>(::send(connection.get(), reply.data(), reply.size(), MSG_NOSIGNAL));
        return connection;
    }

    const std::filesystem::path& folder() const { return temporary_.path(); }
    const std::filesystem::path& socket() const { return path_; }

private:
    TemporaryFolder temporary_;
    std::filesystem::path path_ = temporary_.path() / "socket";
    FileDescriptor server_{::socket(AF_UNIX, SOCK_STREAM, 0)};
};

std::optional<int> forward(const FakeProgram& program, int outputFd, int errorFd) {
    return RemoteClient::forward(program.socket(), {"list", "0", "json"}, std::chrono::seconds(10),
                                 {program.folder()}, outputFd, errorFd);
}

class Forward : public testing::TestWithParam<ForwardCase> {};

// The command line passes the reply on once it has it all: the lengths, not the closing of
// the connection, decide what is output, and a reply cut short says so with status 1 and
// writes none of its output. A reader gone before the end is no cause for a message.
TEST_P(Forward, PassesTheReplyOnOrSaysItBroke) {
    std::signal(SIGPIPE, SIG_IGN);
    const FakeProgram program;
    const std::jthread fake([&program, sent = GetParam().sent] { program.answer(sent); });
    const auto& folder = program.folder();
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ::close(ends[0]);
    const FileDescriptor gone(ends[1]);
    const FileDescriptor output(::open((folder / "output").c_str(), O_CREAT | O_WRONLY, 0600));
    const FileDescriptor error(::open((folder / "error").c_str(), O_CREAT | O_WRONLY, 0600));
    EXPECT_EQ(forward(program, GetParam().readerGone ? gone.get() : output.get(), error.get()),
              GetParam().status);
    EXPECT_TRUE(readFile(folder / "output") == GetParam().output);
    EXPECT_EQ(readFile(folder / "error"), GetParam().error);
}

const ForwardCase forwardCases[] = {
    {"BothStreams", framed({4, "out\n", "err\n"}), 4, "out\n", "err\n"},
    {"Nothing", "", 1, "", noAnswer},
    {"CutInTheHeader", framed({0, "out", ""}).substr(0, 6), 1, "", noAnswer},
    {"CutInTheOutput", framed({0, "output", ""}).substr(0, 12), 1, "", noAnswer},
    {"OutputLongerThanTheFrame", std::string("\0\0\0\5\0\0\0\0\x09", 9), 1, "", noAnswer},
    {"MegabytesThroughAFile", framed({0, longOutput, "err\n"}), 0, longOutput, "err\n"},
    {"CutPastTheMegabytes", framed({0, longOutput, ""}).substr(0, 6 << 20), 1, "", noAnswer},
    {.name = "ReaderGone",
     .sent = framed({0, "out\n", "err\n"}),
     .status = 1,
     .output = "",
     .error = "err\n",
     .readerGone = true},
};
INSTANTIATE_TEST_SUITE_P(RemoteClient, Forward, testing::ValuesIn(forwardCases), nameOf);

// A reader that takes nothing yet (a pager, a pipe that waits) never holds the program's
// connection: it is closed while the output still waits to be written.
TEST(RemoteClient, LetsGoOfTheProgramBeforeTheReaderTakesTheOutput) {
    const FakeProgram program;
    const std::string reply(1 << 20, 'r');
    std::promise<bool> closed;
    const std::jthread fake([&] {
        const FileDescriptor connection = program.answer(framed({0, reply, ""}));
        // Long enough for any machine, and only waited for when the client holds on.
        const timeval limit{.tv_sec = 20, .tv_usec = 0};
        ::setsockopt(connection.get(), SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        char byte;
        closed.set_value(::recv(connection.get(), &byte, 1, 0) == 0);
    });
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    FileDescriptor reading(ends[0]);
    FileDescriptor writing(ends[1]);
    std::string received;
    std::jthread reader([&received, &reading, wasClosed = closed.get_future()]() mutable {
        EXPECT_TRUE(wasClosed.get()) << "the connection was held while the output waited";
        received = readToEnd(reading.get());
    });
    const FileDescriptor error(
        ::open((program.folder() / "error").c_str(), O_CREAT | O_WRONLY, 0600));
    EXPECT_EQ(forward(program, writing.get(), error.get()), 0);
    writing.close();
    reader.join();
    EXPECT_TRUE(received == reply);
}

}  // namespace
}  // namespace nimbrook
