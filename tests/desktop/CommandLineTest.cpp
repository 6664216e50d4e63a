#include <QTest>

#include "platform/qt/CommandLine.h"

namespace nimbrook {

class CommandLineTest final : public QObject {
    Q_OBJECT

private slots:
    void parsesIntoRequests_data();
    void parsesIntoRequests();
};

using Action = CommandLine::Action;

void CommandLineTest::parsesIntoRequests_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("action");
    // The request's words joined by "|"; for a usage error, a part of its message.
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("toggle");
    QTest::addColumn<bool>("confirm");

    // The arguments are separated by commas, so that one may hold spaces.
    const auto row = [](const char* name, const char* arguments, Action action,
                        const char* expected, bool toggle = false, bool confirm = false) {
        QTest::newRow(name) << QString::fromUtf8(arguments).split(u',', Qt::SkipEmptyParts)
                            << static_cast<int>(action) << QString::fromUtf8(expected) << toggle
                            << confirm;
    };
    row("start", "", Action::start, "");
    row("toggle", "--toggle", Action::start, "", true);
    row("help", "-h", Action::help, "");
    row("version", "--version", Action::version, "");
    row("list", "list", Action::request, "list|0|text");
    row("list options in any place", "--json,list,-n,5", Action::request, "list|5|json");
    row("search joins its words", "search,萤川,--limit=2,a  b", Action::request,
        "search|2|text|萤川 a  b");
    row("search text after a double dash", "search,--,--json", Action::request,
        "search|0|text|--json");
    row("get", "get,12", Action::request, "get|12");
    row("convert", "convert,3,wrapCode", Action::request, "convert|3|wrapCode");
    row("clear asks", "clear", Action::request, "clear", false, true);
    row("clear yes", "clear,-y", Action::request, "clear");
    row("resume", "resume", Action::request, "resume");
    row("unknown option", "--frob", Action::usageError, "frob");
    row("unknown command", "frob", Action::usageError, "frob");
    row("entry number not a number", "copy,+1", Action::usageError, "+1");
    row("entry number missing", "delete", Action::usageError, "delete");
    row("unknown conversion", "convert,1,shout", Action::usageError, "shout");
    row("zero limit", "list,--limit=0", Action::usageError, "--limit");
    row("search without text", "search", Action::usageError, "search");
    row("option of another command", "get,1,--json", Action::usageError, "get");
    row("toggle with a command", "pause,--toggle", Action::usageError, "pause");
    row("list option without a command", "--json", Action::usageError, "");
    row("extra word", "clear,all", Action::usageError, "clear");
}

void CommandLineTest::parsesIntoRequests() {
    QFETCH(QStringList, arguments);
    QFETCH(int, action);
    QFETCH(QString, expected);
    QFETCH(bool, toggle);
    QFETCH(bool, confirm);
    arguments.prepend(QStringLiteral("nimbrook"));
    const auto parsed = CommandLine::parse(arguments);
    QCOMPARE(static_cast<int>(parsed.action), action);
    QCOMPARE(parsed.toggle, toggle);
    QCOMPARE(parsed.confirm, confirm);
    if (parsed.action == Action::usageError) {
        QVERIFY2(QString::fromStdString(parsed.error).contains(expected), parsed.error.c_str());
        return;
    }
    QStringList words;
    for (const auto& word : parsed.words) {
        words.append(QString::fromStdString(word));
    }
    QCOMPARE(words.join(u'|'), expected);
}

}  // namespace nimbrook

QTEST_APPLESS_MAIN(nimbrook::CommandLineTest)
#include "CommandLineTest.moc"
