#include <QTest>

#include "platform/qt/DesktopRoute.h"

namespace nimbrook {

// What the desktop offers, and the choice expected of it.
struct RouteCase {
    const char* requested;
    bool wayland, dataControl, x11;
    DesktopRoute route;
    const char* platform;
    bool noted;
};

}  // namespace nimbrook

Q_DECLARE_METATYPE(nimbrook::RouteCase)

namespace nimbrook {

class DesktopRouteTest final : public QObject {
    Q_OBJECT

private slots:
    void choosesOneRoute_data();
    void choosesOneRoute();
};

void DesktopRouteTest::choosesOneRoute_data() {
    QTest::addColumn<RouteCase>("c");
    const auto wayland = DesktopRoute::wayland;
    const auto x11 = DesktopRoute::x11;
    const auto none = DesktopRoute::none;
    const auto row = [](const char* name, RouteCase c) { QTest::newRow(name) << c; };
    row("wlroots or KWin", {"", true, true, true, wayland, "wayland", false});
    row("mutter, through Xwayland", {"auto", true, false, true, x11, "xcb", false});
    row("plain X11", {"", false, false, true, x11, "xcb", false});
    row("Wayland, nothing readable", {"", true, false, false, none, "wayland", false});
    row("no desktop at all", {"", false, false, false, none, "", false});
    row("forced X11 under sway", {"x11", true, true, true, x11, "xcb", false});
    row("forced Wayland under mutter", {"wayland", true, false, true, wayland, "wayland", false});
    row("forced Wayland without a compositor", {"wayland", false, false, true, none, "xcb", true});
    row("forced none", {"none", true, true, true, none, "wayland", false});
    row("unknown request detects", {"wl", false, false, true, x11, "xcb", true});
}

void DesktopRouteTest::choosesOneRoute() {
    QFETCH(RouteCase, c);
    bool asked = false;
    const auto choice = DesktopRouting::choose({c.requested, c.wayland, c.x11, [&] {
                                                    asked = true;
                                                    return c.dataControl;
                                                }});
    QCOMPARE(choice.route, c.route);
    QCOMPARE(choice.qtPlatform, std::string(c.platform));
    QCOMPARE(!choice.note.empty(), c.noted);
    // Connecting to the compositor is not free: only detection on Wayland asks.
    const std::string requested = c.requested;
    QCOMPARE(asked, c.wayland && (requested.empty() || requested == "auto"));
}

}  // namespace nimbrook

QTEST_APPLESS_MAIN(nimbrook::DesktopRouteTest)
#include "DesktopRouteTest.moc"
