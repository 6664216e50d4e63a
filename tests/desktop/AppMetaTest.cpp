#include <QTest>
#include <string>

#include "ui/AppMeta.h"

Q_DECLARE_METATYPE(nimbrook::NamedColor)

namespace nimbrook {

class AppMetaTest final : public QObject {
    Q_OBJECT

private slots:
    void looksUpWholeNamesInAnyCase_data();
    void looksUpWholeNamesInAnyCase();
};

void AppMetaTest::looksUpWholeNamesInAnyCase_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("icon");
    QTest::addColumn<NamedColor>("color");

    const auto row = [](const char* tag, const QByteArray& name, const char* icon = "app.fill",
                        NamedColor color = NamedColor::secondaryLabel) {
        QTest::newRow(tag) << name << QString::fromUtf8(icon) << color;
    };
    row("title case", "Safari", "safari", NamedColor::blue);
    row("upper case, several words", "FIREFOX ESR", "globe", NamedColor::orange);
    row("chinese name", "微信", "bubble.left.fill", NamedColor::green);
    row("linux alias of a macOS row", "Gnome Terminal", "terminal", NamedColor::gray);
    row("punctuation in the key", "Google Chrome (Stable)", "globe", NamedColor::green);
    row("primary label colour", "Notion", "square.text.square", NamedColor::primaryLabel);
    // Lower-casing is the full Unicode mapping: KELVIN SIGN lower-cases to "k".
    row("kelvin sign", "\u212Aate", "text.document", NamedColor::orange);
    // ...and independent of the user's locale: a Turkish mapping would turn this into "kitty".
    row("dotted capital I", "K\u0130TTY");
    // Names that are not whole keys get the neutral look.
    row("empty", QByteArray());
    row("surrounding space", " Safari ");
    row("prefix of a key", "Firef");
    row("key inside a name", "My Firefox");
    row("full-width letters", "\xEF\xBC\xB3\x61\x66\x61\x72\x69");
    row("invalid UTF-8", "saf\xFF\xFEri");
    row("embedded NUL", QByteArray("safari\0x", 8));
    row("very long", QByteArray(1 << 20, 'a'));
}

void AppMetaTest::looksUpWholeNamesInAnyCase() {
    QFETCH(QByteArray, name);
    QFETCH(QString, icon);
    QFETCH(NamedColor, color);
    QCOMPARE(appMeta(std::string_view(name.constData(), name.size())), (AppMeta{icon, color}));
}

}  // namespace nimbrook

QTEST_APPLESS_MAIN(nimbrook::AppMetaTest)
#include "AppMetaTest.moc"
