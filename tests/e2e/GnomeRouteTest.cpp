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

// A window the user pastes into, by the toolkit platform it runs on, and what the paste does.
struct GnomePasteRow {
    std::string platform;
    int status;
    std::string error;
};

// The panel is a normal window here (no tray) that has the focus after the start, so the field
// opens after it and takes the focus from it. X11 programs under Xwayland get the keys
// through XTEST, asking nothing: the portal here has no backend that could type, so text that
// arrives came that way. Wayland programs are the portal's, which answers that it cannot.
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
        {"xcb", 0, ""},
        {"wayland", 1,
         "nimbrook: 已复制，未能粘贴到原窗口：没有可用的远程桌面门户（xdg-desktop-portal 的 "
         "RemoteDesktop），无法向其他窗口发送按键\n"},
    };
    for (const auto& row : rows) {
        const auto pasted = root_ / ("pasted-" + row.platform + ".txt");
        const auto log = "target-" + row.platform;
        const auto target =
            start({NIMBROOK_PASTE_TARGET, "org.nimbrook.PasteTarget", pasted.string()}, log,
                  {"QT_QPA_PLATFORM=" + row.platform});
        ASSERT_TRUE(eventually([&] {
            return readFile(root_ / (log + ".log")).find("active\n") != std::string::npos;
        })) << row.platform
            << ": " << readFile(root_ / (log + ".log"));

        const CommandResult result = nimbrook({"paste", "1"});
        EXPECT_EQ(result.status, row.status) << row.platform << ": " << result.error;
        EXPECT_EQ(result.error, row.error) << row.platform;
        if (row.status == 0) {
            EXPECT_TRUE(eventually([&] { return readFile(pasted) == text; }))
                << row.platform << ": " << readFile(pasted);
        } else {
            EXPECT_FALSE(std::filesystem::exists(pasted)) << row.platform;
        }
        EXPECT_EQ(output({"/usr/bin/xclip", "-selection", "clipboard", "-out"}), text)
            << row.platform;
    }
}

}  // namespace
}  // namespace nimbrook::e2e
