#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "platform/qt/DesktopEntryIndex.h"

namespace nimbrook {
namespace {

using Files = QList<QPair<QByteArray, QByteArray>>;

// Writes "<folder index>/<relative path>" files under `root`.
void writeFiles(const std::filesystem::path& root, const Files& files) {
    for (const auto& [path, content] : files) {
        const auto file = root / path.toStdString();
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << content.toStdString();
    }
}

}  // namespace

class DesktopEntryIndexTest final : public QObject {
    Q_OBJECT

private slots:
    void namesWindowClasses_data();
    void namesWindowClasses();
    void seesEntriesInstalledLater();
};

void DesktopEntryIndexTest::namesWindowClasses_data() {
    QTest::addColumn<Files>("files");
    QTest::addColumn<QByteArray>("locale");
    QTest::addColumn<QByteArray>("windowClass");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray term =
        "[Desktop Entry]\nType=Application\nName=Terminal\nName[zh_CN]=终端\n"
        "Name[zh]=终\nName[de]=Konsole\n";
    QTest::newRow("file id matches class ignoring case")
        << Files{{"0/org.example.Term.desktop", term}} << QByteArray("C")
        << QByteArray("Org.Example.Term") << QByteArray("Terminal");
    QTest::newRow("last part of a reverse-DNS id")
        << Files{{"0/org.example.Term.desktop", term}} << QByteArray("C") << QByteArray("term")
        << QByteArray("Terminal");
    QTest::newRow("country name before language name")
        << Files{{"0/term.desktop", term}} << QByteArray("zh_CN.UTF-8") << QByteArray("term")
        << QByteArray("终端");
    QTest::newRow("language name for another country")
        << Files{{"0/term.desktop", term}} << QByteArray("zh_TW.UTF-8") << QByteArray("term")
        << QByteArray("终");
    QTest::newRow("modifier falls back to country")
        << Files{{"0/term.desktop", term}} << QByteArray("zh_CN.UTF-8@latin") << QByteArray("term")
        << QByteArray("终端");
    QTest::newRow("unknown language gives the plain name")
        << Files{{"0/term.desktop", term}} << QByteArray("fr_FR.UTF-8") << QByteArray("term")
        << QByteArray("Terminal");
    QTest::newRow("StartupWMClass wins over a file id")
        << Files{{"0/code.desktop", "[Desktop Entry]\nType=Application\nName=Id\n"},
                 {"0/editor.desktop",
                  "[Desktop Entry]\nType=Application\nName=Editor\nStartupWMClass=code\n"}}
        << QByteArray("C") << QByteArray("code") << QByteArray("Editor");
    QTest::newRow("earlier folder hides the same id")
        << Files{{"0/app.desktop", "[Desktop Entry]\nType=Application\nName=Mine\n"},
                 {"1/app.desktop", "[Desktop Entry]\nType=Application\nName=System\n"}}
        << QByteArray("C") << QByteArray("app") << QByteArray("Mine");
    QTest::newRow("hidden entry hides the system one")
        << Files{{"0/app.desktop", "[Desktop Entry]\nType=Application\nName=A\nHidden=true\n"},
                 {"1/app.desktop", "[Desktop Entry]\nType=Application\nName=System\n"}}
        << QByteArray("C") << QByteArray("app") << QByteArray("");
    QTest::newRow("subfolder joins the id with a dash")
        << Files{{"0/kde4/app.desktop", "[Desktop Entry]\nType=Application\nName=K\n"}}
        << QByteArray("C") << QByteArray("kde4-app") << QByteArray("K");
    QTest::newRow("keys of other groups ignored")
        << Files{{"0/app.desktop",
                  "[Desktop Entry]\nType=Application\nName=Main\n"
                  "[Desktop Action new]\nName=Action\n"}}
        << QByteArray("C") << QByteArray("app") << QByteArray("Main");
    QTest::newRow("escapes decoded and spaces trimmed")
        << Files{{"0/app.desktop", "[Desktop Entry]\nType=Application\nName =  A\\sB\\\\C \n"}}
        << QByteArray("C") << QByteArray("app") << QByteArray("A B\\C");
    QTest::newRow("links are not applications")
        << Files{{"0/app.desktop", "[Desktop Entry]\nType=Link\nName=L\n"}} << QByteArray("C")
        << QByteArray("app") << QByteArray("");
    QTest::newRow("invalid UTF-8 repaired")
        << Files{{"0/app.desktop", "[Desktop Entry]\nType=Application\nName=a\xff\n"}}
        << QByteArray("C") << QByteArray("app") << QByteArray("a\uFFFD");
    QTest::newRow("binary file without a group")
        << Files{{"0/app.desktop", QByteArray("\0\1\2=\xff\n[", 7)}} << QByteArray("C")
        << QByteArray("app") << QByteArray("");
    QTest::newRow("empty class") << Files{{"0/.desktop", term}} << QByteArray("C") << QByteArray("")
                                 << QByteArray("");
}

void DesktopEntryIndexTest::namesWindowClasses() {
    QFETCH(Files, files);
    QFETCH(QByteArray, locale);
    QFETCH(QByteArray, windowClass);
    QFETCH(QByteArray, expected);
    QTemporaryDir root;
    const std::filesystem::path folder = root.path().toStdString();
    writeFiles(folder, files);
    DesktopEntryIndex index({folder / "0", folder / "1", folder / "missing"}, locale.toStdString());
    const auto name = index.nameForWindowClass(windowClass.toStdString());
    QCOMPARE(QByteArray::fromStdString(name.value_or("")), expected);
}

void DesktopEntryIndexTest::seesEntriesInstalledLater() {
    QTemporaryDir root;
    const std::filesystem::path folder = root.path().toStdString();
    DesktopEntryIndex index({folder / "applications"}, "C");
    QVERIFY(!index.nameForWindowClass("late"));
    writeFiles(folder,
               {{"applications/late.desktop", "[Desktop Entry]\nType=Application\nName=Late\n"}});
    QCOMPARE(index.nameForWindowClass("late").value_or(""), std::string("Late"));
}

}  // namespace nimbrook

QTEST_GUILESS_MAIN(nimbrook::DesktopEntryIndexTest)
#include "DesktopEntryIndexTest.moc"
