#include <csignal>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <xcb/xcb.h>

#include "../model/NamedCase.h"
#include "NimbrookFixture.h"
#include "platform/x11/X11Keymap.h"

namespace nimbrook::e2e {
namespace {

constexpr auto toastText = "已复制，未能粘贴到原窗口";

enum class Way { panel, command };
enum class Target { textField, terminal };

struct PasteCase {
    const char* name;
    std::string text;
    Way way = Way::panel;
    Target target = Target::textField;
    // Arguments of setxkbmap; empty keeps the server's US map.
    std::vector<std::string> layout = {};
    // The layout in force among them, counted from 0.
    int group = 0;
};

std::string tenKilobytes() {
    std::string text;
    while (text.size() < 10 * 1024) {
        text += "第 " + std::to_string(text.size()) + " 字节 mixed ASCII\tand 中文\n";
    }
    return text;
}

class PasteTest : public NimbrookFixture, public testing::WithParamInterface<PasteCase> {
protected:
    bool xdotool(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "/usr/bin/xdotool");
        return output(arguments).has_value();
    }
    bool isActive(const std::string& title) {
        return output({"/usr/bin/xdotool", "getactivewindow", "getwindowname"}) == title + "\n";
    }
    bool isShown(const std::string& title) {
        return output({"/usr/bin/xdotool", "search", "--onlyvisible", "--name", "^" + title + "$"})
            .has_value();
    }
    // A window of the test's text field, active; what is typed into it lands in the file.
    std::filesystem::path openTextField(const std::string& title) {
        const auto file = root_ / (title + ".txt");
        keep({NIMBROOK_TEXT_TARGET, title, file.string()}, title);
        EXPECT_TRUE(eventually([&] { return isActive(title); })) << title << " never came up";
        return file;
    }
    // xterm running cat, which pastes the clipboard on Ctrl+Shift+V; its desktop entry says
    // it is a terminal emulator.
    std::filesystem::path openTerminal() {
        std::filesystem::create_directories(root_ / "share/applications");
        std::filesystem::copy_file("/usr/share/applications/debian-xterm.desktop",
                                   root_ / "share/applications/debian-xterm.desktop");
        const auto file = root_ / "terminal.txt";
        keep({"/usr/bin/xterm", "-T", "terminal", "-xrm",
              "XTerm*VT100.translations: #override Ctrl Shift <Key>V: "
              "insert-selection(CLIPBOARD)",
              "-e", "sh", "-c", "cat > " + file.string()},
             "xterm");
        EXPECT_TRUE(eventually([&] { return isActive("terminal"); }));
        return file;
    }
    // The shortcut is grabbed a moment after the program came up, so it is pressed until
    // the panel shows.
    bool openPanel() {
        return eventually([&] {
            xdotool({"key", "super+v"});
            return eventually([&] { return isShown("萤川"); }, std::chrono::seconds(2));
        });
    }
    // The X server's core keyboard map, read as the program reads it.
    std::vector<std::uint32_t> keymap() const {
        const std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection(
            xcb_connect(display().substr(std::string("DISPLAY=").size()).c_str(), nullptr),
            &xcb_disconnect);
        return xcb_connection_has_error(connection.get()) != 0
                   ? std::vector<std::uint32_t>{}
                   : X11Keymap::mapping(*connection).keysyms;
    }
    // A copy of `text` made elsewhere, the newest entry.
    void record(const std::string& text) {
        copyWithXclip({"UTF8_STRING", text});
        ASSERT_TRUE(newestIs(text));
    }
};

const PasteCase pasteCases[] = {
    {"ChineseByShiftReturn", "萤川剪贴板历史"},
    {"NewlineByShiftReturn", "第一行\n第二行"},
    {"TenKilobytesByShiftReturn", tenKilobytes()},
    {"ByCommand", "命令行粘贴 paste 1", Way::command},
    {"GermanLayout", "Grüße aus Köln", Way::panel, Target::textField, {"de"}},
    {"DvorakLayoutByCommand",
     "Dvorak 布局",
     Way::command,
     Target::textField,
     {"us", "-variant", "dvorak"}},
    // cat sees the text once a line ends.
    {"TerminalGetsControlShiftV", "终端里的\n两行\n", Way::command, Target::terminal},
    {"TerminalByShiftReturn", "终端 Shift+Return\n", Way::panel, Target::terminal},
    // No Latin V anywhere on the map, or not in the group in force: a spare key is bound to v.
    {"RussianLayout", "Привет из 萤川", Way::command, Target::textField, {"ru"}},
    {"RussianLayoutInTerminal", "Терминал\n", Way::command, Target::terminal, {"ru"}},
    {"RussianGroupOfUsRu", "вторая группа", Way::command, Target::textField, {"us,ru"}, 1},
    {"RussianGroupOfUsRuInTerminal", "us,ru 终端\n", Way::command, Target::terminal, {"us,ru"}, 1},
    {"UsGroupOfUsRu", "первая группа", Way::command, Target::textField, {"us,ru"}, 0},
};

// The entry arrives exactly, through the chord that the target pastes with, in the key codes
// of the keyboard map in force.
TEST_P(PasteTest, TheEntryArrivesInTheWindowTheUserCameFrom) {
    const PasteCase& paste = GetParam();
    if (!paste.layout.empty()) {
        std::vector<std::string> arguments{"/usr/bin/setxkbmap"};
        arguments.insert(arguments.end(), paste.layout.begin(), paste.layout.end());
        ASSERT_TRUE(output(arguments)) << "setxkbmap failed";
        ASSERT_TRUE(output({NIMBROOK_KEYBOARD_GROUP, std::to_string(paste.group)}));
    }
    const std::vector<std::uint32_t> map = keymap();
    ASSERT_FALSE(map.empty());
    ASSERT_NO_FATAL_FAILURE(startProgram());
    ASSERT_NO_FATAL_FAILURE(record(paste.text));
    const auto file = paste.target == Target::terminal ? openTerminal() : openTextField("field");
    if (paste.way == Way::panel) {
        ASSERT_TRUE(openPanel()) << readFile(root_ / "nimbrook.log");
        ASSERT_TRUE(xdotool({"key", "Down", "shift+Return"}));
    } else {
        const CommandResult result = nimbrook({"paste", "1"});
        EXPECT_EQ(result.status, 0) << result.error;
    }
    EXPECT_TRUE(eventually([&] { return readFile(file) == paste.text; }))
        << "typed: " << readFile(file).substr(0, 200)
        << "\nlog: " << readFile(root_ / "nimbrook.log");
    // A key bound for the paste is given back once the target has read it.
    EXPECT_TRUE(eventually([&] { return keymap() == map; }));
}

INSTANTIATE_TEST_SUITE_P(X11, PasteTest, testing::ValuesIn(pasteCases), nameOf);

using PasteSafetyTest = PasteTest;

// The user holds Shift past Shift+Return and meanwhile switches windows: nothing is typed
// anywhere, the entry stays copied and a toast says so.
TEST_F(PasteSafetyTest, NothingIsTypedOnceTheFocusHasMoved) {
    ASSERT_NO_FATAL_FAILURE(startProgram());
    ASSERT_NO_FATAL_FAILURE(record("不该出现"));
    const auto second = openTextField("second");
    const auto first = openTextField("first");
    ASSERT_TRUE(openPanel());
    ASSERT_TRUE(xdotool({"keydown", "shift"}));
    ASSERT_TRUE(xdotool({"key", "Return"}));
    ASSERT_TRUE(eventually([&] { return !isShown("萤川"); }));
    ASSERT_TRUE(xdotool({"search", "--name", "^second$", "windowactivate", "--sync"}));
    ASSERT_TRUE(xdotool({"keyup", "shift"}));
    EXPECT_TRUE(eventually(
        [&] { return readFile(root_ / "nimbrook.log").find(toastText) != std::string::npos; }));
    EXPECT_TRUE(output({"/usr/bin/xdotool", "search", "--name", toastText}))
        << readFile(root_ / "nimbrook.log");
    EXPECT_FALSE(std::filesystem::exists(first));
    EXPECT_FALSE(std::filesystem::exists(second));
    EXPECT_EQ(output({"/usr/bin/xclip", "-o", "-selection", "clipboard"}), "不该出现");
}

// The command line names the window that has the focus now; one of the program's own is
// never typed into.
TEST_F(PasteSafetyTest, TheCommandLineNeverTypesIntoTheProgramsOwnWindows) {
    ASSERT_NO_FATAL_FAILURE(startProgram());
    ASSERT_NO_FATAL_FAILURE(record("自己的窗口"));
    ASSERT_TRUE(openPanel());
    ASSERT_TRUE(xdotool({"key", "ctrl+comma"}));
    ASSERT_TRUE(eventually([&] { return isActive("设置"); }));
    const CommandResult result = nimbrook({"paste", "1"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.error,
              std::string("nimbrook: ") + toastText + "：焦点在萤川自己的窗口上，没有发送按键\n");
}

// Pastes close together share one bound key, and the program gives it back as it quits.
TEST_F(PasteSafetyTest, ASpareKeyIsSharedAndGivenBackAtExit) {
    ASSERT_TRUE(output({"/usr/bin/setxkbmap", "ru"}));
    const std::vector<std::uint32_t> map = keymap();
    ASSERT_NO_FATAL_FAILURE(startProgram());
    ASSERT_NO_FATAL_FAILURE(record("дважды "));
    const auto file = openTextField("field");
    for (const char* expected : {"дважды ", "дважды дважды "}) {
        const CommandResult result = nimbrook({"paste", "1"});
        ASSERT_EQ(result.status, 0) << result.error;
        ASSERT_TRUE(eventually([&] { return readFile(file) == expected; })) << readFile(file);
    }
    // Quitting at once, while the key is still bound (it is held for two seconds).
    ASSERT_EQ(nimbrook({"paste", "1"}).status, 0);
    EXPECT_NE(keymap(), map);
    program_->signal(SIGTERM);
    ASSERT_EQ(program_->waitForExit(std::chrono::seconds(10)), 0);
    EXPECT_EQ(keymap(), map);
}

}  // namespace
}  // namespace nimbrook::e2e
