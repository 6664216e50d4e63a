#include <string>

#include <gtest/gtest.h>

#include "conversion/SmartConverter.h"
#include "conversion/SubstitutionChain.h"
#include "support/DifferentialTexts.h"
#include "support/ReferencePattern.h"

namespace nimbrook {
namespace {

using Conversion = SmartConverter::Conversion;

// Each step on the text the steps before it left, against ICU's replaceAll of its pattern.
void expectEveryStepAsIcu(const SubstitutionChain& chain, std::string text) {
    for (const SubstitutionChain::Step& step : chain.steps()) {
        const std::string expected = ReferencePattern::replacedByStep(text, step);
        ASSERT_TRUE(SubstitutionChain::replaced(text, step) == expected)
            << "step " << step.find << " on a text of " << text.size() << " bytes: \""
            << text.substr(0, 200) << "\"";
        text = expected;
    }
}

TEST(SubstitutionStepsTest, everyStepGivesWhatIcuGives) {
    for (const std::string& text : differentialTexts()) {
        expectEveryStepAsIcu(SmartConverter::htmlToMarkdownSteps(), text);
        expectEveryStepAsIcu(SmartConverter::stripFormatSteps(), text);
        if (HasFailure()) {
            return;
        }
    }
}

// Beyond what the reference can run in a test, results that ICU's steps give by construction.
TEST(SubstitutionStepsTest, largeTextsAreConvertedWhole) {
    const std::string block = "# T\n```\n" + repeated("int x = 1;\n", 230'000) + "```";
    const std::string stripped = SmartConverter::convert(block, Conversion::stripFormat);
    EXPECT_TRUE(stripped.starts_with("T\nint x = 1;\n"));
    EXPECT_EQ(stripped.find('`'), std::string::npos);

    const std::string html = repeated("<p><b>b</b> <a href=\"u\">t</a><br></p>\n", 224'000);
    const std::string markdown = SmartConverter::convert(html, Conversion::htmlToMarkdown);
    EXPECT_EQ(markdown.find('<'), std::string::npos);
    EXPECT_TRUE(markdown.starts_with("**b** [t](u)\n"));
}

}  // namespace
}  // namespace nimbrook
