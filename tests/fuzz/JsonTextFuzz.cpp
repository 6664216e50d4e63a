// The JSON text service: what parses writes back in forms that parse to the same value, the
// pretty form is stable, isDocument agrees with parse, and a quoted string reads back as the
// (repaired) text.
#include <cstring>
#include <string>

#include <nlohmann/json.hpp>

#include "FuzzCheck.h"
#include "platform/JsonText.h"
#include "platform/UnicodeText.h"

void nimbrook::checkInput(const std::string& text) {
    const auto value = JsonText::parse(text);
    require(JsonText::isDocument(text) == value.has_value(), "isDocument agrees with parse");
    if (value) {
        const std::string pretty = JsonText::pretty(*value);
        const auto fromCompact = JsonText::parse(JsonText::compact(*value));
        const auto fromPretty = JsonText::parse(pretty);
        require(fromCompact && *fromCompact == *value, "the compact form parses to the value");
        require(fromPretty && JsonText::pretty(*fromPretty) == pretty, "the pretty form is stable");
    }
    const auto quoted = JsonText::parse("[" + JsonText::quoted(text) + "]");
    require(quoted && quoted->at(0) == UnicodeText::repairedUtf8(text),
            "a quoted text reads back as the text");
    if (text.size() >= sizeof(double)) {
        double number = 0;
        std::memcpy(&number, text.data(), sizeof number);
        const auto written = JsonText::parse("[" + JsonText::number(number) + "]");
        require(!std::isfinite(number) || (written && written->at(0).get<double>() == number),
                "a number reads back to the same double");
    }
}
