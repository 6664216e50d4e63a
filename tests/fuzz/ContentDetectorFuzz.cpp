// Every text gets one of the six types, and invalid UTF-8 the type of its repaired form. On
// short texts, every Markdown and code rule answers as ICU's unbounded search of its pattern.
#include <algorithm>
#include <string>

#include "FuzzCheck.h"
#include "detection/ContentDetector.h"
#include "detection/DetectionRules.h"
#include "platform/UnicodeText.h"
#include "support/ReferencePattern.h"

namespace nimbrook {
namespace {

template <typename Rules>
void requireRulesAsIcu(const Rules& rules, const std::string& text) {
    for (const DetectionRule& rule : rules) {
        require(rule.matches(text) == ReferencePattern::found(rule.pattern, text),
                "a detection rule answers as ICU:", rule.pattern);
    }
}

}  // namespace
}  // namespace nimbrook

void nimbrook::checkInput(const std::string& text) {
    const ContentType type = ContentDetector::detect(text);
    require(std::ranges::find(allContentTypes, type) != allContentTypes.end(),
            "one of the six types");
    if (!UnicodeText::isValidUtf8(text)) {
        require(ContentDetector::detect(UnicodeText::repairedUtf8(text)) == type,
                "invalid UTF-8 is classified as its repaired form");
    }
    if (text.size() <= referenceTextLimit) {
        const std::string valid = UnicodeText::repairedUtf8(text);
        requireRulesAsIcu(DetectionRules::markdown(), valid);
        requireRulesAsIcu(DetectionRules::code(), valid);
    }
}
