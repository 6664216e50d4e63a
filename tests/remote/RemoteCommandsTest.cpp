#include <optional>
#include <string>
#include <vector>

#include "controller/ControllerFixture.h"
#include "model/NamedCase.h"
#include "remote/RemoteCommands.h"

namespace nimbrook {
namespace {

using Words = std::vector<std::string>;

const std::string jsonText = R"({"a":1})";
const std::string controlText = "line one\n\tline\x1b[2J two";
const std::string imagePath = "/tmp/x/clipboard_1.png";

struct CommandCase {
    std::string name;
    Words words;
    int status = 0;
    std::string error{};
    // "{id1}" stands for the id of the first entry.
    std::string output{};
    Words contents{jsonText, controlText, imagePath};
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
const std::string gimpLine = "3\tImage\t1年前\tGIMP\t" + imagePath + "\n";
const std::string listText = "1\tJSON\t1年前\tFirefox\t" + jsonText +
                             "\n2\tText\t1年前\t-\tline one line [2J two\n" + gimpLine;
const std::string listJson =
    "[\n{\"index\":1,\"id\":\"{id1}\",\"type\":\"json\",\"timestamp\":\"2023-11-14T22:13:20.000Z\","
    "\"sourceApp\":\"Firefox\",\"content\":\"{\\\"a\\\":1}\"}\n]\n";
const std::string notOffered = "nimbrook: 第 3 条是 Image，不能用 wrapCode 转换（可用：无）\n";
const std::string unknownConversion =
    "nimbrook: 未知的转换“shout”（可用：prettifyJSON, minifyJSON, wrapCode, htmlToMarkdown, "
    "urlToMarkdown, stripFormat）\n";
const CommandCase commandCases[] = {
    {"ListOneLinePerEntryWithoutControls", {"list", "0", "text"}, 0, "", listText},
    {"ListJsonWithLimit", {"list", "1", "json"}, 0, "", listJson},
    {"SearchKeepsHistoryNumbers", {"search", "0", "text", "GIMP"}, 0, "", gimpLine},
    {"SearchFindingNothing", {"search", "0", "json", "nothing"}, 0, "", "[]\n"},
    {"GetIsByteExact", {"get", "2"}, 0, "", controlText},
    {"GetImagePrintsItsPath", {"get", "3"}, 0, "", imagePath + "\n"},
    {"GetPastTheEnd", {"get", "4"}, 1, "nimbrook: 没有第 4 条记录（共 3 条）\n"},
    {"DeleteZero", {"delete", "0"}, 1, "nimbrook: 没有第 0 条记录（共 3 条）\n"},
    {.name = "Copy", .words = {"copy", "3"}, .copied = 2},
    {.name = "Delete", .words = {"delete", "2"}, .contents = {jsonText, imagePath}},
    {"ConvertUnchanged", {"convert", "1", "minifyJSON"}, 1, "nimbrook: 转换无变化\n"},
    {"ConvertNotOffered", {"convert", "3", "wrapCode"}, 1, notOffered},
    {"ConvertUnknown", {"convert", "1", "shout"}, 2, unknownConversion},
    {.name = "Clear", .words = {"clear"}, .contents = {}},
    {.name = "Pause", .words = {"pause"}, .monitoring = false},
    {.name = "ResumeAfterPause", .words = {"resume"}, .before = {"pause"}},
    {"BadLimit", {"list", "-1", "text"}, 2, malformed},
    {"UnknownFormat", {"list", "0", "xml"}, 2, malformed},
    {"HugeNumber", {"get", "99999999999999999999"}, 2, malformed},
    {"ExtraWord", {"clear", "now"}, 2, malformed},
    {"UnknownCommand", {"activate"}, 2, malformed},
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
