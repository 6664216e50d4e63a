// The JSON text service: what parses writes exactly what an nlohmann tree of it writes, in forms
// that parse again to themselves, isDocument agrees with parse, and a quoted string or a written
// number reads back as the (repaired) text or the same double.
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

#include "FuzzCheck.h"
#include "platform/JsonText.h"
#include "platform/UnicodeText.h"
#include "support/ReferenceJson.h"

namespace nimbrook {
namespace {

// The text of the one element of a written array.
std::string_view onlyElement(const JsonDocument& document) {
    return document.text(document.elements(JsonDocument::root).front());
}

}  // namespace
}  // namespace nimbrook

void nimbrook::checkInput(const std::string& text) {
    const auto document = JsonText::parse(text);
    require(JsonText::isDocument(text) == document.has_value(), "isDocument agrees with parse");
    const auto expectedPretty = ReferenceJson::pretty(text);
    require(expectedPretty.has_value() == document.has_value(), "parse accepts as the reference");
    if (document) {
        const std::string pretty = JsonText::pretty(*document);
        const std::string compact = JsonText::compact(*document);
        require(pretty == *expectedPretty, "the pretty form is the reference's");
        require(compact == ReferenceJson::compact(text), "the compact form is the reference's");
        const auto fromCompact = JsonText::parse(compact);
        const auto fromPretty = JsonText::parse(pretty);
        require(fromCompact && JsonText::compact(*fromCompact) == compact,
                "the compact form is stable");
        require(fromPretty && JsonText::pretty(*fromPretty) == pretty, "the pretty form is stable");
    }
    const auto quoted = JsonText::parse("[" + JsonText::quoted(text) + "]");
    require(quoted && onlyElement(*quoted) == UnicodeText::repairedUtf8(text),
            "a quoted text reads back as the text");
    if (text.size() >= sizeof(double)) {
        double number = 0;
        std::memcpy(&number, text.data(), sizeof number);
        const auto written = JsonText::parse("[" + JsonText::number(number) + "]");
        double readBack = 0;
        if (written) {
            const std::string_view literal = onlyElement(*written);
            std::from_chars(literal.data(), literal.data() + literal.size(), readBack);
        }
        require(!std::isfinite(number) || (written && readBack == number),
                "a number reads back to the same double");
    }
}
