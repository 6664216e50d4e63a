#include <algorithm>
#include <fstream>
#include <regex>

#include <nlohmann/json.hpp>
#include <poll.h>

#include "RemoteFixture.h"
#include "remote/RemoteProtocol.h"

namespace nimbrook::e2e {
namespace {

using namespace std::chrono_literals;

// Text that the JSON listing escapes in every way, in characters of every width.
std::string mixed(std::size_t size) {
    const std::string pattern = "萤川 \"quoted\" \\ tab\t ctrl\x01 é 📋 line\n";
    std::string text;
    text.reserve(size + pattern.size());
    while (text.size() < size) {
        text += pattern;
    }
    return text;
}

// About 10 MB: 20 entries of half a megabyte.
std::vector<HistoryEntry> tenMegabytes() {
    return std::vector<HistoryEntry>(20, HistoryEntry{mixed(512 * 1024), "plainText", "编辑器"});
}

// Replies that take long to read, against the program's memory and its connections.
class ReplyPaceTest : public RemoteFixture {
protected:
    // The running program's resident memory in kB (VmRSS).
    std::size_t residentKilobytes() const {
        std::ifstream status("/proc/" + std::to_string(program_->processId()) + "/status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.starts_with("VmRSS:")) {
                return std::stoul(line.substr(6));
            }
        }
        return 0;
    }

    // Runs build/nimbrook with `arguments` into the paced reader (PacedReader.cpp); returns
    // where the reader keeps what it read, its log beside it.
    std::filesystem::path readPaced(const std::string& name,
                                    const std::vector<std::string>& arguments,
                                    std::chrono::milliseconds pause, std::size_t perSecond,
                                    std::size_t limit = 0) {
        const auto kept = root_ / (name + ".out");
        std::vector<std::string> command{NIMBROOK_PACED_READER,         kept.string(),
                                         std::to_string(pause.count()), std::to_string(perSecond),
                                         std::to_string(limit),         NIMBROOK_PROGRAM};
        command.insert(command.end(), arguments.begin(), arguments.end());
        keep(command, name);
        return kept;
    }

    // What the reader `name` reported as `what` ("pid", "status"), once it did.
    std::optional<int> reported(const std::string& name, const std::string& what) const {
        const std::string log = readFile(root_ / (name + ".log"));
        std::smatch match;
        if (!std::regex_search(log, match, std::regex(what + " (\\d+)\n"))) {
            return std::nullopt;
        }
        return std::stoi(match[1].str());
    }

    std::optional<int> statusOf(const std::string& name) const {
        std::optional<int> status;
        eventually([&] { return (status = reported(name, "status")).has_value(); }, 180s);
        return status;
    }
};

// Whether process `pid` holds a socket open.
bool holdsASocket(int pid) {
    std::error_code error;
    for (const auto& entry :
         std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error)) {
        if (std::filesystem::read_symlink(entry.path(), error).string().starts_with("socket:")) {
            return true;
        }
    }
    return false;
}

// A hundred clients that ask for the whole JSON listing and never read cost the program a
// chunk each, not a listing each (10 MB each, a gigabyte in all, before), and leave it
// answering.
TEST_F(ReplyPaceTest, ClientsThatNeverReadCostBoundedMemory) {
    writeHistory(tenMegabytes());
    ASSERT_NO_FATAL_FAILURE(startProgram());
    ASSERT_EQ(nimbrook({"list", "--json"}).status, 0);
    const std::size_t before = residentKilobytes();
    std::vector<FileDescriptor> stalled;
    for (int i = 0; i < 100; ++i) {
        FileDescriptor connection = connected();
        ASSERT_TRUE(connection.isOpen());
        ASSERT_TRUE(FileDescriptor::writeAll(connection.get(),
                                             RemoteProtocol::encodeRequest({"list", "0", "json"})));
        stalled.push_back(std::move(connection));
    }
    // Each is answered: its reply fills the socket's buffer.
    EXPECT_TRUE(eventually(
        [&] {
            return std::ranges::all_of(stalled, [](const FileDescriptor& connection) {
                pollfd readable{.fd = connection.get(), .events = POLLIN, .revents = 0};
                return ::poll(&readable, 1, 0) == 1;
            });
        },
        90s));
    const std::size_t during = residentKilobytes();
    RecordProperty("residentKilobytesBefore", std::to_string(before));
    RecordProperty("residentKilobytesWithStalledClients", std::to_string(during));
    EXPECT_LT(during, before + 100 * 1024) << "kB resident, " << before << " before";
    const auto listing = nimbrook({"list"});
    EXPECT_EQ(listing.status, 0);
    EXPECT_EQ(std::ranges::count(listing.output, '\n'), 20);
}

// A reader slower than the program (400 KB/s of a 20 MB entry) gets the entry whole, and the
// command line lets go of the program's connection long before the reader is done.
TEST_F(ReplyPaceTest, ASlowReaderGetsALongEntryWithoutHoldingTheProgram) {
    const std::string twenty = mixed(20 << 20);
    writeHistory({{twenty, "plainText", std::nullopt}});
    ASSERT_NO_FATAL_FAILURE(startProgram());
    const auto kept = readPaced("get", {"get", "1"}, 0ms, 400 * 1000);
    std::optional<int> pid;
    ASSERT_TRUE(eventually([&] { return (pid = reported("get", "pid")).has_value(); }));
    // Half of it takes the reader 25 s.
    EXPECT_TRUE(eventually(
        [&] {
            const auto read = std::filesystem::exists(kept) ? std::filesystem::file_size(kept) : 0;
            return read > 0 && read < twenty.size() / 2 && !holdsASocket(*pid);
        },
        60s))
        << "the command line held the connection while its reader was slow";
    EXPECT_EQ(statusOf("get"), 0);
    EXPECT_TRUE(readFile(kept) == twenty) << std::filesystem::file_size(kept) << " bytes";
    EXPECT_EQ(readFile(kept.string() + ".err"), "");
}

// A pager that waits a minute before it reads gets the whole listing (the program would cut
// off a connection that stalls for 30 s), and one that quits after a byte ends the command at
// once, quietly, with a status that says it did not all go out.
TEST_F(ReplyPaceTest, ReadersThatPauseOrQuitGetNoTruncatedListing) {
    const auto entries = tenMegabytes();
    writeHistory(entries);
    ASSERT_NO_FATAL_FAILURE(startProgram());
    const auto paused = readPaced("paused", {"list", "--json"}, 60s, 0);
    const auto quitting = readPaced("quitting", {"list", "--json"}, 0ms, 0, 1);
    EXPECT_EQ(statusOf("quitting"), 1);
    EXPECT_EQ(readFile(quitting.string() + ".err"), "");
    EXPECT_EQ(statusOf("paused"), 0);
    EXPECT_EQ(readFile(paused.string() + ".err"), "");
    const auto listing = nlohmann::json::parse(readFile(paused), nullptr, false);
    ASSERT_TRUE(listing.is_array()) << std::filesystem::file_size(paused) << " bytes";
    ASSERT_EQ(listing.size(), entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(listing[i].value("index", std::size_t{0}), i + 1);
        EXPECT_TRUE(listing[i].value("content", "") == entries[i].content);
    }
}

}  // namespace
}  // namespace nimbrook::e2e
