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

    const auto row = [](const char* name, QStringList arguments, Action action,
                        const char* expected, bool toggle = false, bool confirm = false) {
        QTest::newRow(name) << arguments << static_cast<int>(action) << QString::fromUtf8(expected)
                            << toggle << confirm;
    };
    using L = QStringList;
    row("start", L{}, Action::start, "");
    row("toggle", L{QStringLiteral("--toggle")}, Action::start, "", true);
    row("help", L{QStringLiteral("-h")}, Action::help, "");
    row("version", L{QStringLiteral("--version")}, Action::version, "");
    row("list", L{QStringLiteral("list")}, Action::request, "list|0|text");
    row("list options in any place",
        L{QStringLiteral("--json"), QStringLiteral("list"), QStringLiteral("-n"),
          QStringLiteral("5")},
        Action::request, "list|5|json");
    row("search joins its words",
        L{QStringLiteral("search"), QStringLiteral("萤川"), QStringLiteral("--limit=2"),
          QStringLiteral("a  b")},
        Action::request, "search|2|text|萤川 a  b");
    row("search text after a double dash",
        L{QStringLiteral("search"), QStringLiteral("--"), QStringLiteral("--json")},
        Action::request, "search|0|text|--json");
    row("get", L{QStringLiteral("get"), QStringLiteral("12")}, Action::request, "get|12");
    row("convert", L{QStringLiteral("convert"), QStringLiteral("3"), QStringLiteral("wrapCode")},
        Action::request, "convert|3|wrapCode");
    row("clear asks", L{QStringLiteral("clear")}, Action::request, "clear", false, true);
    row("clear yes", L{QStringLiteral("clear"), QStringLiteral("-y")}, Action::request, "clear");
    row("resume", L{QStringLiteral("resume")}, Action::request, "resume");
    row("unknown option", L{QStringLiteral("--frob")}, Action::usageError, "frob");
    row("unknown command", L{QStringLiteral("frob")}, Action::usageError, "frob");
    row("entry number not a number", L{QStringLiteral("copy"), QStringLiteral("+1")},
        Action::usageError, "+1");
    row("entry number missing", L{QStringLiteral("delete")}, Action::usageError, "delete");
    row("unknown conversion",
        L{QStringLiteral("convert"), QStringLiteral("1"), QStringLiteral("shout")},
        Action::usageError, "shout");
    row("zero limit", L{QStringLiteral("list"), QStringLiteral("--limit=0")}, Action::usageError,
        "--limit");
    row("search without text", L{QStringLiteral("search")}, Action::usageError, "search");
    row("option of another command",
        L{QStringLiteral("get"), QStringLiteral("1"), QStringLiteral("--json")}, Action::usageError,
        "get");
    row("toggle with a command", L{QStringLiteral("pause"), QStringLiteral("--toggle")},
        Action::usageError, "pause");
    row("list option without a command", L{QStringLiteral("--json")}, Action::usageError, "");
    row("extra word", L{QStringLiteral("clear"), QStringLiteral("all")}, Action::usageError,
        "clear");
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
