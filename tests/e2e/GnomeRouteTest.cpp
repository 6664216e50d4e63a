#include <thread>

#include "NimbrookFixture.h"

namespace nimbrook::e2e {
namespace {

// GNOME's Wayland session, as tests/e2e/headless-gnome starts it around this test. Its
// compositor lets no background program read the Wayland clipboard, so the program must
// come up as an X11 client of Xwayland, which mirrors what Wayland programs copy.
class GnomeRouteTest : public NimbrookFixture {
protected:
    GnomeRouteTest() : NimbrookFixture(Desktop::surrounding) {}

    void SetUp() override {
        if (!inSession("gnome")) {
            GTEST_SKIP() << "runs in the session \"gnome\"";
        }
        ASSERT_NO_FATAL_FAILURE(NimbrookFixture::SetUp());
        keep({NIMBROOK_KEYBOARD}, "keyboard");
        ASSERT_TRUE(eventually([&] {
            return readFile(root_ / "keyboard.log").find("ready\n") != std::string::npos;
        })) << readFile(root_ / "keyboard.log");
    }

    // Copies as a native Wayland program. The seat may take a moment to show the keyboard
    // it was given, and until then wl-copy refuses, so it is tried again.
    bool copyWithWlCopy(const Flavour& flavour) {
        const auto file = writeFile(flavour.second);
        return eventually([&] {
            return output({"/bin/sh", "-c", "exec wl-copy --type \"$0\" < \"$1\"", flavour.first,
                           file.string()})
                .has_value();
        });
    }

