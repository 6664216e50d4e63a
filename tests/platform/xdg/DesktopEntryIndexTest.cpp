#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "platform/xdg/DesktopEntryIndex.h"

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
    void findsCategories_data();
    void findsCategories();
};

void DesktopEntryIndexTest::namesWindowClasses_data() {
    QTest::addColumn<Files>("files");
    QTest::addColumn<QByteArray>("locale");
    QTest::addColumn<QByteArray>("windowClass");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray app = "[Desktop Entry]\nType=Application\n";
    const QByteArray term =
        app + "Name=Terminal\nName[zh_CN]=终端\nName[zh]=终\nName[de]=Konsole\n";
    const auto row = [](const char* name, const Files& files, const char* locale,
                        const char* windowClass, const char* expected) {
        QTest::newRow(name) << files << QByteArray(locale) << QByteArray(windowClass)
                            << QByteArray(expected);
    };
    row("file id matches class ignoring case", {{"0/org.example.Term.desktop", term}}, "C",
        "Org.Example.Term", "Terminal");
    row("last part of a reverse-DNS id", {{"0/org.example.Term.desktop", term}}, "C", "term",
        "Terminal");
    row("modifier falls back to country", {{"0/term.desktop", term}}, "zh_CN.UTF-8@latin", "term",
        "终端");
    row("unknown language gives the plain name", {{"0/term.desktop", term}}, "fr_FR.UTF-8", "term",
        "Terminal");
    row("country falls back to language", {{"0/term.desktop", app + "Name=T\nName[zh]=终\n"}},
        "zh_CN.UTF-8", "term", "终");
    row("StartupWMClass ignoring case wins over a file id",
        {{"0/code.desktop", app + "Name=Id\n"},
         {"0/editor.desktop", app + "Name=Editor\nStartupWMClass=CODE\n"}},
        "C", "code", "Editor");
    row("earlier folder hides the same id",
        {{"0/app.desktop", app + "Name=Mine\n"}, {"1/app.desktop", app + "Name=System\n"}}, "C",
        "app", "Mine");
    row("hidden entry hides the system one",
        {{"0/app.desktop", app + "Name=A\nHidden=true\n"}, {"1/app.desktop", app + "Name=Sys\n"}},
        "C", "app", "");
    row("subfolder joins the id with a dash", {{"0/kde4/app.desktop", app + "Name=K\n"}}, "C",
        "kde4-app", "K");
    row("keys of other groups ignored",
        {{"0/app.desktop", app + "Name=Main\n[Desktop Action new]\nName=Action\n"}}, "C", "app",
        "Main");
    row("escapes decoded and spaces trimmed", {{"0/app.desktop", app + "Name =  A\\sB\\\\C \n"}},
        "C", "app", "A B\\C");
    row("links are not applications", {{"0/app.desktop", "[Desktop Entry]\nType=Link\nName=L\n"}},
        "C", "app", "");
    row("invalid UTF-8 repaired", {{"0/app.desktop", app + "Name=a\xff\n"}}, "C", "app", "a\uFFFD");
    row("binary file without a group", {{"0/app.desktop", QByteArray("\0\1\2=\xff\n[", 7)}}, "C",
        "app", "");
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

void DesktopEntryIndexTest::findsCategories_data() {
    QTest::addColumn<QByteArray>("categories");
    QTest::addColumn<bool>("isTerminal");
    QTest::newRow("one of several") << QByteArray("System;TerminalEmulator;") << true;
    QTest::newRow("without the last semicolon") << QByteArray("GTK;TerminalEmulator") << true;
    QTest::newRow("a longer name is another") << QByteArray("TerminalEmulators;") << false;
    QTest::newRow("case matters") << QByteArray("terminalemulator;") << false;
    QTest::newRow("none listed") << QByteArray() << false;
}

void DesktopEntryIndexTest::findsCategories() {
    QFETCH(QByteArray, categories);
    QFETCH(bool, isTerminal);
    QTemporaryDir root;
    const std::filesystem::path folder = root.path().toStdString();
    writeFiles(folder, {{"0/debian-xterm.desktop",
                         "[Desktop Entry]\nType=Application\nName=X\n"
                         "StartupWMClass=XTerm\nCategories=" +
                             categories + "\n"}});
    DesktopEntryIndex index({folder / "0"}, "C");
    QCOMPARE(index.hasCategory("XTerm", "TerminalEmulator"), isTerminal);
    QVERIFY(!index.hasCategory("Other", "TerminalEmulator"));
}

}  // namespace nimbrook

QTEST_GUILESS_MAIN(nimbrook::DesktopEntryIndexTest)
#include "DesktopEntryIndexTest.moc"
