#include "platform/JsonText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

#include "platform/JsonNumberText.h"
#include "platform/JsonStandIns.h"
#include "platform/JsonTreeBuilder.h"
#include "platform/UnicodeText.h"
#include "platform/Utf8.h"

namespace nimbrook {

namespace {

// Deeper documents are refused before parsing: every step of the writer (and of
// nlohmann's copy and comparison) recurses once per level.
constexpr std::size_t maxDepth = 512;

// The deepest nesting of brackets outside string literals, counting no further than
// the limit. Malformed text may give any answer; the parser rejects it anyway.
bool nestsWithinLimit(std::string_view text) {
    std::size_t depth = 0;
    bool inString = false;
    for (std::size_t index = 0; index < text.size(); ++index) {
        const char c = text[index];
        if (inString) {
            if (c == '\\') {
                ++index;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > maxDepth) {
                return false;
            }
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        }
    }
    return true;
}

bool isJsonWhitespace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Orders two UTF-8 strings as their UTF-16 forms compare code unit by code unit. Code
// point order (that of the bytes) differs only where a character above U+FFFF, stored
// as surrogates D800..DFFF, meets one of U+E000..U+FFFF.
bool lessByUtf16(const std::string& a, const std::string& b) {
    const auto mismatch = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    if (mismatch.second == b.end()) {
        return false;
    }
    if (mismatch.first == a.end()) {
        return true;
    }
    // Step back to the start of the character in which the two differ.
    std::size_t start = static_cast<std::size_t>(mismatch.first - a.begin());
    while (start > 0 && (static_cast<unsigned char>(a[start]) & 0xC0) == 0x80) {
        --start;
    }
    const int32_t left = utf8::decodeAt(a, start).codePoint;
    const int32_t right = utf8::decodeAt(b, start).codePoint;
    const bool leftSupplementary = left > 0xFFFF;
    const bool rightSupplementary = right > 0xFFFF;
    if (leftSupplementary != rightSupplementary) {
        const int32_t bmp = leftSupplementary ? right : left;
        const bool bmpFirst = bmp < 0xD800;
        return leftSupplementary ? !bmpFirst : bmpFirst;
    }
    return static_cast<unsigned char>(*mismatch.first) <
           static_cast<unsigned char>(*mismatch.second);
}

class Writer final {
public:
    explicit Writer(bool pretty) : pretty_(pretty) {}

    // False when the value nests deeper than the limit.
    bool write(const nlohmann::json& value, std::size_t depth) {
        if (depth > maxDepth) {
            return false;
        }
        switch (value.type()) {
            case nlohmann::json::value_t::object:
                return writeObject(value, depth);
            case nlohmann::json::value_t::array:
                return writeArray(value, depth);
            case nlohmann::json::value_t::string:
                out_ += JsonText::quoted(value.get_ref<const std::string&>());
                return true;
            case nlohmann::json::value_t::boolean:
                out_ += value.get<bool>() ? "true" : "false";
                return true;
            case nlohmann::json::value_t::number_integer:
                out_ += std::to_string(value.get<std::int64_t>());
                return true;
            case nlohmann::json::value_t::number_unsigned:
                out_ += std::to_string(value.get<std::uint64_t>());
                return true;
            case nlohmann::json::value_t::number_float:
                out_ += JsonText::number(value.get<double>());
                return true;
            case nlohmann::json::value_t::binary:
                out_ += JsonNumberText::textOf(value).value_or("null");
                return true;
            default:
                out_ += "null";
                return true;
        }
    }

    std::string take() { return std::move(out_); }

private:
    bool writeObject(const nlohmann::json& object, std::size_t depth) {
        if (object.empty()) {
            out_ += "{}";
            return true;
        }
        using Member = std::pair<const std::string*, const nlohmann::json*>;
        std::vector<Member> members;
        members.reserve(object.size());
        for (auto it = object.begin(); it != object.end(); ++it) {
            members.emplace_back(&it.key(), &it.value());
        }
        if (pretty_) {
            std::sort(members.begin(), members.end(), [](const Member& a, const Member& b) {
                return lessByUtf16(*a.first, *b.first);
            });
        }
        out_ += '{';
        for (std::size_t index = 0; index < members.size(); ++index) {
            separate(index, depth + 1);
            out_ += JsonText::quoted(*members[index].first);
            out_ += pretty_ ? " : " : ":";
            if (!write(*members[index].second, depth + 1)) {
                return false;
            }
        }
        close(depth, '}');
        return true;
    }

