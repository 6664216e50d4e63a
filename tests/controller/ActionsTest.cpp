#include <string>

#include "ControllerFixture.h"
#include "detection/ContentDetector.h"

namespace nimbrook {
namespace {

using Conversion = SmartConverter::Conversion;

const Script scripts[] = {
    {"CopyBackPutsTheContentAsTextAndLeavesTheListAlone",
     {"copyback 1", "pasteboard B", "wait 3000", "items A|B", "unsaved"},
     {"A", "B"}},
    // Copying the highlighted entry again keeps its first deadline; another entry takes the
    // highlight at once and keeps it eight tenths of a second.
    {"HighlightEndsEightTenthsAfterItMoved",
     {"copyback 0", "wait 500", "copyback 0", "wait 299", "flash 0", "wait 1", "flash -",
      "copyback 0", "wait 300", "copyback 1", "flash 1", "wait 799", "flash 1", "wait 1",
      "flash -"},
     {"A", "B"}},
    {"CanonicallyEqualConversionOnlyRaisesItsToast",
     {"convert 0 minifyJSON", "toast 转换无变化", "pasteboard -", "items {\"k\":\"cafe\u0301\"}",
      "wait 1499", "toast 转换无变化", "wait 1", "toast -", "unsaved"},
     {"{\"k\":\"cafe\u0301\"}"}},
    {"BlankConversionOnlyRaisesItsToast",
     {"convert 0 urlToMarkdown", "toast 转换结果为空", "pasteboard -", "items  \n\t ", "wait 2000",
      "unsaved"},
     {" \n\t "}},
    {"OlderToastNeverCutsANewerOneShort",
     {"convert 0 prettifyJSON", "wait 1000", "convert 1 wrapCode", "wait 1000",
      "toast 已转换并复制", "wait 500", "toast -"},
     {"plain", "[1,2]"}},
};

INSTANTIATE_TEST_SUITE_P(Actions, Scripted, testing::ValuesIn(scripts), nameOf);

TEST_F(Controller, ConversionResultReplacesTheEntryInPlaceAndIsCopiedOnce) {
    writeHistory(
        {makeItem("A"), makeItem("{\"b\":[1,2]}", ContentType::json, "Kate"), makeItem("E")});
    launch();
    clock_.advance(10s);
    const ClipboardItem old = viewModel_->items()[1];
    viewModel_->copyConverted(old, Conversion::wrapCode);

    const std::string expected = "```\n{\"b\":[1,2]}\n```";
    const ClipboardItem converted = viewModel_->items().at(1);
    EXPECT_NE(converted.id(), old.id());
    EXPECT_EQ(converted.contentType(), ContentDetector::detect(expected));
    EXPECT_EQ(converted.timestamp(), clock_.now());
    EXPECT_EQ(converted.sourceApp(), "Kate");
    play({"toast 已转换并复制", "flash -", "wait 500", "items A|" + expected + "|E",
          "pasteboard " + expected, "wait 1000", "saved A|" + expected + "|E"});
}

}  // namespace
}  // namespace nimbrook
