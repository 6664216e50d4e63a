#include <string>
#include <vector>

#include "NimbrookFixture.h"

namespace nimbrook::e2e {
namespace {

// A program the user pastes into, and the chord it pastes with.
struct PasteTarget {
    std::string name;
    std::string appId;
    // Followed by the file that receives what arrives.
    std::vector<std::string> command;
    // Of its desktop entry, which picks the chord: Ctrl+Shift+V for a terminal, else Ctrl+V.
    std::string categories;
    // Of the seat's keyboard; empty for the environment's.
    std::string layout = {};
};

// Text a terminal's line discipline passes on only line by line (at most 4095 bytes each):
// Chinese, blanks and about 10 KB in all.
std::string pastedText() {
    std::string text = "萤川 粘贴 ✓\n\tindented line\n";
    while (text.size() < 10'000) {
        text += std::string(99, 'a' + static_cast<char>(text.size() % 26)) + '\n';
    }
    return text;
}

// Keys typed through the program's virtual keyboard on a headless sway whose seat has a
// keyboard (a device of the tests' own, as a desktop's real keyboard is there first).
class SwayPasteTest : public NimbrookFixture, public testing::WithParamInterface<PasteTarget> {
protected:
    SwayPasteTest() : NimbrookFixture(Desktop::sway) {}

    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(NimbrookFixture::SetUp());
        std::vector<std::string> environment;
        if (!GetParam().layout.empty()) {
            environment.push_back("XKB_DEFAULT_LAYOUT=" + GetParam().layout);
        }
        keep({NIMBROOK_WAYLAND_TYPIST, "hold"}, "keyboard", environment);
        ASSERT_TRUE(eventually([&] { return readFile(root_ / "keyboard.log") == "ready\n"; }))
            << readFile(root_ / "keyboard.log");
    }

    bool focused(const std::string& appId) {
        return output(
                   {"/usr/bin/swaymsg", "[app_id=\"^" + appId + "$\" con_id=__focused__]", "nop"})
            .has_value();
    }
};

TEST_P(SwayPasteTest, TheFocusedProgramReceivesTheClipboard) {
    const PasteTarget& target = GetParam();
    std::filesystem::create_directories(root_ / "share/applications");
    nimbrook::writeFile(root_ / "share/applications" / (target.appId + ".desktop"),
                        "[Desktop Entry]\nType=Application\nName=" + target.name +
                            "\nExec=true\nCategories=" + target.categories + "\n");
    ASSERT_NO_FATAL_FAILURE(startProgram());
    ASSERT_TRUE(eventually([&] {
        return output({"/usr/bin/swaymsg", "[app_id=\"nimbrook\"]", "nop"}).has_value();
    }));
    std::vector<std::string> command = target.command;
    command.push_back((root_ / "pasted.txt").string());
    keep(command, "target", {"QT_QPA_PLATFORM=wayland"});
    ASSERT_TRUE(eventually([&] { return focused(target.appId); }))
        << readFile(root_ / "target.log");
    const std::string text = pastedText();
    ASSERT_TRUE(output({"/bin/sh", "-c", "wl-copy < " + writeFile(text).string()}));
    ASSERT_TRUE(eventually([&] { return output({"/usr/bin/wl-paste", "-n"}) == text; }));

    ASSERT_TRUE(newestIs(text));
    const auto pasted = nimbrook({"paste", "1"});
    ASSERT_EQ(pasted.status, 0) << pasted.error << readFile(root_ / "nimbrook.log");
    EXPECT_TRUE(eventually([&] { return readFile(root_ / "pasted.txt") == text; }))
        << readFile(root_ / "pasted.txt").size() << " bytes arrived; "
        << readFile(root_ / "target.log");
}

const std::vector<std::string> footCat{
    "/usr/bin/foot", "--app-id", "org.nimbrook.Terminal", "/bin/sh", "-c", "exec cat > \"$0\"",
};
const std::vector<std::string> qtField{NIMBROOK_PASTE_TARGET, "org.nimbrook.PasteTarget"};

// A Russian seat has no Latin V: the chord goes with a US map of the program's own.
INSTANTIATE_TEST_SUITE_P(
    Targets, SwayPasteTest,
    testing::Values(
        PasteTarget{"Terminal", "org.nimbrook.Terminal", footCat, "System;TerminalEmulator;"},
        PasteTarget{"QtField", "org.nimbrook.PasteTarget", qtField, "Utility;"},
        PasteTarget{"TerminalRussianSeat", "org.nimbrook.Terminal", footCat,
                    "System;TerminalEmulator;", "ru"},
        PasteTarget{"QtFieldRussianSeat", "org.nimbrook.PasteTarget", qtField, "Utility;", "ru"}),
    [](const auto& info) { return info.param.name; });

// KWin lets a program type only when an installed desktop entry that runs it by its full path
// asks for the fake input; it reads the entries again when they change.
class KWinPasteTest : public NimbrookFixture {
protected:
    KWinPasteTest() : NimbrookFixture(Desktop::kwin) {}

