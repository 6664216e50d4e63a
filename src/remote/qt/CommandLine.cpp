#include "remote/qt/CommandLine.h"

#include <QCommandLineParser>
#include <QRegularExpression>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>

#include <unistd.h>

#include "conversion/SmartConverter.h"
#include "platform/xdg/XdgFolders.h"
#include "remote/RemoteClient.h"
#include "remote/RemoteCommands.h"
#include "remote/RemoteProtocol.h"

namespace nimbrook {
namespace {

using namespace std::chrono_literals;

constexpr auto replyTimeout = 60s;

struct Options {
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("显示此帮助。")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("显示版本号。")};
    QCommandLineOption toggle{QStringLiteral("toggle"),
                              QStringLiteral("显示或隐藏正在运行的程序的面板。")};
    QCommandLineOption limit{{QStringLiteral("n"), QStringLiteral("limit")},
                             QStringLiteral("list、search：最多列出 N 条。"),
                             QStringLiteral("N")};
    QCommandLineOption json{QStringLiteral("json"), QStringLiteral("list、search：输出 JSON。")};
    QCommandLineOption yes{{QStringLiteral("y"), QStringLiteral("yes")},
                           QStringLiteral("clear：不询问，直接清空。")};
    QCommandLineOption image{QStringLiteral("image"),
                             QStringLiteral("get：输出图片文件的字节（不输出到终端）。")};
};

constexpr const char* description =
    "用法：nimbrook [选项] [命令]\n"
    "\n"
    "萤川（Nimbrook）剪贴板历史。不带命令时启动程序，或打开正在运行的程序的面板。\n"
    "\n"
    "命令（记录编号从 1 开始，与面板一致：置顶的在前，其余最新的在前）：\n"
    "  list [--limit N] [--json]    列出历史：编号、类型、时间、应用、置顶、预览\n"
    "  search TEXT [--limit N] [--json]\n"
    "                               列出面板搜索 TEXT 时显示的记录\n"
    "  get N                        输出第 N 条的完整内容（图片：文件路径）\n"
    "  get N --image                输出图片记录的图片字节，例如 > 图片.png\n"
    "  copy N                       把第 N 条复制到剪贴板\n"
    "  paste N                      复制第 N 条并粘贴到当前有焦点的窗口\n"
    "  delete N                     删除第 N 条\n"
    "  pin N、unpin N               置顶第 N 条、取消置顶\n"
    "  convert N CONVERSION         转换第 N 条并复制结果；CONVERSION 是\n"
    "                               prettifyJSON、minifyJSON、wrapCode、\n"
    "                               htmlToMarkdown、urlToMarkdown 或 stripFormat\n"
    "  clear [--yes]                清空历史，置顶的保留（在终端上先确认）\n"
    "  pause、resume                暂停、恢复记录剪贴板\n"
    "\n"
    "没有正在运行的程序时，命令以状态 3 结束。";

QList<QCommandLineOption> all(const Options& options) {
    return {options.help, options.version, options.toggle, options.limit,
            options.json, options.yes,     options.image};
}

// "-n, --limit <N>".
QString synopsis(const QCommandLineOption& option) {
    QStringList names;
    for (const QString& name : option.names()) {
        names.append((name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name);
    }
    const QString value = option.valueName();
    return names.join(QStringLiteral(", ")) +
           (value.isEmpty() ? QString() : QStringLiteral(" <") + value + u'>');
}

// The toolkit's parser writes its error messages in English only.
QString inChinese(const QCommandLineParser& parser) {
    if (!parser.unknownOptionNames().isEmpty()) {
        const QString name = parser.unknownOptionNames().first();
        return QStringLiteral("未知的选项“") + (name.size() == 1 ? u"-" : u"--") + name + u'”';
    }
    static const QRegularExpression valueError(
        QStringLiteral("^(Missing|Unexpected) value after '(.*)'\\.$"));
    const auto match = valueError.match(parser.errorText());
    if (!match.hasMatch()) {
        return parser.errorText();
    }
    return u'“' + match.captured(2) +
           (match.captured(1) == u"Missing" ? QStringLiteral("”需要一个值")
                                            : QStringLiteral("”不接受值"));
}

CommandLine::Parsed parsedAs(CommandLine::Action action, std::vector<std::string> words = {}) {
    CommandLine::Parsed parsed;
    parsed.action = action;
    parsed.words = std::move(words);
    return parsed;
}

CommandLine::Parsed usageError(std::string message) {
    auto parsed = parsedAs(CommandLine::Action::usageError);
    parsed.error = std::move(message);
    return parsed;
}

CommandLine::Parsed usageError(const QString& message) {
    return usageError(message.toStdString());
}

bool isEntryNumber(const QString& text) {
    bool ok = false;
    text.toULongLong(&ok);
    return ok && !text.startsWith(u'+') && !text.startsWith(u'-');
}

CommandLine::Parsed listing(const QCommandLineParser& parser, const Options& options,
                            QStringList positional) {
    const QString command = positional.takeFirst();
    std::string limit = "0";
    if (parser.isSet(options.limit)) {
        bool ok = false;
        const auto value = parser.value(options.limit).toULongLong(&ok);
        if (!ok || value == 0) {
            return usageError(QStringLiteral("--limit 需要一个正整数"));
        }
        limit = std::to_string(value);
    }
    std::vector<std::string> words{command.toStdString(), limit,
                                   parser.isSet(options.json) ? "json" : "text"};
    if (command == QStringLiteral("search")) {
        if (positional.isEmpty()) {
            return usageError(QStringLiteral("search 需要要找的文字"));
        }
        words.push_back(positional.join(u' ').toStdString());
    } else if (!positional.isEmpty()) {
        return usageError(QStringLiteral("list 不接受参数"));
    }
    return parsedAs(CommandLine::Action::request, std::move(words));
}

CommandLine::Parsed onEntry(QStringList positional, bool asImage) {
    const QString command = positional.takeFirst();
    const qsizetype expected = command == QStringLiteral("convert") ? 2 : 1;
    if (positional.size() != expected) {
        return usageError(command + (expected == 2 ? QStringLiteral(" 需要记录编号和转换名")
                                                   : QStringLiteral(" 需要一个记录编号")));
    }
    if (!isEntryNumber(positional[0])) {
        return usageError(QStringLiteral("“") + positional[0] + QStringLiteral("”不是记录编号"));
    }
    std::vector<std::string> words{command.toStdString()};
    for (const QString& word : positional) {
        words.push_back(word.toStdString());
    }
    if (expected == 2 && !SmartConverter::fromRawValue(words[2])) {
        return usageError(RemoteCommands::unknownConversion(words[2]));
    }
    if (asImage) {
        words.emplace_back("image");
    }
    return parsedAs(CommandLine::Action::request, std::move(words));
}

CommandLine::Parsed command(const QCommandLineParser& parser, const Options& options) {
    const QStringList positional = parser.positionalArguments();
    const QString name = positional.first();
    const bool lists = name == QStringLiteral("list") || name == QStringLiteral("search");
    if (parser.isSet(options.toggle) ||
        (!lists && (parser.isSet(options.limit) || parser.isSet(options.json))) ||
        (name != QStringLiteral("clear") && parser.isSet(options.yes)) ||
        (name != QStringLiteral("get") && parser.isSet(options.image))) {
        return usageError(QStringLiteral("此选项不能用于 ") + name);
    }
    if (lists) {
        return listing(parser, options, positional);
    }
    if (name == QStringLiteral("get") || name == QStringLiteral("copy") ||
        name == QStringLiteral("paste") || name == QStringLiteral("delete") ||
        name == QStringLiteral("convert") || name == QStringLiteral("pin") ||
        name == QStringLiteral("unpin")) {
        return onEntry(positional, parser.isSet(options.image));
    }
    if (name != QStringLiteral("clear") && name != QStringLiteral("pause") &&
        name != QStringLiteral("resume")) {
        return usageError(QStringLiteral("未知的命令“") + name + QStringLiteral("”"));
    }
    if (positional.size() != 1) {
        return usageError(name + QStringLiteral(" 不接受参数"));
    }
    auto parsed = parsedAs(CommandLine::Action::request, {name.toStdString()});
    parsed.confirm = name == QStringLiteral("clear") && !parser.isSet(options.yes);
    return parsed;
}

bool confirmed() {
    std::fputs("清空剪贴板历史（置顶的保留）？[y/N] ", stderr);
    std::string answer;
    std::getline(std::cin, answer);
    return answer == "y" || answer == "Y" || answer == "yes";
}

void write(std::FILE* stream, const std::string& bytes) {
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::fflush(stream);
}

int request(const CommandLine::Parsed& parsed) {
    // A terminal would take the bytes as its own commands.
    if (parsed.words.size() == 3 && parsed.words[0] == "get" && ::isatty(STDOUT_FILENO)) {
        std::fputs(
            "nimbrook: 不把图片的字节输出到终端；请重定向到文件或管道，例如 "
            "nimbrook get N --image > 图片.png\n",
            stderr);
        return 1;
    }
    if (parsed.confirm && ::isatty(STDIN_FILENO) && !confirmed()) {
        std::fputs("nimbrook: 已取消\n", stderr);
        return 1;
    }
    // A reader that quits early (nimbrook list | head -1) ends the command with a write error
    // and status 1, the same whatever the parent left the signal as.
    std::signal(SIGPIPE, SIG_IGN);
    const auto status = RemoteClient::forward(
        RemoteProtocol::socketPath(XdgFolders::dataFolder()), parsed.words, replyTimeout,
        XdgFolders::spoolFolders(), STDOUT_FILENO, STDERR_FILENO);
    if (!status) {
        std::fputs("nimbrook: 没有正在运行的 nimbrook；先运行不带命令的 nimbrook 启动它\n", stderr);
        return 3;
    }
    return *status;
}

}  // namespace

std::string CommandLine::help() {
    const Options options;
    qsizetype width = 0;
    for (const auto& option : all(options)) {
        width = std::max(width, synopsis(option).size());
    }
    QString text = QString::fromUtf8(description) + QStringLiteral("\n\n选项：\n");
    for (const auto& option : all(options)) {
        text += QStringLiteral("  ") + synopsis(option).leftJustified(width + 2) +
                option.description() + u'\n';
    }
    return text.toStdString();
}

CommandLine::Parsed CommandLine::parse(const QStringList& arguments) {
    QCommandLineParser parser;
    const Options options;
    parser.addOptions(all(options));
    if (!parser.parse(arguments)) {
        return usageError(inChinese(parser));
    }
    if (parser.isSet(options.help)) {
        return parsedAs(Action::help);
    }
    if (parser.isSet(options.version)) {
        return parsedAs(Action::version);
    }
    if (!parser.positionalArguments().isEmpty()) {
        return command(parser, options);
    }
    if (parser.isSet(options.limit) || parser.isSet(options.json) || parser.isSet(options.yes) ||
        parser.isSet(options.image)) {
        return usageError(QStringLiteral("此选项需要一个命令"));
    }
    auto parsed = parsedAs(Action::start);
    parsed.toggle = parser.isSet(options.toggle);
    return parsed;
}

std::optional<int> CommandLine::runWithoutDesktop(int argc, char** argv, Parsed& parsed) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    parsed = parse(arguments);
    if (parsed.action == Action::start) {
        // The running instance answers at once; without one this process becomes it.
        const auto reply = RemoteClient::exchange(
            RemoteProtocol::socketPath(XdgFolders::dataFolder()),
            {parsed.toggle ? "toggle" : "activate"}, std::chrono::milliseconds(replyTimeout));
        return reply ? std::optional(reply->status) : std::nullopt;
    }
    switch (parsed.action) {
        case Action::help:
            write(stdout, help());
            return 0;
        case Action::version:
            write(stdout, "nimbrook " NIMBROOK_VERSION "\n");
            return 0;
        case Action::usageError:
            write(stderr, "nimbrook: " + parsed.error + "\n请运行 nimbrook --help 查看用法\n");
            return 2;
        default:
            return request(parsed);
    }
}

}  // namespace nimbrook
