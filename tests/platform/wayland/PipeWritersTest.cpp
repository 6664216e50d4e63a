#include <array>
#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/wayland/PipeWriters.h"
#include "support/Files.h"

namespace nimbrook {
namespace {

using namespace std::chrono_literals;

struct Pipe {
    Pipe() { EXPECT_EQ(::pipe2(ends.data(), O_CLOEXEC), 0); }
    ~Pipe() { ::close(ends[0]); }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    std::array<int, 2> ends{-1, -1};
};

// Many times what a pipe holds: written on this thread before it is read, it would stall.
TEST(PipeWriters, LargeAnswersGoOnWhileTheCallerReads) {
    const auto picture = std::make_shared<const std::string>(4 << 20, '\x89');
    PipeWriters writers({.stall = 10s, .total = 60s});
    Pipe pipe;
    writers.write(pipe.ends[1], picture);
    EXPECT_TRUE(readToEnd(pipe.ends[0]) == *picture);
}

// Readers that never read take only their own threads; one past the bound gets nothing.
TEST(PipeWriters, OnePastTheBoundIsClosedAtOnce) {
    const auto picture = std::make_shared<const std::string>(1 << 20, 'p');
    PipeWriters writers({.stall = 10s, .total = 60s});
    std::vector<std::unique_ptr<Pipe>> pipes;
    for (std::size_t i = 0; i <= PipeWriters::maximumWriters; ++i) {
        pipes.push_back(std::make_unique<Pipe>());
        writers.write(pipes.back()->ends[1], picture);
    }
    EXPECT_EQ(readToEnd(pipes.back()->ends[0]), "");
    EXPECT_EQ(writers.running(), PipeWriters::maximumWriters);
    pipes.pop_back();
    for (const auto& pipe : pipes) {
        EXPECT_EQ(readToEnd(pipe->ends[0]).size(), picture->size());
    }
}

}  // namespace
}  // namespace nimbrook
