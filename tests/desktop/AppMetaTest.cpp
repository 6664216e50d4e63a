#include <QTest>
#include <string>

#include "ui/AppMeta.h"

Q_DECLARE_METATYPE(nimbrook::NamedColor)

namespace nimbrook {

class AppMetaTest final : public QObject {
    Q_OBJECT

private slots:
    void knownNamesInAnyCase_data();
    void knownNamesInAnyCase();
    void namesThatAreNotWholeKeysGetTheNeutralLook_data();
    void namesThatAreNotWholeKeysGetTheNeutralLook();
};

void AppMetaTest::knownNamesInAnyCase_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("icon");
    QTest::addColumn<NamedColor>("color");

    QTest::newRow("title case") << QStringLiteral("Safari") << QStringLiteral("safari")
                                << NamedColor::blue;
    QTest::newRow("upper case, several words")
        << QStringLiteral("FIREFOX ESR") << QStringLiteral("globe") << NamedColor::orange;
    QTest::newRow("chinese name") << QStringLiteral("微信") << QStringLiteral("bubble.left.fill")
                                  << NamedColor::green;
    QTest::newRow("linux alias of a macOS row")
        << QStringLiteral("Gnome Terminal") << QStringLiteral("terminal") << NamedColor::gray;
    QTest::newRow("punctuation in the key")
        << QStringLiteral("Google Chrome (Stable)") << QStringLiteral("globe") << NamedColor::green;
    QTest::newRow("primary label colour")
        << QStringLiteral("Notion") << QStringLiteral("square.text.square")
        << NamedColor::primaryLabel;
    // Lower-casing is the full Unicode mapping: KELVIN SIGN lower-cases to "k".
    QTest::newRow("kelvin sign") << QStringLiteral("\u212Aate") << QStringLiteral("text.document")
                                 << NamedColor::orange;
    // ...and independent of the user's locale: a Turkish mapping would turn this into "kitty".
    QTest::newRow("dotted capital I")
        << QStringLiteral("K\u0130TTY") << QStringLiteral("app.fill") << NamedColor::secondaryLabel;
}

void AppMetaTest::knownNamesInAnyCase() {
    QFETCH(QString, name);
    QFETCH(QString, icon);
    QFETCH(NamedColor, color);
    QCOMPARE(appMeta(name.toStdString()), (AppMeta{icon, color}));
}

void AppMetaTest::namesThatAreNotWholeKeysGetTheNeutralLook_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("surrounding space") << QByteArray(" Safari ");
    QTest::newRow("prefix of a key") << QByteArray("Firef");
    QTest::newRow("key inside a name") << QByteArray("My Firefox");
    QTest::newRow("full-width letters") << QByteArray("\xEF\xBC\xB3\x61\x66\x61\x72\x69");
    QTest::newRow("invalid UTF-8") << QByteArray("saf\xFF\xFEri");
    QTest::newRow("embedded NUL") << QByteArray("safari\0x", 8);
    QTest::newRow("very long") << QByteArray(1 << 20, 'a');
}

void AppMetaTest::namesThatAreNotWholeKeysGetTheNeutralLook() {
    QFETCH(QByteArray, name);
    const AppMeta meta = appMeta(std::string_view(name.constData(), name.size()));
    QCOMPARE(meta, (AppMeta{QStringLiteral("app.fill"), NamedColor::secondaryLabel}));
}

}  // namespace nimbrook

QTEST_APPLESS_MAIN(nimbrook::AppMetaTest)
#include "AppMetaTest.moc"
