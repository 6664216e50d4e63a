#include <cstdlib>
#include <regex>

#include "NimbrookFixture.h"

namespace nimbrook::e2e {
namespace {

// The tray of KDE Plasma, and of GNOME with the AppIndicator extension: an item on the
// session bus, shown by a host that the watcher vouches for. Runs under dbus-run-session.
using DBusTrayTest = NimbrookFixture;

TEST_F(DBusTrayTest, ActivatingTheItemTogglesThePanel) {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    ASSERT_TRUE(address) << "no session bus";
    const std::string bus = std::string("DBUS_SESSION_BUS_ADDRESS=") + address;
    auto watcher = start({NIMBROOK_TRAY_WATCHER}, "watcher", {bus});
    const auto log = root_ / "watcher.log";
    ASSERT_TRUE(eventually([&] { return readFile(log).starts_with("ready\n"); })) << readFile(log);
    ASSERT_NO_FATAL_FAILURE(startProgram({bus}));

    std::string text;
    std::smatch registered;
    ASSERT_TRUE(eventually([&] {
        text = readFile(log);
        return std::regex_search(text, registered, std::regex(R"(item (\S+)\n)"));
    })) << "no item registered";
    const std::string item = registered[1];
    const auto panelShown = [&] {
        return output({"/usr/bin/xdotool", "search", "--onlyvisible", "--name", "^萤川$"})
            .has_value();
    };
    const auto activate = [&] {
        return output({"/usr/bin/dbus-send", "--bus=" + std::string(address), "--print-reply",
                       "--dest=" + item, "/StatusNotifierItem",
                       "org.kde.StatusNotifierItem.Activate", "int32:0", "int32:0"})
            .has_value();
    };
    EXPECT_FALSE(panelShown()) << "the panel opened by itself, as with no tray";
    ASSERT_TRUE(activate());
    EXPECT_TRUE(eventually(panelShown));
    ASSERT_TRUE(activate());
    EXPECT_TRUE(eventually([&] { return !panelShown(); }));
}

}  // namespace
}  // namespace nimbrook::e2e
