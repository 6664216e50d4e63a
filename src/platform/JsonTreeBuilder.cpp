#include "platform/JsonTreeBuilder.h"

#include <charconv>
#include <cstdint>
#include <system_error>
#include <utility>

#include "platform/JsonNumberText.h"
#include "platform/JsonReader.h"

namespace nimbrook {

using Json = nlohmann::json;

namespace {

template <typename Integer>
std::optional<Integer> integerOf(std::string_view literal) {
    Integer value = 0;
    const auto result = std::from_chars(literal.data(), literal.data() + literal.size(), value);
    return result.ec == std::errc() ? std::optional(value) : std::nullopt;
}

}  // namespace

std::optional<Json> JsonTreeBuilder::build(std::string_view text, std::size_t maxDepth) {
    JsonTreeBuilder builder;
    JsonReader reader(text, maxDepth);
    if (!reader.read(builder)) {
        return std::nullopt;
    }
    return std::move(builder.root_);
}

bool JsonTreeBuilder::null() {
    return put(nullptr);
}

bool JsonTreeBuilder::boolean(bool value) {
    return put(value);
}

// Integers that fit 64 bits stay exact; a double whose written form would change the value,
// and a number beyond a double's range either way (1e400, 1e-400), keep their text.
bool JsonTreeBuilder::number(std::string_view literal) {
    if (literal.find_first_of(".eE") == std::string_view::npos) {
        if (literal.starts_with('-')) {
            if (const auto value = integerOf<std::int64_t>(literal)) {
                return put(*value);
            }
        } else if (const auto value = integerOf<std::uint64_t>(literal)) {
            return put(*value);
        }
    }
    double value = 0;
    const auto result = std::from_chars(literal.data(), literal.data() + literal.size(), value);
    const bool kept =
        result.ec == std::errc() && JsonNumberText::writtenWithItsValue(value, literal);
    return kept ? put(value) : put(JsonNumberText::held(literal));
}

bool JsonTreeBuilder::string(std::string& value) {
    return put(std::move(value));
}

bool JsonTreeBuilder::key(std::string& name) {
    key_ = std::move(name);
    return true;
}

bool JsonTreeBuilder::startObject() {
    return open(Json::object());
}

bool JsonTreeBuilder::endObject() {
    return close();
}

bool JsonTreeBuilder::startArray() {
    return open(Json::array());
}

bool JsonTreeBuilder::endArray() {
    return close();
}

Json& JsonTreeBuilder::place() {
    if (open_.empty()) {
        return root_;
    }
    Json& container = *open_.back();
    if (container.is_array()) {
        auto& array = container.get_ref<Json::array_t&>();
        array.emplace_back();
        return array.back();
    }
    auto& object = container.get_ref<Json::object_t&>();
    // Members mostly come in order already; the hint then spares the search.
    return object.try_emplace(object.end(), std::move(key_))->second;
}

bool JsonTreeBuilder::put(Json value) {
    place() = std::move(value);
    return true;
}

bool JsonTreeBuilder::open(Json container) {
    Json& placed = place();
    placed = std::move(container);
    open_.push_back(&placed);
    return true;
}

bool JsonTreeBuilder::close() {
    open_.pop_back();
    return true;
}

}  // namespace nimbrook
