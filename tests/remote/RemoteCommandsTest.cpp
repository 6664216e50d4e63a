#include <optional>
#include <string>
#include <vector>

#include "controller/ControllerFixture.h"
#include "model/NamedCase.h"
#include "remote/RemoteCommands.h"

namespace nimbrook {
namespace {

using Words = std::vector<std::string>;
using Strings = std::vector<std::string>;

const std::string jsonText = R"({"a":1})";
const std::string controlText = "line one\n\tline\x1b[2J two";
const std::string imagePath = "/tmp/x/clipboard_1.png";

struct CommandCase {
    std::string name;
    Words words;
    int status = 0;
    // "{id1}" stands for the id of the first entry.
    std::string output{};
    std::string error{};
    Strings contents{jsonText, controlText, imagePath};
    // The entry (from 0) whose content must now be on the clipboard.
    std::optional<std::size_t> copied{};
    Words before{};
    bool monitoring = true;
};

// The one reply to `words`; nullopt while none came.
std::optional<RemoteReply> answer(RemoteCommands& commands, const Words& words) {
    std::optional<RemoteReply> reply;
    commands.run(words, [&reply](const RemoteReply& given) {
        EXPECT_FALSE(reply.has_value()) << "a second reply";
        reply = given;
    });
    return reply;
}

class Commands : public ControllerFixture, public testing::WithParamInterface<CommandCase> {
protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        writeHistory({makeItem(jsonText, ContentType::json, "Firefox"), makeItem(controlText),
                      makeItem(imagePath, ContentType::image, "GIMP")});
        launch();
    }
};

TEST_P(Commands, AnswerAndEffect) {
    const CommandCase& c = GetParam();
    RemoteCommands commands(*viewModel_, clock_);
    if (!c.before.empty()) {
        ASSERT_EQ(answer(commands, c.before)->status, 0);
    }
    std::string output = c.output;
    if (const auto at = output.find("{id1}"); at != std::string::npos) {
        output.replace(at, 5, viewModel_->items()[0].id().text());
    }
    const RemoteReply reply = answer(commands, c.words).value();
    EXPECT_EQ(reply.status, c.status);
    EXPECT_EQ(reply.output, output);
    EXPECT_EQ(reply.error, c.error);
    EXPECT_EQ(contents(), c.contents);
    EXPECT_EQ(viewModel_->isMonitoring(), c.monitoring);
    if (c.copied) {
        EXPECT_EQ(pasteboard_.string(), viewModel_->items()[*c.copied].content());
    }
}

const std::string malformed = "nimbrook: 无效的请求\n";
const CommandCase commandCases[] = {
    {.name = "ListOneLinePerEntryWithoutControls",
     .words = {"list", "0", "text"},
     .output = "1\tJSON\t1年前\tFirefox\t" + jsonText +
               "\n2\tText\t1年前\t-\tline one line [2J two\n3\tImage\t1年前\tGIMP\t" + imagePath +
               "\n"},
    {.name = "ListJsonWithLimit",
     .words = {"list", "1", "json"},
     .output = "[\n{\"index\":1,\"id\":\"{id1}\",\"type\":\"json\",\"timestamp\":\"2023-11-14T22:"
               "13:20.000Z\",\"sourceApp\":\"Firefox\",\"content\":\"{\\\"a\\\":1}\"}"
               "\n]\n"},
    {.name = "SearchKeepsHistoryNumbers",
     .words = {"search", "0", "text", "GIMP"},
     .output = "3\tImage\t1年前\tGIMP\t" + imagePath + "\n"},
    {.name = "SearchFindingNothing", .words = {"search", "0", "json", "nothing"}, .output = "[]\n"},
    {.name = "GetIsByteExact", .words = {"get", "2"}, .output = controlText},
    {.name = "GetImagePrintsItsPath", .words = {"get", "3"}, .output = imagePath + "\n"},
    {.name = "GetPastTheEnd",
     .words = {"get", "4"},
     .status = 1,
     .error = "nimbrook: 没有第 4 条记录（共 3 条）\n"},
    {.name = "DeleteZero",
     .words = {"delete", "0"},
     .status = 1,
     .error = "nimbrook: 没有第 0 条记录（共 3 条）\n"},
    {.name = "Copy", .words = {"copy", "3"}, .copied = 2},
    {.name = "Delete", .words = {"delete", "2"}, .contents = {jsonText, imagePath}},
    {.name = "ConvertUnchanged",
     .words = {"convert", "1", "minifyJSON"},
     .status = 1,
     .error = "nimbrook: 转换无变化\n"},
    {.name = "ConvertNotOffered",
     .words = {"convert", "3", "wrapCode"},
     .status = 1,
     .error = "nimbrook: 第 3 条是 Image，不能用 wrapCode 转换（可用：无）\n"},
    {.name = "ConvertUnknown",
     .words = {"convert", "1", "shout"},
     .status = 2,
     .error = "nimbrook: 未知的转换“shout”（可用：prettifyJSON, minifyJSON, wrapCode, "
              "htmlToMarkdown, urlToMarkdown, stripFormat）\n"},
    {.name = "Clear", .words = {"clear"}, .contents = {}},
    {.name = "Pause", .words = {"pause"}, .monitoring = false},
    {.name = "ResumeAfterPause", .words = {"resume"}, .before = {"pause"}},
    {.name = "BadLimit", .words = {"list", "-1", "text"}, .status = 2, .error = malformed},
    {.name = "UnknownFormat", .words = {"list", "0", "xml"}, .status = 2, .error = malformed},
    {.name = "HugeNumber",
     .words = {"get", "99999999999999999999"},
     .status = 2,
     .error = malformed},
    {.name = "ExtraWord", .words = {"clear", "now"}, .status = 2, .error = malformed},
    {.name = "UnknownCommand", .words = {"activate"}, .status = 2, .error = malformed},
};
INSTANTIATE_TEST_SUITE_P(RemoteCommands, Commands, testing::ValuesIn(commandCases), nameOf);

// The reply waits for the worker's result.
TEST_F(Commands, ConvertAnswersOnceTheEntryIsReplacedAndCopied) {
    RemoteCommands commands(*viewModel_, clock_);
    std::optional<RemoteReply> reply;
    workQueue_.hold();
    commands.run({"convert", "2", "wrapCode"},
                 [&reply](const RemoteReply& given) { reply = given; });
    EXPECT_FALSE(reply.has_value());
    workQueue_.release();
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->output, "已转换并复制\n");
    EXPECT_NE(contents()[1], controlText);
    EXPECT_EQ(pasteboard_.string(), contents()[1]);
}

}  // namespace
}  // namespace nimbrook
