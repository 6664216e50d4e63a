#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

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

    static std::string_view rawValue(Conversion conversion);
    // Exactly one of the six raw values; nullopt for any other text.
    static std::optional<Conversion> fromRawValue(std::string_view raw);
    // The menu title, e.g. "格式化 JSON", "HTML → Markdown".
    static std::string_view title(Conversion conversion);

    // The conversion's result; the input unchanged (or trimmed, for a URL link) when the
    // conversion cannot do its work.
    static std::string convert(const std::string& text, Conversion conversion);
};

}  // namespace nimbrook
