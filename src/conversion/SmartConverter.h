#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/SubstitutionChain.h"
#include "model/ContentType.h"

namespace nimbrook {

// The six smart conversions. Pure; every conversion returns a text in bounded time.
class SmartConverter final {
public:
    enum class Conversion {
        prettifyJSON,
        minifyJSON,
        wrapCode,
        htmlToMarkdown,
        urlToMarkdown,
        stripFormat
    };

    static constexpr std::array<Conversion, 6> allCases{
        Conversion::prettifyJSON,   Conversion::minifyJSON,    Conversion::wrapCode,
        Conversion::htmlToMarkdown, Conversion::urlToMarkdown, Conversion::stripFormat,
    };

    // "prettifyJSON", "minifyJSON", "wrapCode", "htmlToMarkdown", "urlToMarkdown",
    // "stripFormat": the identity of a conversion outside the program's code.
    static std::string_view rawValue(Conversion conversion);
    // Exactly one of the six raw values (case-sensitive); nullopt for any other text.
    static std::optional<Conversion> fromRawValue(std::string_view raw);
    // The menu title, e.g. "格式化 JSON", "HTML → Markdown".
    static std::string_view title(Conversion conversion);
    // The conversions an entry of the type offers, in menu order; none for an image.
    static std::vector<Conversion> offeredFor(ContentType type);

    // The conversion's result; the input unchanged (or trimmed, for a URL link) when the
    // conversion cannot do its work. Any bytes are accepted: invalid UTF-8 is repaired
    // (U+FFFD) first, so the result is always valid UTF-8. Never throws; linear time.
    static std::string convert(const std::string& text, Conversion conversion);

    // The substitutions of htmlToMarkdown and of stripFormat, in order, before their trims.
    static const SubstitutionChain& htmlToMarkdownSteps();
    static const SubstitutionChain& stripFormatSteps();

private:
    // The pretty form (sorted keys, one member per line) of a JSON object or array;
    // any other text unchanged.
    static std::string prettifyJSON(const std::string& text);
    // The compact form of a JSON object or array; any other text unchanged.
    static std::string minifyJSON(const std::string& text);
    // Headings 1 to 4, bold, emphasis, links, inline code, line breaks, paragraphs and
    // list items as Markdown; every other tag removed, five entities decoded, trimmed.
    static std::string htmlToMarkdown(const std::string& text);
    // "[host](url)" or "[link](url)" for a URL reference; otherwise the trimmed text.
    static std::string urlToMarkdownLink(const std::string& text);
    // For a JSON object or array by the grammar, exactly what minifyJSON gives; otherwise Markdown
    // markers of headings, emphasis, links and code removed and every line trimmed.
    static std::string stripFormat(const std::string& text);
};

}  // namespace nimbrook
