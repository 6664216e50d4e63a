#include <QTest>

#include "platform/qt/DesktopRoute.h"

Q_DECLARE_METATYPE(nimbrook::DesktopRoute)

namespace nimbrook {

class DesktopRouteTest final : public QObject {
    Q_OBJECT

private slots:
    void choosesOneRoute_data();
    void choosesOneRoute();
};

void DesktopRouteTest::choosesOneRoute_data() {
    QTest::addColumn<QString>("requested");
    QTest::addColumn<bool>("wayland");
    QTest::addColumn<bool>("dataControl");
    QTest::addColumn<bool>("x11");
    QTest::addColumn<DesktopRoute>("route");
    QTest::addColumn<QString>("platform");
    QTest::addColumn<bool>("noted");

    const auto row = [](const char* name, const char* requested, bool wayland, bool dataControl,
                        bool x11, DesktopRoute route, const char* platform, bool noted) {
        QTest::newRow(name) << QString::fromUtf8(requested) << wayland << dataControl << x11
                            << route << QString::fromUtf8(platform) << noted;
    };
    const auto wayland = DesktopRoute::wayland;
    const auto x11 = DesktopRoute::x11;
    const auto none = DesktopRoute::none;
    row("wlroots or KWin", "", true, true, true, wayland, "wayland", false);
    row("mutter, through Xwayland", "auto", true, false, true, x11, "xcb", false);
    row("plain X11", "", false, false, true, x11, "xcb", false);
    row("Wayland, nothing readable", "", true, false, false, none, "wayland", false);
    row("no desktop at all", "", false, false, false, none, "", false);
    row("forced X11 under sway", "x11", true, true, true, x11, "xcb", false);
    row("forced Wayland under mutter", "wayland", true, false, true, wayland, "wayland", false);
    row("forced Wayland without a compositor", "wayland", false, false, true, none, "xcb", true);
    row("forced none", "none", true, true, true, none, "wayland", false);
    row("unknown request detects", "wl", false, false, true, x11, "xcb", true);
}

void DesktopRouteTest::choosesOneRoute() {
    QFETCH(QString, requested);
    QFETCH(bool, wayland);
    QFETCH(bool, dataControl);
    QFETCH(bool, x11);
    QFETCH(DesktopRoute, route);
    QFETCH(QString, platform);
    QFETCH(bool, noted);

    bool asked = false;
    const auto choice = DesktopRouting::choose({requested.toStdString(), wayland, x11, [&] {
                                                    asked = true;
                                                    return dataControl;
                                                }});
    QCOMPARE(choice.route, route);
    QCOMPARE(QString::fromStdString(choice.qtPlatform), platform);
    QCOMPARE(!choice.note.empty(), noted);
    // Connecting to the compositor is not free: only detection on Wayland asks.
    QCOMPARE(asked, wayland && (requested.isEmpty() || requested == QStringLiteral("auto")));
}

}  // namespace nimbrook

QTEST_APPLESS_MAIN(nimbrook::DesktopRouteTest)
#include "DesktopRouteTest.moc"
