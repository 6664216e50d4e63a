#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "ControllerFixture.h"

namespace nimbrook {
namespace {

struct SearchCase {
    std::string name;
    std::string query;
    // The keys of the matching entries, in history order.
    Strings expected;
};

struct Entry {
    std::string key;
    std::string content;
    ContentType type;
    std::optional<std::string> sourceApp;
};

const std::vector<Entry> entries = {
    {"code", "func main() {}", ContentType::code, "Kate"},
    {"hello", "Hello World", ContentType::plainText, "Firefox ESR"},
    {"image", "/tmp/com.quolla.nimbrook-0/clipboard_1733400000.png", ContentType::image, "Files"},
    {"json", "{ \"k\" : \"D\u00e9cor\" }", ContentType::json, std::nullopt},
    {"chinese", "中文剪贴板内容", ContentType::plainText, "终端"},
    {"markdown", "no_spaces_here", ContentType::markdown, "Text Editor"},
    {"qualcode", "Qualcode review", ContentType::plainText, std::nullopt},
    {"caron", "J\u030C", ContentType::json, std::nullopt},
};

const std::vector<SearchCase> searchCases = {
    {"EmptyListsEverything",
     "",
     {"code", "hello", "image", "json", "chinese", "markdown", "qualcode", "caron"}},
    {"SpaceIsSearchedAsIs", " ", {"code", "hello", "json", "markdown", "qualcode"}},
    {"LabelInCapitals", "CODE", {"code", "qualcode"}},
    {"ImageByFileName", "png", {"image"}},
    {"TextLabelAndSourceName", "text", {"hello", "chinese", "markdown", "qualcode"}},
    {"ChineseContent", "剪贴", {"chinese"}},
    {"DecomposedQueryInCapitals", "DE\u0301COR", {"json"}},
    {"LowerCasingThatLeavesNfc", "\u01F0", {"caron"}},
    {"InvalidUtf8Query", "\xff", {}},
};

class Search : public ControllerFixture, public testing::WithParamInterface<SearchCase> {};

TEST_P(Search, ListsMatchesInHistoryOrder) {
    std::vector<ClipboardItem> items;
    for (const Entry& entry : entries) {
        items.push_back(makeItem(entry.content, entry.type, entry.sourceApp));
    }
    writeHistory(items);
    launch();
    viewModel_->setSearchText(GetParam().query);
    Strings keys;
    for (const ClipboardItem& item : viewModel_->filteredItems()) {
        const auto entry = std::ranges::find(entries, item.content(), &Entry::content);
        keys.push_back(entry == entries.end() ? "?" : entry->key);
    }
    EXPECT_EQ(keys, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Queries, Search, testing::ValuesIn(searchCases), nameOf);

}  // namespace
}  // namespace nimbrook
