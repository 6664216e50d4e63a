#include "platform/JsonText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

#include "platform/JsonEvents.h"
#include "platform/JsonNumberText.h"
#include "platform/JsonReader.h"
#include "platform/JsonTreeBuilder.h"
#include "platform/UnicodeText.h"
#include "platform/Utf8.h"

namespace nimbrook {

namespace {

// Deeper documents are refused: every step of the writer (and of nlohmann's copy and
// comparison) recurses once per level.
constexpr std::size_t maxDepth = 512;

// Accepts every value, so that reading only checks the text.
class Validation final : public JsonEvents {
public:
    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number(std::string_view) override { return true; }
    bool string(std::string&) override { return true; }
    bool key(std::string&) override { return true; }
    bool startObject() override { return true; }
    bool endObject() override { return true; }
    bool startArray() override { return true; }
    bool endArray() override { return true; }
};

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

// Whether a key holds a character above U+FFFF, the only ones that byte order and UTF-16
// order place differently.
bool holdsSupplementary(const std::string& key) {
    return std::any_of(key.begin(), key.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0xF0; });
}

void appendEscaped(std::string& out, std::string_view valid) {
    static constexpr char hexDigits[] = "0123456789abcdef";
    std::size_t copiedUpTo = 0;
    for (std::size_t index = 0; index < valid.size(); ++index) {
        const auto c = static_cast<unsigned char>(valid[index]);
        if (c >= 0x20 && c != '"' && c != '\\' && c != '/') {
            continue;
        }
        out.append(valid.substr(copiedUpTo, index - copiedUpTo));
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
    out.append(valid.substr(copiedUpTo));
}

void appendQuoted(std::string& out, std::string_view text) {
    out += '"';
    if (UnicodeText::isValidUtf8(text)) {
        appendEscaped(out, text);
    } else {
        appendEscaped(out, UnicodeText::repairedUtf8(text));
    }
    out += '"';
}

// Writes into one string; the members of the objects being written share one list, each
// object's after those of the objects around it.
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
                appendQuoted(out_, value.get_ref<const std::string&>());
                return true;
            case nlohmann::json::value_t::boolean:
                out_ += value.get<bool>() ? "true" : "false";
                return true;
            case nlohmann::json::value_t::number_integer:
                appendInteger(value.get<std::int64_t>());
                return true;
            case nlohmann::json::value_t::number_unsigned:
                appendInteger(value.get<std::uint64_t>());
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
    using Member = std::pair<const std::string*, const nlohmann::json*>;

    // nlohmann's object holds its members in byte order, which is also UTF-16 order unless
    // a key holds a character above U+FFFF.
    bool writeObject(const nlohmann::json& object, std::size_t depth) {
        if (object.empty()) {
            out_ += "{}";
            return true;
        }
        const std::size_t first = members_.size();
        bool reorder = false;
        for (auto it = object.begin(); it != object.end(); ++it) {
            members_.emplace_back(&it.key(), &it.value());
            reorder = reorder || (pretty_ && holdsSupplementary(it.key()));
        }
        const std::size_t last = members_.size();
        if (reorder) {
            std::sort(
                members_.begin() + static_cast<std::ptrdiff_t>(first), members_.end(),
                [](const Member& a, const Member& b) { return lessByUtf16(*a.first, *b.first); });
        }
        out_ += '{';
        for (std::size_t index = first; index < last; ++index) {
            separate(index - first, depth + 1);
            appendQuoted(out_, *members_[index].first);
            out_ += pretty_ ? " : " : ":";
            if (!write(*members_[index].second, depth + 1)) {
                return false;
            }
        }
        members_.resize(first);
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

    template <typename Integer>
    void appendInteger(Integer value) {
        char buffer[24];
        const auto result = std::to_chars(std::begin(buffer), std::end(buffer), value);
        out_.append(buffer, result.ptr);
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
    std::vector<Member> members_;
};

std::string written(const nlohmann::json& value, bool pretty) {
    Writer writer(pretty);
    return writer.write(value, 0) ? writer.take() : std::string();
}

bool opensContainer(std::string_view text) {
    const auto first = std::find_if_not(text.begin(), text.end(), isJsonWhitespace);
    return first != text.end() && (*first == '{' || *first == '[');
}

}  // namespace

std::optional<nlohmann::json> JsonText::parse(std::string_view text) {
    return opensContainer(text) ? JsonTreeBuilder::build(text, maxDepth) : std::nullopt;
}

bool JsonText::isDocument(std::string_view text) {
    Validation validation;
    return opensContainer(text) && JsonReader(text, maxDepth).read(validation);
}

std::string JsonText::pretty(const nlohmann::json& value) {
    return written(value, true);
}

std::string JsonText::compact(const nlohmann::json& value) {
    return written(value, false);
}

std::string JsonText::quoted(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    appendQuoted(out, text);
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
