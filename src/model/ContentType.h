#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace nimbrook {

// The classification of an entry; the raw values are what the history file stores.
enum class ContentType { json, code, url, markdown, plainText, image };

// All cases in declaration order.
inline constexpr std::array<ContentType, 6> allContentTypes{
    ContentType::json,     ContentType::code,      ContentType::url,
    ContentType::markdown, ContentType::plainText, ContentType::image,
};

// "json", "code", "url", "markdown", "plainText", "image".
std::string_view rawValue(ContentType type);
// Exactly one of the six raw values (case-sensitive); nullopt for any other text.
std::optional<ContentType> contentTypeFromRawValue(std::string_view raw);
// The English word by which search finds entries of the type ("JSON", "Code", ...).
std::string_view searchLabel(ContentType type);

}  // namespace nimbrook