    bool writeArray(const nlohmann::json& array, std::size_t depth) {
        if (array.empty()) {
            out_ += "[]";
            return true;
        }
        out_ += '[';
        for (std::size_t index = 0; index < array.size(); ++index) {
            separate(index, depth + 1);
            if (!write(array[index], depth + 1)) {
                return false;
            }
        }
        close(depth, ']');
        return true;
    }

    void separate(std::size_t index, std::size_t depth) {
        if (index > 0) {
            out_ += ',';
        }
        newline(depth);
    }

    void close(std::size_t depth, char bracket) {
        newline(depth);
        out_ += bracket;
    }

    void newline(std::size_t depth) {
        if (pretty_) {
            out_ += '\n';
            out_.append(depth * 2, ' ');
        }
    }

    bool pretty_ = false;
    std::string out_;
};

std::string written(const nlohmann::json& value, bool pretty) {
    Writer writer(pretty);
    return writer.write(value, 0) ? writer.take() : std::string();
}

// The checks that nlohmann's parser does not make.
bool mayBeDocument(std::string_view text) {
    const auto first = std::find_if_not(text.begin(), text.end(), isJsonWhitespace);
    // nlohmann's lexer takes a NUL byte for the end of the input, which would let
    // anything after it through; no JSON text holds one.
    return first != text.end() && (*first == '{' || *first == '[') &&
           text.find('\0') == std::string_view::npos && nestsWithinLimit(text);
}

}  // namespace

std::optional<nlohmann::json> JsonText::parse(std::string_view text) {
    if (!mayBeDocument(text)) {
        return std::nullopt;
    }
    if (std::optional<nlohmann::json> value = JsonTreeBuilder::build(text, nullptr)) {
        return value;
    }
    const std::optional<JsonStandIns> standIns = JsonStandIns::of(text);
    return standIns ? JsonTreeBuilder::build(standIns->text, &standIns->replaced) : std::nullopt;
}

bool JsonText::isDocument(std::string_view text) {
    if (!mayBeDocument(text)) {
        return false;
    }
    if (nlohmann::json::accept(text.begin(), text.end())) {
        return true;
    }
    const std::optional<JsonStandIns> standIns = JsonStandIns::of(text);
    return standIns && nlohmann::json::accept(standIns->text.begin(), standIns->text.end());
}

std::string JsonText::pretty(const nlohmann::json& value) {
    return written(value, true);
}

std::string JsonText::compact(const nlohmann::json& value) {
    return written(value, false);
}

std::string JsonText::quoted(std::string_view text) {
    static constexpr char hexDigits[] = "0123456789abcdef";
    const bool valid = UnicodeText::isValidUtf8(text);
    const std::string repaired = valid ? std::string() : UnicodeText::repairedUtf8(text);
    const std::string_view source = valid ? text : std::string_view(repaired);
    std::string out;
    out.reserve(source.size() + 2);
    out += '"';
    std::size_t copiedUpTo = 0;
    for (std::size_t index = 0; index < source.size(); ++index) {
        const auto c = static_cast<unsigned char>(source[index]);
        if (c >= 0x20 && c != '"' && c != '\\' && c != '/') {
            continue;
        }
        out.append(source.substr(copiedUpTo, index - copiedUpTo));
        copiedUpTo = index + 1;
        out += '\\';
        switch (c) {
            case '\b':
                out += 'b';
                break;
            case '\f':
                out += 'f';
                break;
            case '\n':
                out += 'n';
                break;
            case '\r':
                out += 'r';
                break;
            case '\t':
                out += 't';
                break;
            case '"':
            case '\\':
            case '/':
                out += static_cast<char>(c);
                break;
            default:
                out += "u00";
                out += hexDigits[c >> 4];
                out += hexDigits[c & 0xF];
        }
    }
    out.append(source.substr(copiedUpTo));
    out += '"';
    return out;
}

std::string JsonText::number(double value) {
    if (!std::isfinite(value)) {
        return "null";
    }
    // "-0" would read back as the integer 0 and change the next pretty form.
    if (value == 0) {
        return "0";
    }
    char buffer[64];
    // Whole values up to 2^53 are written as plain integers; beyond that the shortest
    // round-trip form may use an exponent.
    const bool wholeInteger = std::trunc(value) == value && std::fabs(value) <= 9007199254740992.0;
    const auto result = wholeInteger ? std::to_chars(std::begin(buffer), std::end(buffer), value,
                                                     std::chars_format::fixed)
                                     : std::to_chars(std::begin(buffer), std::end(buffer), value);
    return std::string(buffer, result.ptr);
}

}  // namespace nimbrook
