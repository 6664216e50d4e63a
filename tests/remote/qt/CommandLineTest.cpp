#include <QStringList>
#include <string>

#include <gtest/gtest.h>

#include "remote/qt/CommandLine.h"

namespace nimbrook {
namespace {

using Action = CommandLine::Action;

struct CommandLineCase {
    const char* tag;
    // The arguments, separated by commas so that one may hold spaces.
    const char* arguments;
    Action action;
    // The request's words joined by "|"; for a usage error, a part of its message.
    std::string expected;
    bool toggle = false;
    bool confirm = false;
};

const CommandLineCase commandLineCases[] = {
    {"start", "", Action::start, ""},
    {"toggle", "--toggle", Action::start, "", true},
    {"help", "-h", Action::help, ""},
    {"list options in any place", "--json,list,-n,5", Action::request, "list|5|json"},
    {"search joins its words", "search,萤川,--limit=2,a  b", Action::request,
     "search|2|text|萤川 a  b"},
    {"search text after a double dash", "search,--,--json", Action::request,
     "search|0|text|--json"},
    {"image of an entry", "get,--image,3", Action::request, "get|3|image"},
    {"clear asks", "clear", Action::request, "clear", false, true},
    {"clear yes", "clear,-y", Action::request, "clear"},
    {"unknown option", "--frob", Action::usageError, "未知的选项“--frob”"},
    {"option without its value", "list,-n", Action::usageError, "“-n”需要一个值"},
    {"switch with a value", "list,--json=1", Action::usageError, "“--json”不接受值"},
    {"unknown command", "frob", Action::usageError, "frob"},
    {"entry number not a number", "copy,+1", Action::usageError, "+1"},
    {"entry number missing", "delete", Action::usageError, "delete"},
    {"unknown conversion", "convert,1,shout", Action::usageError, "shout"},
    {"zero limit", "list,--limit=0", Action::usageError, "--limit"},
    {"search without text", "search", Action::usageError, "search"},
    {"option of another command", "get,1,--json", Action::usageError, "get"},
    {"image of another command", "copy,1,--image", Action::usageError, "copy"},
    {"toggle with a command", "pause,--toggle", Action::usageError, "pause"},
    {"list option without a command", "--json", Action::usageError, ""},
    {"extra word", "clear,all", Action::usageError, "clear"},
};

TEST(CommandLineTest, parsesIntoRequests) {
    for (const CommandLineCase& c : commandLineCases) {
        const QString line = QStringLiteral("nimbrook,") + QString::fromUtf8(c.arguments);
        const auto parsed = CommandLine::parse(line.split(u',', Qt::SkipEmptyParts));
        EXPECT_EQ(parsed.action, c.action) << c.tag;
        EXPECT_EQ(parsed.toggle, c.toggle) << c.tag;
        EXPECT_EQ(parsed.confirm, c.confirm) << c.tag;
        if (parsed.action == Action::usageError) {
            EXPECT_NE(parsed.error.find(c.expected), std::string::npos) << parsed.error;
            continue;
        }
        std::string words;
        for (const auto& word : parsed.words) {
            words += (words.empty() ? "" : "|") + word;
        }
        EXPECT_EQ(words, c.expected) << c.tag;
    }
}

// Every text of the program is Chinese, the toolkit's headings and options included.
TEST(CommandLineTest, helpIsChinese) {
    const std::string help = CommandLine::help();
    for (const char* english : {"Usage", "Options", "Arguments", "Displays"}) {
        EXPECT_EQ(help.find(english), std::string::npos) << english;
    }
    for (const char* line : {"用法：nimbrook [选项] [命令]\n", "\n选项：\n",
                             "\n  -n, --limit <N>  list、search：最多列出 N 条。\n"}) {
        EXPECT_NE(help.find(line), std::string::npos) << line;
    }
    EXPECT_EQ(help.back(), '\n');
}

}  // namespace
}  // namespace nimbrook
