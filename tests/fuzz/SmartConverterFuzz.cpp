// Every conversion gives valid UTF-8 for any bytes; a JSON document minifies the same after
// prettifying, and stripping its format is minifying it. On short texts, every substitution
// step of htmlToMarkdown and stripFormat gives what ICU's unbounded replaceAll gives.
#include <string>

#include "FuzzCheck.h"
#include "conversion/SmartConverter.h"
#include "conversion/SubstitutionChain.h"
#include "platform/JsonText.h"
#include "platform/UnicodeText.h"
#include "support/ReferencePattern.h"

namespace nimbrook {
namespace {

// Each step on the text the steps before it left, as the chain applies them.
void requireStepsAsIcu(const SubstitutionChain& chain, std::string text) {
    for (const SubstitutionChain::Step& step : chain.steps()) {
        std::string expected = ReferencePattern::replacedByStep(text, step);
        require(SubstitutionChain::replaced(text, step) == expected,
                "a substitution step gives what ICU gives:", step.find);
        text = std::move(expected);
    }
}

}  // namespace
}  // namespace nimbrook

void nimbrook::checkInput(const std::string& text) {
    using Conversion = SmartConverter::Conversion;
    for (const Conversion conversion : SmartConverter::allCases) {
        require(UnicodeText::isValidUtf8(SmartConverter::convert(text, conversion)),
                "a conversion gives valid UTF-8");
    }
    if (text.size() <= referenceTextLimit) {
        const std::string valid = UnicodeText::repairedUtf8(text);
        requireStepsAsIcu(SmartConverter::htmlToMarkdownSteps(), valid);
        requireStepsAsIcu(SmartConverter::stripFormatSteps(), valid);
    }
    if (!JsonText::isDocument(text)) {
        return;
    }
    const std::string minified = SmartConverter::convert(text, Conversion::minifyJSON);
    const std::string pretty = SmartConverter::convert(text, Conversion::prettifyJSON);
    require(SmartConverter::convert(pretty, Conversion::minifyJSON) == minified,
            "minify(prettify(x)) == minify(x)");
    require(SmartConverter::convert(text, Conversion::stripFormat) == minified,
            "stripFormat(x) == minifyJSON(x) for a JSON document");
}
