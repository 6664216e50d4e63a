#include "model/ContentType.h"

#include <algorithm>

namespace nimbrook {

namespace {

struct Names {
    ContentType type;
    std::string_view raw;
    std::string_view label;
};

constexpr std::array<Names, 6> names{{
    {ContentType::json, "json", "JSON"},
    {ContentType::code, "code", "Code"},
    {ContentType::url, "url", "URL"},
    {ContentType::markdown, "markdown", "Markdown"},
    {ContentType::plainText, "plainText", "Text"},
    {ContentType::image, "image", "Image"},
}};

const Names& namesOf(ContentType type) {
    return *std::find_if(names.begin(), names.end(),
                         [type](const Names& entry) { return entry.type == type; });
}

}  // namespace

std::string_view rawValue(ContentType type) {
    return namesOf(type).raw;
}

std::optional<ContentType> contentTypeFromRawValue(std::string_view raw) {
    const auto found = std::find_if(names.begin(), names.end(),
                                    [raw](const Names& entry) { return entry.raw == raw; });
    if (found == names.end()) {
        return std::nullopt;
    }
    return found->type;
}

std::string_view searchLabel(ContentType type) {
    return namesOf(type).label;
}

}  // namespace nimbrook