    // Opens the panel from the focused field as the desktop's shortcut does, once the window
    // manager names the field the active window, and presses Shift+Return in it: 0 once the
    // keys were pressed there.
    int pasteFromThePanel() {
        const auto focused = [&](const std::string& title) {
            return eventually([&] {
                return output({"/usr/bin/xdotool", "getactivewindow", "getwindowname"}) ==
                           title + "\n" &&
                       output({"/usr/bin/xdotool", "getwindowfocus", "getwindowname"}) ==
                           title + "\n";
            });
        };
        return focused("org.nimbrook.PasteTarget") && nimbrook({}).status == 0 && focused("萤川") &&
                       output({"/usr/bin/xdotool", "key", "shift+Return"})
                   ? 0
                   : 2;
    }
};

TEST_F(GnomeRouteTest, RecordsWaylandCopiesAndCopiesBackToThem) {
    // Xwayland starts with the first X11 client, and a copy made while it is still coming up
    // may never be mirrored to it. In a real session it has long been up: the mirror is seen
    // to work, then emptied, before the program starts.
    const auto x11Clipboard = [&] {
        return output({"/usr/bin/xclip", "-selection", "clipboard", "-out"});
    };
    ASSERT_TRUE(copyWithWlCopy({"text/plain;charset=utf-8", "warm-up"}));
    ASSERT_TRUE(eventually([&] { return x11Clipboard() == "warm-up"; }));
    ASSERT_TRUE(eventually([&] { return output({"/usr/bin/wl-copy", "--clear"}).has_value(); }));
    ASSERT_TRUE(eventually([&] { return !x11Clipboard(); }));
    // What a GNOME session tells its programs; the toolkit alone would then pick Wayland,
    // where it sees no copy made while another program has the focus.
    ASSERT_NO_FATAL_FAILURE(
        startProgram({"XDG_SESSION_TYPE=wayland", "XDG_CURRENT_DESKTOP=GNOME"}));
    const std::string text = "萤川 from Wayland";
    const auto png = pngBytes(4096);
    ASSERT_TRUE(copyWithWlCopy({"text/plain;charset=utf-8", text}));
    ASSERT_TRUE(newestIs(text));
    ASSERT_TRUE(copyWithWlCopy({"image/png", png}));
    ASSERT_TRUE(holds(2));
    EXPECT_EQ(history()->front().contentType, "image");
    EXPECT_TRUE(readFile(history()->front().content) == png) << "image bytes differ";

    ASSERT_EQ(nimbrook({"copy", "2"}).status, 0);
    EXPECT_TRUE(eventually([&] { return output({"/usr/bin/wl-paste", "-n"}) == text; }));
    // Clearing reaches X11 as an owner whose conversion fails: nothing to record. Two polls
    // of the program pass before the next copy.
    ASSERT_TRUE(eventually([&] { return output({"/usr/bin/wl-copy", "--clear"}).has_value(); }));
    ASSERT_TRUE(eventually([&] { return !output({"/usr/bin/wl-paste", "-n"}); }));
    std::this_thread::sleep_for(std::chrono::seconds(1));
    ASSERT_TRUE(copyWithWlCopy({"text/plain;charset=utf-8", "after the clear"}));
    ASSERT_TRUE(newestIs("after the clear"));
    EXPECT_EQ(history()->size(), 3u) << "the copy back or the clearing was recorded";
}

// A window the user pastes into, by the toolkit platform it runs on, how the user pastes, and
// how that ends.
struct GnomePasteRow {
    std::string name;
    std::string platform;
    bool fromPanel;
    int status;
    std::string error;
};

// Without a tray the panel is a normal window that stays open behind the others, so each field
// opens after it and takes the focus. X11 programs under Xwayland get the keys through XTEST,
// asking nothing: the portal here has no backend that could type, so text that arrives came
// that way. Wayland programs are the portal's, which answers that it cannot.
TEST_F(GnomeRouteTest, PastesIntoX11ProgramsThemselvesAndLeavesWaylandOnesToThePortal) {
    ASSERT_NO_FATAL_FAILURE(
        startProgram({"XDG_SESSION_TYPE=wayland", "XDG_CURRENT_DESKTOP=GNOME"}));
    const std::string text = "萤川 pasted on GNOME\n第二行";
    copyWithXclip({"UTF8_STRING", text});
    ASSERT_TRUE(newestIs(text));
    ASSERT_TRUE(eventually([&] {
        return output({"/usr/bin/xdotool", "search", "--onlyvisible", "--class", "^nimbrook$"})
            .has_value();
    })) << "the panel did not open";
    const std::vector<GnomePasteRow> rows{
        {"command into X11", "xcb", false, 0, ""},
        {"panel into X11", "xcb", true, 0, ""},
        {"command into Wayland", "wayland", false, 1,
         "nimbrook: 已复制，未能粘贴到原窗口：没有可用的远程桌面门户（xdg-desktop-portal 的 "
         "RemoteDesktop），无法向其他窗口发送按键\n"},
    };
    for (std::size_t index = 0; index < rows.size(); ++index) {
        const GnomePasteRow& row = rows[index];
        const auto pasted = root_ / ("pasted-" + std::to_string(index) + ".txt");
        const auto log = "target-" + std::to_string(index);
        const auto target =
            start({NIMBROOK_PASTE_TARGET, "org.nimbrook.PasteTarget", pasted.string()}, log,
                  {"QT_QPA_PLATFORM=" + row.platform});
        ASSERT_TRUE(eventually([&] {
            return readFile(root_ / (log + ".log")).find("active\n") != std::string::npos;
        })) << row.name
            << ": " << readFile(root_ / (log + ".log"));

        const CommandResult result =
            row.fromPanel ? CommandResult{pasteFromThePanel(), "", ""} : nimbrook({"paste", "1"});
        EXPECT_EQ(result.status, row.status) << row.name << ": " << result.error;
        EXPECT_EQ(result.error, row.error) << row.name;
        if (row.status == 0) {
            EXPECT_TRUE(eventually([&] { return readFile(pasted) == text; }))
                << row.name << ": " << readFile(pasted) << readFile(root_ / "nimbrook.log");
        } else {
            EXPECT_FALSE(std::filesystem::exists(pasted)) << row.name;
        }
        EXPECT_EQ(output({"/usr/bin/xclip", "-selection", "clipboard", "-out"}), text) << row.name;
    }
}

}  // namespace
}  // namespace nimbrook::e2e
