#include "platform/JsonStandIns.h"

#include "platform/JsonGrammar.h"
#include "platform/JsonNumberText.h"

namespace nimbrook {

namespace {

bool isNumberCharacter(char c) {
    return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E';
}

std::size_t numberEnd(std::string_view text, std::size_t start) {
    std::size_t end = start;
    while (end < text.size() && isNumberCharacter(text[end])) {
        ++end;
    }
    return end;
}

}  // namespace

std::optional<JsonStandIns> JsonStandIns::of(std::string_view source) {
    if (!JsonGrammar::isDocument(source)) {
        return std::nullopt;
    }
    JsonStandIns standIns;
    standIns.text.reserve(source.size());
    bool any = false;
    bool inString = false;
    std::size_t index = 0;
    while (index < source.size()) {
        const char c = source[index];
        if (!inString && (c == '-' || (c >= '0' && c <= '9'))) {
            const std::size_t end = numberEnd(source, index);
            const std::string_view literal = source.substr(index, end - index);
            const bool beyond = JsonNumberText::isBeyondDouble(literal);
            standIns.text += beyond ? std::string_view("0") : literal;
            standIns.replaced.push_back(beyond ? literal : std::string_view());
            any = any || beyond;
            index = end;
            continue;
        }
        // An escape is copied whole, so that an escaped quote ends no string.
        const std::size_t length = inString && c == '\\' ? 2 : 1;
        inString = c == '"' ? !inString : inString;
        standIns.text += source.substr(index, length);
        index += length;
    }
    return any ? std::optional(std::move(standIns)) : std::nullopt;
}

}  // namespace nimbrook
