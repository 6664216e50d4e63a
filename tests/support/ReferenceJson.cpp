#include "support/ReferenceJson.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>
#include <unicode/unistr.h>

#include "platform/JsonDocument.h"
#include "platform/JsonEvents.h"
#include "platform/JsonNumberText.h"
#include "platform/JsonReader.h"
#include "platform/JsonText.h"

namespace nimbrook {
namespace {

using Json = nlohmann::json;

template <typename Integer>
bool parsedAs(std::string_view literal, Integer& value) {
    const char* end = literal.data() + literal.size();
    const auto result = std::from_chars(literal.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

// Integers that fit 64 bits as nlohmann's own, every other number as its text in a binary
// value; a repeated key takes the last value, as a map assignment does.
class TreeBuilder final : public JsonEvents {
public:
    bool null() override { return put(nullptr); }
    bool boolean(bool value) override { return put(value); }
    bool number(std::string_view literal) override {
        if (literal.find_first_of(".eE") == std::string_view::npos) {
            std::int64_t negative = 0;
            std::uint64_t positive = 0;
            if (literal.starts_with('-') ? parsedAs(literal, negative)
                                         : parsedAs(literal, positive)) {
                return literal.starts_with('-') ? put(negative) : put(positive);
            }
        }
        return put(Json::binary({literal.begin(), literal.end()}));
    }
    bool string(std::string_view value) override { return put(std::string(value)); }
    bool key(std::string_view name) override {
        key_ = name;
        return true;
    }
    bool startObject() override { return open(Json::object()); }
    bool startArray() override { return open(Json::array()); }
    bool endObject() override { return close(); }
    bool endArray() override { return close(); }

    Json root;

private:
    Json& place() {
        if (open_.empty()) {
            return root;
        }
        Json& container = *open_.back();
        if (container.is_array()) {
            container.push_back(nullptr);
            return container.back();
        }
        return container[key_];
    }
    bool put(Json value) {
        place() = std::move(value);
        return true;
    }
    bool open(Json container) {
        Json& placed = place();
        placed = std::move(container);
        open_.push_back(&placed);
        return true;
    }
    bool close() {
        open_.pop_back();
        return true;
    }

    std::vector<Json*> open_;
    std::string key_;
};

void write(const Json& value, bool pretty, std::size_t depth, std::string& out) {
    const auto newline = [&](std::size_t level) {
        if (pretty) {
            out += '\n' + std::string(2 * level, ' ');
        }
    };
    if (value.is_string()) {
        out += JsonText::quoted(value.get<std::string>());
    } else if (value.is_binary()) {
        const auto& bytes = value.get_binary();
        JsonNumberText::append(out, std::string(bytes.begin(), bytes.end()));
    } else if (value.empty() || value.is_primitive()) {
        out += value.dump();
    } else if (value.is_array()) {
        for (std::size_t index = 0; index < value.size(); ++index) {
            out += index == 0 ? '[' : ',';
            newline(depth + 1);
            write(value[index], pretty, depth + 1, out);
        }
        newline(depth);
        out += ']';
    } else {
        std::vector<std::pair<std::string, const Json*>> members;
        for (const auto& [key, member] : value.items()) {
            members.emplace_back(key, &member);
        }
        if (pretty) {
            std::sort(members.begin(), members.end(), [](const auto& a, const auto& b) {
                return icu::UnicodeString::fromUTF8(a.first) <
                       icu::UnicodeString::fromUTF8(b.first);
            });
        }
        for (std::size_t index = 0; index < members.size(); ++index) {
            out += index == 0 ? '{' : ',';
            newline(depth + 1);
            out += JsonText::quoted(members[index].first) + (pretty ? " : " : ":");
            write(*members[index].second, pretty, depth + 1, out);
        }
        newline(depth);
        out += '}';
    }
}

std::optional<std::string> written(std::string_view text, bool pretty) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos || (text[first] != '{' && text[first] != '[')) {
        return std::nullopt;
    }
    TreeBuilder builder;
    if (!JsonReader(text, JsonDocument::maxDepth).read(builder)) {
        return std::nullopt;
    }
    std::string out;
    write(builder.root, pretty, 0, out);
    return out;
}

}  // namespace

std::optional<std::string> ReferenceJson::pretty(std::string_view text) {
    return written(text, true);
}

std::optional<std::string> ReferenceJson::compact(std::string_view text) {
    return written(text, false);
}

}  // namespace nimbrook
