#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "platform/xdg/LoginStart.h"
#include "support/Files.h"

namespace nimbrook {
namespace {

const QString entryName = QStringLiteral("/com.quolla.nimbrook.desktop");

class LoginStartTest : public testing::Test {
protected:
    LoginStartTest() {
        qputenv("XDG_CONFIG_HOME", (root_.path() + u"/home").toUtf8());
        qputenv("XDG_CONFIG_DIRS", (root_.path() + u"/empty:" + root_.path() + u"/xdg").toUtf8());
    }
    ~LoginStartTest() override {
        qunsetenv("XDG_CONFIG_HOME");
        qunsetenv("XDG_CONFIG_DIRS");
    }

    void writeFile(const QString& path, const QByteArray& content) const {
        if (!content.isEmpty()) {
            const std::filesystem::path full = root_.path().toStdString() + path.toStdString();
            std::filesystem::create_directories(full.parent_path());
            nimbrook::writeFile(full, content.toStdString());
        }
    }
    std::string userEntry() const {
        return root_.path().toStdString() + "/home/autostart" + entryName.toStdString();
    }

    QTemporaryDir root_;
};

TEST_F(LoginStartTest, switchesBothWays) {
    const QByteArray plain("[Desktop Entry]\nType=Application\nExec=nimbrook\n");
    const QByteArray hidden = plain + "Hidden=true\n";
    const struct {
        const char* tag;
        QByteArray systemEntry, userEntry;
        bool enabledAtFirst, userEntryWhenOn;
    } cases[] = {
        {"system entry only", plain, {}, true, false},
        {"turned off before", plain, hidden, false, false},
        {"no system entry", {}, {}, false, true},
        {"hidden system entry", hidden, {}, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tag);
        QDir(root_.path()).removeRecursively();
        writeFile(QStringLiteral("/xdg/autostart") + entryName, c.systemEntry);
        writeFile(QStringLiteral("/home/autostart") + entryName, c.userEntry);
        EXPECT_EQ(LoginStart::isEnabled(), c.enabledAtFirst);

        ASSERT_TRUE(LoginStart::setEnabled(false));
        EXPECT_FALSE(LoginStart::isEnabled());
        EXPECT_NE(readFile(userEntry()).find("\nHidden=true\n"), std::string::npos);

        ASSERT_TRUE(LoginStart::setEnabled(true));
        EXPECT_TRUE(LoginStart::isEnabled());
        EXPECT_EQ(std::filesystem::exists(userEntry()), c.userEntryWhenOn);
    }
}

TEST_F(LoginStartTest, unwritableConfigFolderIsReported) {
    // A file where the config folder should be: root can write anywhere, but not there.
    writeFile(QStringLiteral("/home"), "not a folder");
    EXPECT_FALSE(LoginStart::setEnabled(false));
    EXPECT_FALSE(LoginStart::setEnabled(true));
    EXPECT_FALSE(LoginStart::isEnabled());
}

}  // namespace
}  // namespace nimbrook
