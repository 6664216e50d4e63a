#include <optional>
#include <string>
#include <vector>

#include "controller/ControllerFixture.h"
#include "controller/PasteFlow.h"
#include "model/NamedCase.h"
#include "remote/RemoteCommands.h"
#include "support/ScriptedPasteRoute.h"

namespace nimbrook {
namespace {

using Words = std::vector<std::string>;

const std::string jsonText = R"({"a":1})";
const std::string controlText = "line one\n\tline\x1b[2J two";

// What the real program answers to each command it can be sent is checked end to end
// (RemoteControlTest.EveryCommandAgainstAKnownHistory); these are the frames the command line
// never sends, and the effects that test does not look at.
struct CommandCase {
    std::string name;
    Words words;
    int status = 0;
    std::string error{};
    Words before{};
    bool monitoring = true;
    // The history after the command, when it changed.
    Words after{};
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
        writeHistory({makeItem(jsonText, ContentType::json, "Firefox"), makeItem(controlText)});
        launch();
    }
};

TEST_P(Commands, AnswerAndEffect) {
    const CommandCase& c = GetParam();
    RemoteCommands commands(*viewModel_, clock_);
    if (!c.before.empty()) {
        ASSERT_EQ(answer(commands, c.before)->status, 0);
    }
    const RemoteReply reply = answer(commands, c.words).value();
    EXPECT_EQ(reply.status, c.status);
    EXPECT_EQ(reply.output, "");
    EXPECT_EQ(reply.error, c.error);
    EXPECT_EQ(contents(), c.after.empty() ? (Words{jsonText, controlText}) : c.after);
    EXPECT_EQ(viewModel_->isMonitoring(), c.monitoring);
}

const std::string malformed = "nimbrook: 无效的请求\n";
const std::string unknownConversion =
    "nimbrook: 未知的转换“shout”（可用：prettifyJSON, minifyJSON, wrapCode, htmlToMarkdown, "
    "urlToMarkdown, stripFormat）\n";
const CommandCase commandCases[] = {
    {"DeleteZero", {"delete", "0"}, 1, "nimbrook: 没有第 0 条记录（共 2 条）\n"},
    {"PasteThree", {"paste", "3"}, 1, "nimbrook: 没有第 3 条记录（共 2 条）\n"},
    {"PasteTwoEntries", {"paste", "1", "2"}, 2, malformed},
    {"ConvertUnchanged", {"convert", "1", "minifyJSON"}, 1, "nimbrook: 转换无变化\n"},
    {"ConvertUnknown", {"convert", "1", "shout"}, 2, unknownConversion},
    {.name = "Pause", .words = {"pause"}, .monitoring = false},
    {.name = "ResumeAfterPause", .words = {"resume"}, .before = {"pause"}},
    {"BadLimit", {"list", "-1", "text"}, 2, malformed},
    {"UnknownFormat", {"list", "0", "xml"}, 2, malformed},
    {"HugeNumber", {"get", "99999999999999999999"}, 2, malformed},
    {"ExtraWord", {"clear", "now"}, 2, malformed},
    {"UnknownCommand", {"activate"}, 2, malformed},
    {.name = "PinMovesTheEntryOnTop", .words = {"pin", "2"}, .after = {controlText, jsonText}},
    {.name = "UnpinPutsItBack", .words = {"unpin", "1"}, .before = {"pin", "2"}},
    {.name = "PinTwice",
     .words = {"pin", "1"},
     .before = {"pin", "2"},
     .after = {controlText, jsonText}},
    {"PinBeyondTheHistory", {"pin", "3"}, 1, "nimbrook: 没有第 3 条记录（共 2 条）\n"},
    {"PinWithoutNumber", {"unpin"}, 2, malformed},
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

struct ImageCase {
    std::string name;
    Words words;
    int status;
    // The output, or a part of the error.
    std::string expected;
};

const std::string pictureBytes = std::string("\x89PNG\r\n\x1a\n\0\xff pixels", 17);
const ImageCase imageCases[] = {
    {"BytesOfTheFile", {"get", "1", "image"}, 0, pictureBytes},
    {"FileGone", {"get", "2", "image"}, 1, "nimbrook: 第 2 条的图片已丢失：/"},
    {"NotAnImageEntry", {"get", "3", "image"}, 1, "nimbrook: 第 3 条是 JSON，不是图片\n"},
    {"ImageOfACopy", {"copy", "1", "image"}, 2, malformed},
};

class Images : public ControllerFixture, public testing::WithParamInterface<ImageCase> {};

TEST_P(Images, GetWritesTheFileBytes) {
    const auto picture = root_.path() / "clipboard_1.png";
    writeFile(picture, pictureBytes);
    writeHistory({makeItem(picture.string(), ContentType::image),
                  makeItem((root_.path() / "gone.png").string(), ContentType::image),
                  makeItem(jsonText, ContentType::json)});
    launch();
    RemoteCommands commands(*viewModel_, clock_);
    const ImageCase& c = GetParam();
    const RemoteReply reply = answer(commands, c.words).value();
    EXPECT_EQ(reply.status, c.status);
    if (c.status == 0) {
        EXPECT_EQ(reply.output, c.expected);
    } else {
        EXPECT_TRUE(reply.error.starts_with(c.expected)) << reply.error;
    }
}

INSTANTIATE_TEST_SUITE_P(RemoteCommands, Images, testing::ValuesIn(imageCases), nameOf);

struct PasteCase {
    std::string name;
    std::optional<std::string> unavailable;
    bool hasRoute = true;
    int status = 0;
    std::string error = {};
};

const PasteCase pasteCases[] = {
    {"Sent", std::nullopt},
    {"DesktopAllowsNoKeys", "不允许发送按键", true, 1,
     "nimbrook: 已复制，未能粘贴到原窗口：不允许发送按键\n"},
    {"NoPasteAtAll", std::nullopt, false, 1, "nimbrook: 已复制，未能粘贴到原窗口\n"},
};

class Pastes : public ControllerFixture, public testing::WithParamInterface<PasteCase> {};

// Copied whatever happens to the keys; the status tells whether they were sent.
TEST_P(Pastes, CopyThenAnswerWhetherTheKeysWereSent) {
    writeHistory({makeItem("newer"), makeItem("第二条")});
    launch();
    ScriptedPasteRoute route(clock_, {}, "kate");
    route.unavailable_ = GetParam().unavailable;
    PasteFlow flow(
        {*viewModel_, route, scheduler_, [](std::string_view) { return KeyChord::controlV(); }});
    RemoteCommands commands(*viewModel_, clock_, GetParam().hasRoute ? &flow : nullptr);
    const RemoteReply reply = answer(commands, {"paste", "2"}).value();
    EXPECT_EQ(reply.status, GetParam().status);
    EXPECT_EQ(reply.error, GetParam().error);
    EXPECT_EQ(pasteboard_.string(), "第二条");
    EXPECT_EQ(route.sent_.size(), GetParam().status == 0 ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(RemoteCommands, Pastes, testing::ValuesIn(pasteCases), nameOf);

}  // namespace
}  // namespace nimbrook
