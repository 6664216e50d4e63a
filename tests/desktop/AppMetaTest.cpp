#include <QTest>
#include <string>

#include "ui/AppMeta.h"

Q_DECLARE_METATYPE(nimbrook::NamedColor)

namespace nimbrook {

class AppMetaTest final : public QObject {
    Q_OBJECT

private slots:
    void everyKnownNameInAnyCase_data();
    void everyKnownNameInAnyCase();
    void namesThatAreNotWholeKeysGetTheNeutralLook_data();
    void namesThatAreNotWholeKeysGetTheNeutralLook();
};

namespace {

struct Look {
    const char* icon;
    NamedColor color;
    std::initializer_list<const char*> names;
};

// Written out from the design's table and the Linux names, not from the code's table.
const Look looks[] = {
    {"safari", NamedColor::blue, {"safari"}},
    {"hammer.fill", NamedColor::blue, {"xcode"}},
    {"face.smiling",
     NamedColor::blue,
     {"finder", "files", "文件", "nautilus", "dolphin", "thunar", "nemo"}},
    {"terminal",
     NamedColor::gray,
     {"terminal", "iterm2", "warp", "终端", "gnome terminal", "konsole", "xterm", "alacritty",
      "kitty", "tilix", "xfce4-terminal", "terminator"}},
    {"envelope.fill",
     NamedColor::blue,
     {"mail", "邮件", "thunderbird", "thunderbird mail", "evolution", "geary"}},
    {"bubble.left.fill", NamedColor::green, {"messages", "信息", "wechat", "微信"}},
    {"note.text", NamedColor::yellow, {"notes", "备忘录"}},
    {"checklist", NamedColor::red, {"reminders", "提醒事项"}},
    {"calendar", NamedColor::red, {"calendar", "日历"}},
    {"eye",
     NamedColor::purple,
     {"preview", "预览", "image viewer", "图像查看器", "eog", "gwenview", "ristretto"}},
    {"photo", NamedColor::pink, {"photos", "照片"}},
    {"music.note", NamedColor::pink, {"music", "音乐"}},
    {"a.circle.fill", NamedColor::blue, {"app store"}},
    {"chevron.left.forwardslash.chevron.right",
     NamedColor::blue,
     {"visual studio code", "code", "cursor", "code - oss", "vscodium"}},
    {"laptopcomputer",
     NamedColor::orange,
     {"intellij idea", "pycharm", "webstorm", "android studio"}},
    {"text.document",
     NamedColor::orange,
     {"sublime text", "text editor", "文本编辑器", "gedit", "kate", "kwrite", "mousepad",
      "gnome text editor"}},
    {"terminal", NamedColor::green, {"vim", "neovim", "emacs", "gnu emacs", "gvim"}},
    {"globe",
     NamedColor::green,
     {"google chrome", "chrome", "chromium", "chromium web browser", "google chrome (stable)"}},
    {"globe",
     NamedColor::orange,
     {"firefox", "firefox esr", "firefox web browser", "brave browser", "brave"}},
    {"globe", NamedColor::purple, {"arc"}},
    {"globe", NamedColor::blue, {"microsoft edge"}},
    {"number", NamedColor::purple, {"slack"}},
    {"bubble.left.and.bubble.right.fill", NamedColor::indigo, {"discord"}},
    {"paperplane.fill", NamedColor::blue, {"telegram", "telegram desktop"}},
    {"bubble.left.fill", NamedColor::blue, {"钉钉", "dingtalk", "飞书", "lark"}},
    {"diamond", NamedColor::purple, {"obsidian"}},
    {"square.text.square", NamedColor::primaryLabel, {"notion"}},
    {"note.text", NamedColor::red, {"bear"}},
    {"doc.text", NamedColor::blue, {"craft"}},
    {"paintpalette", NamedColor::purple, {"figma"}},
    {"diamond", NamedColor::yellow, {"sketch"}},
    {"doc.on.clipboard.fill", NamedColor::teal, {"nimbrook", "萤川"}},
};

}  // namespace

void AppMetaTest::everyKnownNameInAnyCase_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("icon");
    QTest::addColumn<NamedColor>("color");
    for (const Look& look : looks) {
        for (const char* name : look.names) {
            const QString lower = QString::fromUtf8(name);
            const QString icon = QString::fromUtf8(look.icon);
            QTest::newRow(name) << lower << icon << look.color;
            QTest::addRow("%s upper", name) << lower.toUpper() << icon << look.color;
            QString title = lower;
            title[0] = title[0].toUpper();
            QTest::addRow("%s title", name) << title << icon << look.color;
        }
    }
    // Lower-casing is the full Unicode mapping: KELVIN SIGN lower-cases to "k".
    QTest::newRow("kelvin sign") << QStringLiteral("\u212Aate") << QStringLiteral("text.document")
                                 << NamedColor::orange;
    // ...and independent of the user's locale: a Turkish mapping would turn this into "kitty".
    QTest::newRow("dotted capital I")
        << QStringLiteral("K\u0130TTY") << QStringLiteral("app.fill") << NamedColor::secondaryLabel;
}

void AppMetaTest::everyKnownNameInAnyCase() {
    QFETCH(QString, name);
    QFETCH(QString, icon);
    QFETCH(NamedColor, color);
    const AppMeta meta = appMeta(name.toStdString());
    QCOMPARE(meta.icon, icon);
    QCOMPARE(meta.color, color);
}

void AppMetaTest::namesThatAreNotWholeKeysGetTheNeutralLook_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("leading space") << QByteArray(" Safari");
    QTest::newRow("trailing space") << QByteArray("Safari ");
    QTest::newRow("version suffix") << QByteArray("Safari 17");
    QTest::newRow("prefix of a key") << QByteArray("Firef");
    QTest::newRow("key inside a name") << QByteArray("My Firefox");
    QTest::newRow("unknown") << QByteArray("LibreOffice Writer");
    QTest::newRow("full-width letters") << QByteArray("\xEF\xBC\xB3\x61\x66\x61\x72\x69");
    QTest::newRow("invalid UTF-8") << QByteArray("saf\xFF\xFEri");
    QTest::newRow("lone continuation") << QByteArray("\x80");
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
