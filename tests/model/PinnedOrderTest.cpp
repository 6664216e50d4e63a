#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "NamedCase.h"
#include "model/HistoryLimit.h"
#include "model/PinnedOrder.h"

namespace nimbrook {
namespace {

using Entries = std::vector<std::string>;

// "C5" is the entry C copied at 5 s; "*P9" is P pinned, copied at 9 s; "*P@4" gives a pin
// time where a list in the shown order is written.
ClipboardItem itemOf(const std::string& written) {
    const bool pinned = written.starts_with('*');
    const std::string rest = written.substr(pinned ? 1 : 0);
    const std::size_t at = rest.find('@');
    const ClipboardItem item(Uuid::random(), rest.substr(0, 1), ContentType::plainText,
                             Timestamp{std::stod(rest.substr(1, at - 1))}, std::nullopt);
    if (!pinned) {
        return item;
    }
    // Read from a file, a pin has no time of its own.
    return item.withPin(Timestamp{at == std::string::npos ? std::numeric_limits<double>::lowest()
                                                          : std::stod(rest.substr(at + 1))});
}

std::vector<ClipboardItem> itemsOf(const Entries& entries) {
    std::vector<ClipboardItem> items;
    for (const std::string& each : entries) {
        items.push_back(itemOf(each));
    }
    return items;
}

// Contents, the pinned ones marked.
Entries namesOf(const std::vector<ClipboardItem>& items) {
    Entries names;
    for (const ClipboardItem& item : items) {
        names.push_back((item.isPinned() ? "*" : "") + item.content());
    }
    return names;
}

struct FileCase {
    std::string name;
    Entries stored;
    Entries shown;
};

class FileOrder : public testing::TestWithParam<FileCase> {};

// A file read and written again keeps its bytes' order: a save never reorders the history.
TEST_P(FileOrder, ShowsThePinsFirstAndStoresThemBackInPlace) {
    const std::vector<ClipboardItem> shown = PinnedOrder::shown(itemsOf(GetParam().stored));
    EXPECT_EQ(namesOf(shown), GetParam().shown);
    Entries stored;
    for (const std::string& each : GetParam().stored) {
        stored.push_back(each.starts_with('*') ? each.substr(0, 2) : each.substr(0, 1));
    }
    EXPECT_EQ(namesOf(PinnedOrder::stored(shown)), stored);
}

const FileCase fileCases[] = {
    {"NoPins", {"C3", "B2", "A1"}, {"C", "B", "A"}},
    {"PinAmidTheOthers", {"C5", "*P9", "B4", "A1"}, {"*P", "C", "B", "A"}},
    {"PinsOrderIsTheirOrderInTheFile", {"*Q1", "C3", "*P7", "B2"}, {"*Q", "*P", "C", "B"}},
    {"PinsAfterEveryOther", {"B2", "*P5", "*Q6"}, {"*P", "*Q", "B"}},
    {"OnlyPins", {"*P1", "*Q2"}, {"*P", "*Q"}},
    {"Empty", {}, {}},
};

INSTANTIATE_TEST_SUITE_P(PinnedOrder, FileOrder, testing::ValuesIn(fileCases), nameOf);

struct ShownCase {
    std::string name;
    Entries shown;
    Entries stored;
};

class StoredOrder : public testing::TestWithParam<ShownCase> {};

TEST_P(StoredOrder, PutsEachPinWhereItsPinTimeStands) {
    EXPECT_EQ(namesOf(PinnedOrder::stored(itemsOf(GetParam().shown))), GetParam().stored);
}

const ShownCase shownCases[] = {
    {"PinnedAfterEveryCopy", {"*P1@9", "*Q2@8", "C5", "B4"}, {"*P", "*Q", "C", "B"}},
    {"CopiedSinceThePin", {"*P1@3", "C5", "B3", "A1"}, {"C", "*P", "B", "A"}},
    {"PinnedBeforeEveryCopy", {"*P9@0", "B4"}, {"B", "*P"}},
};

INSTANTIATE_TEST_SUITE_P(PinnedOrder, StoredOrder, testing::ValuesIn(shownCases), nameOf);

TEST(PinnedOrderTest, StoresEveryPinAndOnlyTheNewestOthersUpToTheLimit) {
    std::vector<ClipboardItem> shown{itemOf("*P1@0"), itemOf("*Q1@0")};
    for (std::size_t each = 0; each < historyLimit + 10; ++each) {
        shown.push_back(itemOf("A" + std::to_string(1000 - each)));
    }
    const std::vector<ClipboardItem> stored = PinnedOrder::stored(shown);
    ASSERT_EQ(stored.size(), historyLimit + 2);
    EXPECT_EQ(stored[historyLimit - 1].id(), shown[historyLimit + 1].id());
    EXPECT_EQ(namesOf({stored.end() - 2, stored.end()}), (Entries{"*P", "*Q"}));

    std::vector<ClipboardItem> trimmed = shown;
    EXPECT_EQ(PinnedOrder::trim(trimmed), 10u);
    EXPECT_EQ(PinnedOrder::pinnedCount(trimmed), 2u);
    EXPECT_EQ(trimmed.back().id(), shown[historyLimit + 1].id());
}

struct PlaceCase {
    std::string name;
    Entries shown;
    double moment;
    std::size_t place;
};

class Place : public testing::TestWithParam<PlaceCase> {};

TEST_P(Place, FollowsThePinsAndTheNewerOthers) {
    EXPECT_EQ(PinnedOrder::placeOf(itemsOf(GetParam().shown), Timestamp{GetParam().moment}),
              GetParam().place);
}

const PlaceCase placeCases[] = {
    {"Newest", {"*P1", "C5", "B3"}, 6, 1},
    {"Between", {"*P1", "C5", "B3"}, 4, 2},
    {"AfterTheSameTime", {"*P1", "C5", "B3"}, 3, 3},
    {"Oldest", {"*P1", "C5", "B3"}, 1, 3},
    {"NoOthers", {"*P1", "*Q2"}, 4, 2},
    {"Empty", {}, 4, 0},
};

INSTANTIATE_TEST_SUITE_P(PinnedOrder, Place, testing::ValuesIn(placeCases), nameOf);

}  // namespace
}  // namespace nimbrook
