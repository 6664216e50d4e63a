#include <fstream>

#include "NimbrookFixture.h"

namespace nimbrook::e2e {
namespace {

// The fixture's X server screen.
constexpr int screenWidth = 1280;
constexpr int screenHeight = 800;

class ShortcutTest : public NimbrookFixture {
protected:
    // The panel's geometry as xdotool prints it while the panel is shown, else nullopt.
    std::optional<std::string> panelGeometry() {
        return output({"/usr/bin/xdotool", "search", "--onlyvisible", "--name", "^萤川$",
                       "getwindowgeometry", "--shell"});
    }
    bool press(const std::string& keys) {
        return output({"/usr/bin/xdotool", "key", keys}).has_value();
    }
};

// A line NAME=number of xdotool's shell output.
int field(const std::string& geometry, const std::string& name) {
    const auto at = geometry.find("\n" + name + "=");
    return at == std::string::npos ? -1 : std::stoi(geometry.substr(at + name.size() + 2));
}

// Super+V from anywhere opens the panel at the pointer, kept inside the screen; the grab is
// taken a moment after the program came up, so the press is repeated until it works.
TEST_F(ShortcutTest, SuperVOpensThePanelAtThePointer) {
    ASSERT_NO_FATAL_FAILURE(startProgram());
    ASSERT_TRUE(output({"/usr/bin/xdotool", "mousemove", "1275", "795"}));
    ASSERT_FALSE(panelGeometry()) << "the panel opened by itself";

    std::optional<std::string> geometry;
    ASSERT_TRUE(eventually([&] {
        press("super+v");
        geometry = eventually([&] { return panelGeometry().has_value(); }, std::chrono::seconds(2))
                       ? panelGeometry()
                       : std::nullopt;
        return geometry.has_value();
    })) << readFile(root_ / "nimbrook.log");
    // In the corner, as PopupPlacementTest places it there.
    const int right = field(*geometry, "X") + field(*geometry, "WIDTH");
    EXPECT_LE(right, screenWidth);
    EXPECT_GT(right, screenWidth - 100) << "not at the pointer";
    EXPECT_LE(field(*geometry, "Y") + field(*geometry, "HEIGHT"), screenHeight);

    ASSERT_TRUE(press("Escape"));
    EXPECT_TRUE(eventually([&] { return !panelGeometry(); }));
}

// Another program (here the window manager, for a command of its own) holds Super+V: the
// program says so and works on, the command line still opens the panel.
TEST_F(ShortcutTest, AHeldShortcutIsReportedAndNothingElseBreaks) {
    const auto held = root_ / "held";
    std::filesystem::create_directories(root_ / "config/openbox");
    std::ofstream(root_ / "config/openbox/rc.xml")
        << R"(<openbox_config xmlns="http://openbox.org/3.4/rc"><keyboard><keybind key="W-v">)"
        << R"(<action name="Execute"><command>touch )" << held.string()
        << "</command></action></keybind></keyboard></openbox_config>\n";
    ASSERT_TRUE(output({"/usr/bin/openbox", "--reconfigure"}));
    // Its command runs once it has taken the key.
    ASSERT_TRUE(eventually([&] { return press("super+v") && std::filesystem::exists(held); }));
    ASSERT_NO_FATAL_FAILURE(startProgram());
    EXPECT_TRUE(eventually([&] {
        return readFile(root_ / "nimbrook.log").find("快捷键已被占用") != std::string::npos;
    })) << readFile(root_ / "nimbrook.log");

    copyWithXclip({"UTF8_STRING", "still captured"});
    EXPECT_TRUE(newestIs("still captured"));
    EXPECT_EQ(nimbrook({"--toggle"}).status, 0);
    EXPECT_TRUE(eventually([&] { return panelGeometry().has_value(); }));
}

}  // namespace
}  // namespace nimbrook::e2e
