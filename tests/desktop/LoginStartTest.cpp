#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "platform/qt/LoginStart.h"

namespace nimbrook {

class LoginStartTest final : public QObject {
    Q_OBJECT

private slots:
    void init();
    void switchesBothWays_data();
    void switchesBothWays();
    void unwritableConfigFolderIsReported();

private:
    QString userEntry() const;
    std::unique_ptr<QTemporaryDir> root_;
};

namespace {

const QString entryName = QStringLiteral("/com.quolla.nimbrook.desktop");

void writeFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(path.section(u'/', 0, -2));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

}  // namespace

void LoginStartTest::init() {
    root_ = std::make_unique<QTemporaryDir>();
    qputenv("XDG_CONFIG_HOME", (root_->path() + u"/home").toUtf8());
    qputenv("XDG_CONFIG_DIRS", (root_->path() + u"/empty:" + root_->path() + u"/xdg").toUtf8());
}

QString LoginStartTest::userEntry() const {
    return root_->path() + u"/home/autostart" + entryName;
}

void LoginStartTest::switchesBothWays_data() {
    QTest::addColumn<QByteArray>("systemEntry");
    QTest::addColumn<QByteArray>("userEntry");
    QTest::addColumn<bool>("enabledAtFirst");
    QTest::addColumn<bool>("userEntryWhenOn");

    const QByteArray plain("[Desktop Entry]\nType=Application\nExec=nimbrook\n");
    const QByteArray hidden = plain + "Hidden=true\n";
    QTest::newRow("system entry only") << plain << QByteArray() << true << false;
    QTest::newRow("turned off before") << plain << hidden << false << false;
    QTest::newRow("no system entry") << QByteArray() << QByteArray() << false << true;
    QTest::newRow("hidden system entry") << hidden << QByteArray() << false << true;
}

void LoginStartTest::switchesBothWays() {
    QFETCH(QByteArray, systemEntry);
    QFETCH(QByteArray, userEntry);
    QFETCH(bool, enabledAtFirst);
    QFETCH(bool, userEntryWhenOn);
    if (!systemEntry.isEmpty()) {
        writeFile(root_->path() + u"/xdg/autostart" + entryName, systemEntry);
    }
    if (!userEntry.isEmpty()) {
        writeFile(this->userEntry(), userEntry);
    }
    QCOMPARE(LoginStart::isEnabled(), enabledAtFirst);

    QVERIFY(LoginStart::setEnabled(false));
    QVERIFY(!LoginStart::isEnabled());
    QFile off(this->userEntry());
    QVERIFY(off.open(QIODevice::ReadOnly));
    QVERIFY(off.readAll().contains("\nHidden=true\n"));

    QVERIFY(LoginStart::setEnabled(true));
    QVERIFY(LoginStart::isEnabled());
    QCOMPARE(QFile::exists(this->userEntry()), userEntryWhenOn);
}

void LoginStartTest::unwritableConfigFolderIsReported() {
    // A file where the config folder should be: root can write anywhere, but not there.
    writeFile(root_->path() + u"/home", "not a folder");
    QVERIFY(!LoginStart::setEnabled(false));
    QVERIFY(!LoginStart::setEnabled(true));
    QVERIFY(!LoginStart::isEnabled());
}

}  // namespace nimbrook

QTEST_GUILESS_MAIN(nimbrook::LoginStartTest)
#include "LoginStartTest.moc"
