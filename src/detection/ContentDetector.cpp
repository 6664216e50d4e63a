#include "detection/ContentDetector.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "detection/DetectionRules.h"
#include "detection/MatchBounds.h"
#include "platform/CharacterSet.h"
#include "platform/JsonText.h"
#include "platform/PathText.h"
#include "platform/UnicodeText.h"
#include "platform/UrlReference.h"

namespace nimbrook {

namespace {

constexpr std::array<std::string_view, 10> imageExtensions{
    "png", "jpg", "jpeg", "gif", "bmp", "tiff", "webp", "heic", "heif", "svg",
};

// The full lower-case mapping never maps a character to nothing, so an extension whose
// lower-case form is a member has at most four characters of at most four bytes each.
// Longer extensions are rejected before the (costly) lower-casing of a huge text.
constexpr std::size_t longestImageExtensionBytes = 4 * 4;

// Only the number of matching rules counts.
template <std::size_t count>
bool atLeastMatch(const std::array<DetectionRule, count>& rules, std::string_view text,
                  std::size_t needed) {
    std::size_t matched = 0;
    for (std::size_t index = 0; index < count; ++index) {
        // Stop as soon as the remaining rules cannot make up the number any more.
        if (matched + (count - index) < needed) {
            return false;
        }
        if (rules[index].matches(text) && ++matched == needed) {
            return true;
        }
    }
    return false;
}

bool isImagePath(std::string_view text) {
    const std::string extension = PathText::extension(text);
    if (extension.empty() || extension.size() > longestImageExtensionBytes) {
        return false;
    }
    const std::string lowered = UnicodeText::lowercased(extension);
    return std::find(imageExtensions.begin(), imageExtensions.end(), lowered) !=
           imageExtensions.end();
}

// Strict JSON never ends in JSON white space (which the trim removed), so a text that
// parses ends with the bracket that closes its opening one; checking that first keeps
// long bracket runs away from the parser.
bool isJson(std::string_view text) {
    const bool isObject = text.starts_with('{') && text.ends_with('}');
    const bool isArray = text.starts_with('[') && text.ends_with(']');
    return (isObject || isArray) && JsonText::isDocument(text);
}

// One line (splitting the trimmed text at line breaks leaves exactly one non-empty piece
// only when it has no line break at all), accepted as a URL reference, with the scheme
// written exactly "http" or "https". The scheme leads the text, so other texts are
// rejected before the scan for line breaks.
bool isUrl(std::string_view text) {
    if (!text.starts_with("http:") && !text.starts_with("https:")) {
        return false;
    }
    if (MatchBounds::containsLineBreak(text)) {
        return false;
    }
    const std::optional<UrlReference> reference = UrlReference::parse(text);
    return reference.has_value() && (reference->scheme == "http" || reference->scheme == "https");
}

bool isMarkdown(std::string_view text) {
    return atLeastMatch(DetectionRules::markdown(), text, 2);
}

bool isCode(std::string_view text) {
    return atLeastMatch(DetectionRules::code(), text, 3);
}

ContentType classify(std::string_view text) {
    const std::string trimmed = CharacterSets::trimmed(text, CharacterSet::whitespaceAndNewlines);
    if (trimmed.empty()) {
        return ContentType::plainText;
    }
    if (isImagePath(trimmed)) {
        return ContentType::image;
    }
    if (isJson(trimmed)) {
        return ContentType::json;
    }
    if (isUrl(trimmed)) {
        return ContentType::url;
    }
    if (isMarkdown(trimmed)) {
        return ContentType::markdown;
    }
    if (isCode(trimmed)) {
        return ContentType::code;
    }
    return ContentType::plainText;
}

}  // namespace

ContentType ContentDetector::detect(const std::string& text) {
    // Texts from the pasteboard arrive repaired; anything else is classified as it
    // will be stored and shown, with invalid bytes replaced.
    if (!UnicodeText::isValidUtf8(text)) {
        return classify(UnicodeText::repairedUtf8(text));
    }
    return classify(text);
}

}  // namespace nimbrook
