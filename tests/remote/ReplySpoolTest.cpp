#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "model/NamedCase.h"
#include "platform/FileDescriptor.h"
#include "remote/ReplySpool.h"
#include "support/Files.h"
#include "support/TemporaryFolder.h"

namespace nimbrook {
namespace {

// Which of the folders offered can take a file.
enum class Folders { first, second, none };

struct SpoolCase {
    std::string name;
    std::size_t limit;
    std::vector<std::string> pieces;
    Folders folders;
    bool spilled;
};

std::vector<std::filesystem::path> offered(Folders folders, const std::filesystem::path& usable) {
    const auto missing = usable / "missing";
    switch (folders) {
        case Folders::first:
            return {usable, missing};
        case Folders::second:
            return {missing, usable};
        default:
            return {missing, missing};
    }
}

class Spooling : public testing::TestWithParam<SpoolCase> {};

// Whatever holds the bytes, they come back whole and in order; a file that holds them has no
// name in its folder that another process could open.
TEST_P(Spooling, GivesBackWhatItTook) {
    const SpoolCase& c = GetParam();
    const TemporaryFolder temporary;
    ReplySpool spool(offered(c.folders, temporary.path()), c.limit);
    std::string all;
    for (const auto& piece : c.pieces) {
        spool.append(piece);
        all += piece;
    }
    EXPECT_EQ(spool.spilled(), c.spilled);
    EXPECT_TRUE(std::filesystem::is_empty(temporary.path()));
    const auto path = temporary.path() / "out";
    const FileDescriptor out(::open(path.c_str(), O_CREAT | O_WRONLY, 0600));
    ASSERT_TRUE(spool.writeTo(out.get()));
    EXPECT_TRUE(readFile(path) == all);
}

const std::string megabyte(1 << 20, 'm');
const SpoolCase spoolCases[] = {
    {"SmallStaysInMemory", 100, {"abc", "def"}, Folders::first, false},
    {"AtTheLimitStaysInMemory", 6, {"abc", "def"}, Folders::first, false},
    {"PastTheLimitGoesToAFile", 4, {"abc", "defgh", "", "ij"}, Folders::first, true},
    {"MegabytesGoToAFile", 1 << 20, {megabyte, megabyte, "end"}, Folders::first, true},
    {"TheSecondFolderTakesIt", 4, {"abcdefgh", "ij"}, Folders::second, true},
    {"NoFolderTakesIt", 4, {"abcdefgh", "ij"}, Folders::none, false},
};
INSTANTIATE_TEST_SUITE_P(ReplySpool, Spooling, testing::ValuesIn(spoolCases), nameOf);

// Standard output left non-blocking by a parent fills up: the spool waits for the reader
// instead of reporting a failure.
TEST(ReplySpool, WaitsOnANonBlockingReader) {
    int ends[2];
    ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
    FileDescriptor reading(ends[0]);
    FileDescriptor writing(ends[1]);
    ASSERT_EQ(::fcntl(writing.get(), F_SETFL, O_NONBLOCK), 0);
    const TemporaryFolder temporary;
    ReplySpool spool({temporary.path()}, 1 << 16);
    const std::string reply(3 << 20, 'r');
    spool.append(reply);
    std::string received;
    std::jthread reader([&received, &reading] { received = readToEnd(reading.get()); });
    EXPECT_TRUE(spool.writeTo(writing.get()));
    writing.close();
    reader.join();
    EXPECT_TRUE(received == reply);
}

}  // namespace
}  // namespace nimbrook