    // Starts a Qt field, whose text goes to `pasted`, and waits until it has the focus.
    void focusQtField(const std::filesystem::path& pasted) {
        keep({NIMBROOK_PASTE_TARGET, "org.nimbrook.PasteTarget", pasted.string()}, "target",
             {"QT_QPA_PLATFORM=wayland"});
        ASSERT_TRUE(eventually([&] {
            return readFile(root_ / "target.log").find("active\n") != std::string::npos;
        })) << readFile(root_ / "target.log");
    }

    // Starts the program, records `text` and focuses a Qt field whose text goes to `pasted`.
    void copyIntoFocusedField(const std::string& text, const std::filesystem::path& pasted) {
        ASSERT_NO_FATAL_FAILURE(startProgram());
        ASSERT_TRUE(output({"/bin/sh", "-c", "wl-copy < " + writeFile(text).string()}));
        ASSERT_TRUE(newestIs(text)) << readFile(root_ / "nimbrook.log");
        ASSERT_NO_FATAL_FAILURE(focusQtField(pasted));
    }
};

TEST_F(KWinPasteTest, FakeInputTypesOnlyForAProgramItsDesktopEntryGrantsIt) {
    const auto pasted = root_ / "pasted.txt";
    ASSERT_NO_FATAL_FAILURE(focusQtField(pasted));
    const std::string text = "萤川 on KWin\n第二行";
    ASSERT_TRUE(output({"/bin/sh", "-c", "wl-copy < " + writeFile(text).string()}));

    EXPECT_FALSE(output({NIMBROOK_WAYLAND_TYPIST, "fake", "ctrl+v"})) << "typed without a grant";
    std::filesystem::create_directories(root_ / "share/applications");
    nimbrook::writeFile(root_ / "share/applications/typist.desktop",
                        "[Desktop Entry]\nType=Application\nName=typist\nExec=" +
                            std::string(NIMBROOK_WAYLAND_TYPIST) +
                            "\nX-KDE-Wayland-Interfaces=org_kde_kwin_fake_input\n");
    EXPECT_FALSE(std::filesystem::exists(pasted));
    ASSERT_TRUE(eventually([&] {
        return output({NIMBROOK_WAYLAND_TYPIST, "fake", "ctrl+v"}).has_value();
    }));
    EXPECT_TRUE(eventually([&] { return readFile(pasted) == text; })) << readFile(pasted);
}

// KWin knows a client by the file it runs, which for the program is the desktop program that
// the command starts, not the command: the package's typing entry names that one.
TEST_F(KWinPasteTest, ThePackagesTypingEntryLetsThePasteCommandTypeIntoTheFocusedField) {
    std::filesystem::create_directories(root_ / "share/applications");
    std::filesystem::copy_file(NIMBROOK_TYPING_ENTRY,
                               root_ / "share/applications/com.quolla.nimbrook.typing.desktop");
    const std::string text = "萤川 typed by KWin\n第二行";
    const auto pasted = root_ / "pasted.txt";
    ASSERT_NO_FATAL_FAILURE(copyIntoFocusedField(text, pasted));

    const CommandResult result = nimbrook({"paste", "1"});
    EXPECT_EQ(result.status, 0) << result.error << readFile(root_ / "nimbrook.log");
    EXPECT_TRUE(eventually([&] { return readFile(pasted) == text; })) << readFile(pasted);
}

// The program itself on KWin without its typing entry: the RemoteDesktop portal is next, and
// where none answers (here no session bus at all) the entry is only copied and the command
// says why at once.
TEST_F(KWinPasteTest, WithoutTheGrantAndNoPortalTheEntryIsOnlyCopied) {
    const std::string text = "萤川 on KWin without the grant\n第二行";
    const auto pasted = root_ / "pasted.txt";
    ASSERT_NO_FATAL_FAILURE(copyIntoFocusedField(text, pasted));

    const CommandResult result = nimbrook({"paste", "1"});
    EXPECT_EQ(result.status, 1) << readFile(root_ / "nimbrook.log");
    EXPECT_EQ(result.error,
              "nimbrook: 已复制，未能粘贴到原窗口：没有可用的远程桌面门户（xdg-desktop-portal 的 "
              "RemoteDesktop），无法向其他窗口发送按键\n");
    EXPECT_FALSE(std::filesystem::exists(pasted));
    EXPECT_EQ(output({"/usr/bin/wl-paste", "-n"}), text);
}

}  // namespace
}  // namespace nimbrook::e2e
