#include <csignal>

#include "NimbrookFixture.h"

namespace nimbrook::e2e {
namespace {

// The data folder turns read-only under the running program: a read-only bind mount over
// it in a mount namespace of the program's own (the tests run as root, whom permissions do
// not stop), undone by unmounting it.
class UnsavedHistoryTest : public NimbrookFixture {
protected:
    bool inProgramNamespace(std::vector<std::string> command) {
        command.insert(command.begin(), {"/usr/bin/nsenter", "--target",
                                         std::to_string(program_->processId()), "--mount", "--"});
        return output(command).has_value();
    }
    bool makeFolderReadOnly() {
        const std::string folder = dataFolder().string();
        return inProgramNamespace({"/usr/bin/mount", "--bind", folder, folder}) &&
               inProgramNamespace({"/usr/bin/mount", "-o", "remount,bind,ro", folder});
    }
    // Taken in, shown by the command line, whether or not the file has it yet.
    bool copied(const std::string& text) {
        copyWithXclip({"UTF8_STRING", text});
        return eventually([&] { return nimbrook({"get", "1"}).output == text; });
    }
    // The panel's title carries the mark while the footer warns.
    bool panelTitled(const std::string& pattern) {
        return eventually([&] {
            return !output({"/usr/bin/xdotool", "search", "--name", pattern}).value_or("").empty();
        });
    }
};

TEST_F(UnsavedHistoryTest, FooterWarnsUntilASaveSucceedsAndNothingIsLost) {
    ASSERT_NO_FATAL_FAILURE(startProgram({}, {"/usr/bin/unshare", "--mount"}));
    ASSERT_TRUE(copied("before"));
    ASSERT_TRUE(newestIs("before"));
    ASSERT_EQ(nimbrook({}).status, 0);
    ASSERT_TRUE(panelTitled("^萤川$"));

    ASSERT_TRUE(makeFolderReadOnly());
    ASSERT_TRUE(copied("while read-only 1"));
    ASSERT_TRUE(copied("while read-only 2"));
    EXPECT_TRUE(panelTitled("^萤川\\*$")) << "no warning";
    EXPECT_TRUE(holds(1));

    ASSERT_TRUE(inProgramNamespace({"/usr/bin/umount", dataFolder().string()}));
    ASSERT_TRUE(copied("after"));
    EXPECT_TRUE(newestIs("after"));
    EXPECT_TRUE(panelTitled("^萤川$")) << "the warning stayed";
    EXPECT_TRUE(holds(4)) << "an entry taken in while read-only was lost";

    // Quitting while saves fail tries once more and says so.
    ASSERT_TRUE(makeFolderReadOnly());
    ASSERT_TRUE(copied("last"));
    ASSERT_TRUE(panelTitled("^萤川\\*$"));
    program_->signal(SIGTERM);
    EXPECT_EQ(program_->waitForExit(std::chrono::seconds(10)), 0);
    const std::string log = readFile(root_ / "nimbrook.log");
    EXPECT_NE(log.find("[StorageService] save error: cannot create a file in"), std::string::npos);
    EXPECT_NE(log.find("[Nimbrook] quitting with the history not saved: cannot create a file in"),
              std::string::npos)
        << log;
    EXPECT_TRUE(holds(4));
}

}  // namespace
}  // namespace nimbrook::e2e
