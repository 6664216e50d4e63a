#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "model/NamedCase.h"
#include "model/RelativeTimeFormatter.h"
#include "remote/ContentBody.h"
#include "remote/HistoryListing.h"

namespace nimbrook {
namespace {

const Timestamp copied = Timestamp::fromUnixSeconds(1700000000.0);
const Timestamp now = Timestamp::fromUnixSeconds(1700000000.0 + 3 * 3600 + 60);

// Every byte of `body`, checking that it comes in chunks of at most one chunk's size and adds
// up to the size its frame announced.
std::string drained(ReplyBody& body) {
    std::string all;
    for (std::string_view chunk = body.next(); !chunk.empty(); chunk = body.next()) {
        EXPECT_LE(chunk.size(), ReplyBody::chunkSize);
        all += chunk;
    }
    EXPECT_EQ(all.size(), body.size());
    EXPECT_TRUE(body.next().empty());
    return all;
}

// The listings as they were built whole, each string quoted by the JSON library.
std::string wholeJson(const std::vector<ClipboardItem>& items,
                      const std::vector<std::size_t>& indexes) {
    std::string out = "[";
    for (const std::size_t index : indexes) {
        const ClipboardItem& item = items[index];
        const auto& source = item.sourceApp();
        out += (out.size() == 1 ? "\n" : ",\n") + std::string("{\"index\":") +
               std::to_string(index + 1) + ",\"id\":\"" + item.id().text() + "\",\"type\":\"" +
               std::string(rawValue(item.contentType())) + "\",\"timestamp\":\"" +
               HistoryListing::isoTimestamp(item.timestamp()) +
               "\",\"sourceApp\":" + (source ? nlohmann::json(*source).dump() : "null") +
               ",\"pinned\":" + (item.isPinned() ? "true" : "false") +
               (item.contentType() == ContentType::image ? ",\"path\":" : ",\"content\":") +
               nlohmann::json(item.content()).dump() + "}";
    }
    return out + (indexes.empty() ? "]\n" : "\n]\n");
}

std::string wholeText(const std::vector<ClipboardItem>& items,
                      const std::vector<std::size_t>& indexes) {
    std::string out;
    for (const std::size_t index : indexes) {
        const ClipboardItem& item = items[index];
        const auto& source = item.sourceApp();
        const std::string application = source ? HistoryListing::oneLine(*source) : "";
        out += std::to_string(index + 1) + '\t' + std::string(searchLabel(item.contentType())) +
               '\t' + ClipboardItem::relativeFormatter().format(item.timestamp(), now) + '\t' +
               (application.empty() ? "-" : application) + '\t' + (item.isPinned() ? "置顶" : "-") +
               '\t' + HistoryListing::oneLine(item.preview()) + '\n';
    }
    return out;
}

std::string repeated(const std::string& text, std::size_t times) {
    std::string out;
    out.reserve(text.size() * times);
    for (std::size_t i = 0; i < times; ++i) {
        out += text;
    }
    return out;
}

struct BodyCase {
    std::string name;
    std::vector<std::string> contents;
    std::optional<std::string> source = std::nullopt;
    ContentType type = ContentType::plainText;
};

class Bodies : public testing::TestWithParam<BodyCase> {
protected:
    void SetUp() override {
        for (const std::string& content : GetParam().contents) {
            const ClipboardItem item(Uuid::random(), content, GetParam().type, copied,
                                     GetParam().source);
            // Every third one pinned, which the listings mark.
            items_.push_back(items_.size() % 3 == 0 ? item.withPin(copied) : item);
            all_.push_back(all_.size());
            if (all_.size() % 2 == 0) {
                // A search's listing: entries keep their place in the whole history.
                even_.push_back(all_.back());
            }
        }
    }

    std::vector<ClipboardItem> items_;
    std::vector<std::size_t> all_;
    std::vector<std::size_t> even_;
};

// The frame's sizes are counted before the first byte, and the bytes come a slice at a time:
// neither may change a byte of what the listing was when it was built whole.
TEST_P(Bodies, JsonListingIsTheWholeListing) {
    for (const auto& indexes : {all_, even_}) {
        EXPECT_TRUE(drained(*HistoryListing::json(items_, indexes)) == wholeJson(items_, indexes));
    }
}

TEST_P(Bodies, TextListingIsTheWholeListing) {
    for (const auto& indexes : {all_, even_}) {
        EXPECT_TRUE(drained(*HistoryListing::text(items_, indexes, now)) ==
                    wholeText(items_, indexes));
    }
}

TEST_P(Bodies, ContentIsTheEntryAsItIs) {
    for (const ClipboardItem& item : items_) {
        ContentBody body(item, "\n");
        EXPECT_TRUE(drained(body) == item.content() + "\n");
    }
}

const std::string controls = "\"q\" \\ \b\f\n\r\t" + std::string("\0\x01\x1b[2J\x1f\x7f", 9);
const BodyCase bodyCases[] = {
    {.name = "NoEntries", .contents = {}},
    {.name = "EmptyEntries", .contents = {"", "", " \n"}},
    {.name = "ControlsQuotesAndBackslashes", .contents = {repeated(controls, 20000)}},
    // Slices end anywhere: every shift of two-, three- and four-byte characters, between
    // characters that grow to six bytes and that stay as they are.
    {.name = "MultiByteAcrossSlices",
     .contents = {repeated("é", 70000), "a" + repeated("剪", 50000), "ab" + repeated("📋", 40000),
                  "abc" + repeated("a\x01剪\"📋\\é", 30000)},
     .source = "文本编辑器\t\x01"},
    {.name = "Huge", .contents = {std::string(12 << 20, 'x') + "剪贴板\n", "after"}},
    {.name = "ManyLinesOfText",
     .contents = std::vector<std::string>(400, repeated("萤川剪贴板，", 40)),
     .source = "Firefox"},
    {.name = "Images",
     .contents = {"/tmp/com.quolla.nimbrook-1000/clipboard_1.png", "/tmp/\"odd\"\\path.png"},
     .type = ContentType::image},
};
INSTANTIATE_TEST_SUITE_P(ReplyBody, Bodies, testing::ValuesIn(bodyCases), nameOf);

}  // namespace
}  // namespace nimbrook
