#include <optional>
#include <string>
#include <vector>

#include "ControllerFixture.h"
#include "detection/ContentDetector.h"

namespace nimbrook {
namespace {

using Strings = std::vector<std::string>;
using Conversion = SmartConverter::Conversion;

class CopyBack : public ControllerFixture {
protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        writeHistory(
            {makeItem("A"), makeItem("B"), makeItem("/tmp/x/clipboard_1.png", ContentType::image)});
        launch();
    }
    const ClipboardItem& item(std::size_t index) const { return viewModel_->items()[index]; }
};

TEST_F(CopyBack, PutsTheContentAsTextAndLeavesTheListAlone) {
    viewModel_->copyToPasteboard(item(2));
    EXPECT_EQ(pasteboard_.string(), "/tmp/x/clipboard_1.png");
    EXPECT_EQ(pasteboard_.pngData(), std::nullopt);
    clock_.advance(3s);
    EXPECT_EQ(contents(), (Strings{"A", "B", "/tmp/x/clipboard_1.png"}));
    EXPECT_EQ(savedContents()->size(), 3u);
    EXPECT_EQ(scheduler_.pendingDelayedCount(), 0u);
}

// Copying the highlighted entry again keeps its first deadline; another entry takes the
// highlight at once and keeps it eight tenths of a second.
TEST_F(CopyBack, HighlightEndsEightTenthsAfterItMoved) {
    viewModel_->copyToPasteboard(item(0));
    clock_.advance(500ms);
    viewModel_->copyToPasteboard(item(0));
    clock_.advance(299ms);
    EXPECT_EQ(viewModel_->copiedFlash(), item(0).id());
    clock_.advance(1ms);
    EXPECT_EQ(viewModel_->copiedFlash(), std::nullopt);

    viewModel_->copyToPasteboard(item(0));
    clock_.advance(300ms);
    viewModel_->copyToPasteboard(item(1));
    EXPECT_EQ(viewModel_->copiedFlash(), item(1).id());
    clock_.advance(799ms);
    EXPECT_EQ(viewModel_->copiedFlash(), item(1).id());
    clock_.advance(1ms);
    EXPECT_EQ(viewModel_->copiedFlash(), std::nullopt);
}

// A conversion that does nothing useful raises its toast and touches nothing else.
struct IdleConversionCase {
    std::string name;
    std::string content;
    Conversion conversion;
    std::string toast;
};

const std::vector<IdleConversionCase> idleConversionCases = {
    {"CanonicallyEqualUnchanged", "{\"k\":\"cafe\u0301\"}", Conversion::minifyJSON, "转换无变化"},
    {"BlankResult", " \n\t ", Conversion::urlToMarkdown, "转换结果为空"},
};

class IdleConversion : public ControllerFixture,
                       public testing::WithParamInterface<IdleConversionCase> {};

TEST_P(IdleConversion, OnlyRaisesItsToast) {
    writeHistory({makeItem(GetParam().content)});
    launch();
    std::filesystem::remove(storage_->fileURL());
    viewModel_->copyConverted(viewModel_->items()[0], GetParam().conversion);
    EXPECT_EQ(viewModel_->toastMessage(), GetParam().toast);
    EXPECT_EQ(pasteboard_.writeCount(), 0);
    EXPECT_EQ(contents(), Strings{GetParam().content});
    clock_.advance(1499ms);
    EXPECT_EQ(viewModel_->toastMessage(), GetParam().toast);
    clock_.advance(1ms);
    EXPECT_EQ(viewModel_->toastMessage(), std::nullopt);
    EXPECT_EQ(savedContents(), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(Conversions, IdleConversion, testing::ValuesIn(idleConversionCases),
                         [](const auto& info) { return info.param.name; });

class Conversions : public ControllerFixture {};

TEST_F(Conversions, ResultReplacesTheEntryInPlaceAndIsCopiedOnce) {
    writeHistory({makeItem("A"), makeItem("B"), makeItem("C"),
                  makeItem("{\"b\":[1,2]}", ContentType::json, "Kate"), makeItem("E")});
    launch();
    clock_.advance(10s);
    const ClipboardItem old = viewModel_->items()[3];
    viewModel_->copyConverted(old, Conversion::wrapCode);

    const std::string expected = SmartConverter::convert(old.content(), Conversion::wrapCode);
    ASSERT_EQ(viewModel_->items().size(), 5u);
    const ClipboardItem& converted = viewModel_->items()[3];
    EXPECT_NE(converted.id(), old.id());
    EXPECT_EQ(converted.content(), expected);
    EXPECT_EQ(converted.contentType(), ContentDetector::detect(expected));
    EXPECT_EQ(converted.timestamp(), clock_.now());
    EXPECT_EQ(converted.sourceApp(), "Kate");
    EXPECT_EQ(pasteboard_.string(), expected);
    EXPECT_EQ(viewModel_->toastMessage(), "已转换并复制");
    EXPECT_EQ(viewModel_->copiedFlash(), std::nullopt);

    tick();
    EXPECT_EQ(viewModel_->items().size(), 5u);
    clock_.advance(1s);
    EXPECT_EQ(savedContents()->at(3), expected);
}

TEST_F(Conversions, EntryRemovedMeanwhileStillCopiesTheResult) {
    writeHistory({makeItem("[1,2]")});
    launch();
    const ClipboardItem gone = viewModel_->items()[0];
    viewModel_->clearAll();
    clock_.advance(2s);
    viewModel_->copyConverted(gone, Conversion::wrapCode);
    EXPECT_TRUE(viewModel_->items().empty());
    EXPECT_EQ(pasteboard_.string(), SmartConverter::convert("[1,2]", Conversion::wrapCode));
    EXPECT_EQ(viewModel_->toastMessage(), "已转换并复制");
    tick();
    EXPECT_TRUE(viewModel_->items().empty());
    EXPECT_EQ(scheduler_.pendingDelayedCount(), 1u);
}

TEST_F(Conversions, OlderToastNeverCutsANewerOneShort) {
    writeHistory({makeItem("plain"), makeItem("[1,2]")});
    launch();
    viewModel_->copyConverted(viewModel_->items()[0], Conversion::prettifyJSON);
    clock_.advance(1s);
    viewModel_->copyConverted(viewModel_->items()[1], Conversion::wrapCode);
    clock_.advance(1s);
    EXPECT_EQ(viewModel_->toastMessage(), "已转换并复制");
    clock_.advance(500ms);
    EXPECT_EQ(viewModel_->toastMessage(), std::nullopt);
}

}  // namespace
}  // namespace nimbrook
