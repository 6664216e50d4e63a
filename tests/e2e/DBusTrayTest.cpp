#include "NimbrookFixture.h"

namespace nimbrook::e2e {
namespace {

// The tray of KDE Plasma, and of GNOME with the AppIndicator extension: an item on the
// session bus, shown by a host that the watcher vouches for.
using DBusTrayTest = NimbrookFixture;

TEST_F(DBusTrayTest, ActivatingTheItemTogglesThePanel) {
    if (!inSession("tray")) {
        GTEST_SKIP() << "runs in the session \"tray\"";
    }
    ASSERT_NO_FATAL_FAILURE(startProgram());
    ASSERT_FALSE(trayItem().empty()) << "no item registered";
    const auto panelShown = [&] {
        return output({"/usr/bin/xdotool", "search", "--onlyvisible", "--name", "^萤川$"})
            .has_value();
    };
    EXPECT_FALSE(panelShown()) << "the panel opened by itself, as with no tray";
    ASSERT_TRUE(activateTrayItem());
    EXPECT_TRUE(eventually(panelShown));
    ASSERT_TRUE(activateTrayItem());
    EXPECT_TRUE(eventually([&] { return !panelShown(); }));
}

}  // namespace
}  // namespace nimbrook::e2e
