#include "platform/JsonTreeBuilder.h"

#include <utility>

#include "platform/JsonNumberText.h"

namespace nimbrook {

using Json = nlohmann::json;

JsonTreeBuilder::JsonTreeBuilder(const std::vector<std::string_view>* replaced)
    : replaced_(replaced) {}

std::optional<Json> JsonTreeBuilder::build(std::string_view text,
                                           const std::vector<std::string_view>* replaced) {
    JsonTreeBuilder builder(replaced);
    if (!Json::sax_parse(text.begin(), text.end(), &builder)) {
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

bool JsonTreeBuilder::number_integer(number_integer_t value) {
    const std::string_view text = replacedText();
    return text.empty() ? put(value) : put(JsonNumberText::held(text));
}

bool JsonTreeBuilder::number_unsigned(number_unsigned_t value) {
    const std::string_view text = replacedText();
    return text.empty() ? put(value) : put(JsonNumberText::held(text));
}

bool JsonTreeBuilder::number_float(number_float_t value, const string_t& literal) {
    const std::string_view text = replacedText();
    if (!text.empty()) {
        return put(JsonNumberText::held(text));
    }
    return JsonNumberText::writtenWithItsValue(value, literal) ? put(value)
                                                               : put(JsonNumberText::held(literal));
}

bool JsonTreeBuilder::string(string_t& value) {
    return put(std::move(value));
}

// JSON text holds no binary values; only the held numbers are.
bool JsonTreeBuilder::binary(binary_t&) {
    return false;
}

bool JsonTreeBuilder::start_object(std::size_t) {
    return open(Json::object());
}

bool JsonTreeBuilder::key(string_t& value) {
    key_ = std::move(value);
    return true;
}

bool JsonTreeBuilder::end_object() {
    open_.pop_back();
    return true;
}

bool JsonTreeBuilder::start_array(std::size_t) {
    return open(Json::array());
}

bool JsonTreeBuilder::end_array() {
    open_.pop_back();
    return true;
}

bool JsonTreeBuilder::parse_error(std::size_t, const std::string&,
                                  const nlohmann::detail::exception&) {
    return false;
}

Json& JsonTreeBuilder::place() {
    if (open_.empty()) {
        return root_;
    }
    Json& container = *open_.back();
    if (container.is_array()) {
        container.push_back(nullptr);
        return container.back();
    }
    return container[key_];
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

std::string_view JsonTreeBuilder::replacedText() {
    if (replaced_ == nullptr || nextNumber_ >= replaced_->size()) {
        return {};
    }
    return (*replaced_)[nextNumber_++];
}

}  // namespace nimbrook
