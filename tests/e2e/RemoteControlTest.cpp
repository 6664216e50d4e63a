#include <algorithm>
#include <random>
#include <thread>

#include <nlohmann/json.hpp>
#include <sys/socket.h>
#include <unistd.h>

#include "RemoteFixture.h"
#include "platform/FileDescriptor.h"
#include "remote/RemoteProtocol.h"

namespace nimbrook::e2e {
namespace {

class RemoteControlTest : public RemoteFixture {
protected:
    std::string clipboard() {
        return output({"/usr/bin/xclip", "-selection", "clipboard", "-out"}).value_or("");
    }

    // Sends raw bytes to the program's socket; whether it answers does not matter.
    void sendRaw(const std::string& bytes) {
        const FileDescriptor connection = connected();
        ASSERT_TRUE(connection.isOpen());
        const int fd = connection.get();
        // A blocking stream socket sends it all, unless the program hangs up first.
        ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        char reply[256];
        while (::recv(fd, reply, sizeof reply, 0) > 0) {
        }
    }
};

// Control characters and a megabyte pass the socket both ways unchanged.
const HistoryEntry binary{"bin:\x01\t\n\x1f\x7fÿend", "plainText", "Hex Editor"};
const HistoryEntry chinese{"萤川剪贴板：你好，世界\n第二行", "plainText", "文本编辑器"};
const HistoryEntry large{std::string(1 << 20, 'x'), "plainText", std::nullopt};
const HistoryEntry json{R"({"k": [1, 2]})", "json", "Firefox"};

// The command line against the running program: every command it sends, what each answers
// (RemoteCommandsTest holds the requests it never sends) and what reaches the clipboard.
TEST_F(RemoteControlTest, EveryCommandAgainstAKnownHistory) {
    const auto noInstance = nimbrook({"get", "1"});
    EXPECT_EQ(noInstance.status, 3);
    EXPECT_NE(noInstance.error.find("nimbrook"), std::string::npos);
    const HistoryEntry image{(imageFolder() / "clipboard_1.png").string(), "image", "GIMP"};
    const auto moment = writeHistory({binary, chinese, large, json, image});
    ASSERT_NO_FATAL_FAILURE(startProgram());
    const auto succeeds = [](const std::string& output) { return CommandResult{0, output, ""}; };
    const auto fails = [](int status, const std::string& error) {
        return CommandResult{status, "", "nimbrook: " + error + "\n"};
    };
    // The entry written `written`th, listed `index`th.
    const auto jsonLine = [&](std::size_t index, const HistoryEntry& entry, std::size_t written,
                              bool pinned) {
        return "{\"index\":" + std::to_string(index) + ",\"id\":\"" + idOf(written) +
               "\",\"type\":\"plainText\",\"timestamp\":\"" + moment + "\",\"sourceApp\":" +
               (entry.sourceApp ? nlohmann::json(*entry.sourceApp).dump() : "null") +
               ",\"pinned\":" + (pinned ? "true" : "false") +
               ",\"content\":" + nlohmann::json(entry.content).dump() + "}";
    };
    const std::string chineseRow =
        "\tText\t3小时前\t文本编辑器\t-\t萤川剪贴板：你好，世界 第二行\n";
    const std::vector<std::pair<std::vector<std::string>, CommandResult>> steps{
        {{"--version"}, succeeds("nimbrook " NIMBROOK_VERSION "\n")},
        {{"get", "x"}, fails(2, "“x”不是记录编号\n请运行 nimbrook --help 查看用法")},
        {{"list"},
         succeeds("1\tText\t3小时前\tHex Editor\t-\tbin: ÿend\n2" + chineseRow +
                  "3\tText\t3小时前\t-\t-\t" + std::string(120, 'x') +
                  "…\n4\tJSON\t3小时前\tFirefox\t-\t" + json.content +
                  "\n5\tImage\t3小时前\tGIMP\t-\t" + image.content + "\n")},
        {{"list", "--json", "--limit=2"},
         succeeds("[\n" + jsonLine(1, binary, 1, false) + ",\n" + jsonLine(2, chinese, 2, false) +
                  "\n]\n")},
        {{"search", "萤川"}, succeeds("2" + chineseRow)},
        {{"get", "1"}, succeeds(binary.content)},
        {{"get", "3"}, succeeds(large.content)},
        {{"get", "5"}, succeeds(image.content + "\n")},
        {{"get", "6"}, fails(1, "没有第 6 条记录（共 5 条）")},
        {{"convert", "5", "wrapCode"},
         fails(1, "第 5 条是 Image，不能用 wrapCode 转换（可用：无）")},
        {{"convert", "4", "minifyJSON"}, succeeds("已转换并复制\n")},
        {{"get", "4"}, succeeds(R"({"k":[1,2]})")},
        {{"pause"}, succeeds("")},
        {{"resume"}, succeeds("")},
        {{"delete", "1"}, succeeds("")},
        {{"get", "1"}, succeeds(chinese.content)},
        // Pinned, the large entry is listed first and numbered so; unpinned, it goes back
        // after the entries of its time.
        {{"pin", "2"}, succeeds("")},
        {{"list", "--json", "--limit=2"},
         succeeds("[\n" + jsonLine(1, large, 3, true) + ",\n" + jsonLine(2, chinese, 2, false) +
                  "\n]\n")},
        {{"search", "萤川"}, succeeds("2" + chineseRow)},
        {{"unpin", "1"}, succeeds("")},
        {{"get", "1"}, succeeds(chinese.content)},
        {{"get", "4"}, succeeds(large.content)},
    };
    for (const auto& [arguments, expected] : steps) {
        SCOPED_TRACE(arguments.front() + " " + arguments.back());
        const auto result = nimbrook(arguments);
        EXPECT_EQ(result.status, expected.status);
        EXPECT_TRUE(result.output == expected.output) << result.output.substr(0, 2000);
        EXPECT_EQ(result.error, expected.error);
    }
    EXPECT_TRUE(eventually([&] { return clipboard() == R"({"k":[1,2]})"; }));
    EXPECT_EQ(nimbrook({"copy", "1"}).status, 0);
    EXPECT_TRUE(eventually([&] { return clipboard() == chinese.content; }));

    // Standard input is not a terminal: nothing is asked.
    EXPECT_EQ(nimbrook({"clear"}).status, 0);
    EXPECT_EQ(nimbrook({"list", "--json"}).output, "[]\n");
    EXPECT_TRUE(eventually([&] { return history() && history()->empty(); }));
}

// Neither a flood of garbage nor another user reaching the socket (its folder opened up by
// mistake) harms the running program or its history.
TEST_F(RemoteControlTest, HostileClientsLeaveItWorking) {
    writeHistory({chinese});
    ASSERT_NO_FATAL_FAILURE(startProgram());
    std::string garbage(10 * 1024 * 1024, '\0');
    std::generate(garbage.begin(), garbage.end(), std::mt19937(13));
    ASSERT_NO_FATAL_FAILURE(sendRaw(garbage));
    ASSERT_NO_FATAL_FAILURE(
        sendRaw(std::string("\0\0\0\x05"
                            "get",
                            7)));
    EXPECT_EQ(nimbrook({"get", "1"}).output, chinese.content);

    if (::getuid() != 0) {
        GTEST_SKIP() << "another user needs root to switch to";
    }
    for (const auto& folder : {root_, root_ / "data", dataFolder()}) {
        std::filesystem::permissions(folder, std::filesystem::perms(0755));
    }
    std::filesystem::permissions(dataFolder() / "nimbrook.socket", std::filesystem::perms(0777));
    const auto other = nimbrook({"delete", "1"}, {"/usr/bin/setpriv", "--reuid=65534",
                                                  "--regid=65534", "--clear-groups", "--"});
    EXPECT_EQ(other.status, 2);
    EXPECT_EQ(other.error, "nimbrook: 拒绝连接：请求来自另一个用户\n");
    EXPECT_EQ(nimbrook({"get", "1"}).output, chinese.content);
}

// A reader slower than the reply is long, which never stalls, gets the whole reply: the
// program's time limit counts a stall, not the transfer.
TEST_F(RemoteControlTest, ASlowSteadyReaderGetsTheWholeReply) {
    const HistoryEntry seven{std::string(7 << 20, 's'), "plainText", std::nullopt};
    writeHistory({seven});
    ASSERT_NO_FATAL_FAILURE(startProgram());
    const FileDescriptor connection = connected();
    ASSERT_TRUE(connection.isOpen());
    ASSERT_TRUE(
        FileDescriptor::writeAll(connection.get(), RemoteProtocol::encodeRequest({"get", "1"})));
    // 64 KB every 0.3 s: about 34 s for the whole.
    std::string frame;
    std::vector<char> chunk(64 * 1024);
    ssize_t read = 0;
    do {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        read = ::recv(connection.get(), chunk.data(), chunk.size(), 0);
        frame.append(chunk.data(), static_cast<std::size_t>(std::max<ssize_t>(read, 0)));
    } while (read > 0);
    ASSERT_GE(frame.size(), RemoteProtocol::headerSize);
    const auto reply = RemoteProtocol::decodeReply(frame.substr(RemoteProtocol::headerSize));
    ASSERT_TRUE(reply.has_value()) << frame.size() << " bytes";
    EXPECT_TRUE(reply->output == seven.content);
}

// More idle connections than the program has descriptors (started with the usual 1,024):
// it keeps listening and answering, and its socket stays.
TEST_F(RemoteControlTest, IdleConnectionsNeverCloseTheServer) {
    writeHistory({chinese});
    ASSERT_NO_FATAL_FAILURE(startProgram({}, {"/usr/bin/prlimit", "--nofile=1024:1024", "--"}));
    std::vector<FileDescriptor> idle;
    // A full queue of connections waiting to be taken refuses for a moment.
    ASSERT_TRUE(eventually([&] {
        while (idle.size() < 1100) {
            FileDescriptor connection = connected(SOCK_NONBLOCK);
            if (!connection.isOpen()) {
                return false;
            }
            idle.push_back(std::move(connection));
        }
        return true;
    })) << idle.size()
        << " connections";
    EXPECT_EQ(nimbrook({"get", "1"}).output, chinese.content);
    idle.clear();
    EXPECT_EQ(nimbrook({"get", "1"}).output, chinese.content);
    EXPECT_TRUE(std::filesystem::exists(dataFolder() / "nimbrook.socket"));
}

}  // namespace
}  // namespace nimbrook::e2e
