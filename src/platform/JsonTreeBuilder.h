#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/JsonEvents.h"

namespace nimbrook {

// Builds the value of a strict JSON text from a JsonReader's events, keeping a number that the
// writer would not give back with its value as its source text (JsonNumberText).
class JsonTreeBuilder final : public JsonEvents {
public:
    // Nullopt when `text` does not parse or nests deeper than `maxDepth`.
    static std::optional<nlohmann::json> build(std::string_view text, std::size_t maxDepth);

    bool null() override;
    bool boolean(bool value) override;
    bool number(std::string_view literal) override;
    bool string(std::string& value) override;
    bool key(std::string& name) override;
    bool startObject() override;
    bool endObject() override;
    bool startArray() override;
    bool endArray() override;

private:
    JsonTreeBuilder() = default;

    // Where the next value goes: the root, the end of the open array or the open object's
    // member named by the last key (a repeated key keeps its place and takes the last value).
    nlohmann::json& place();
    bool put(nlohmann::json value);
    bool open(nlohmann::json container);
    bool close();

    nlohmann::json root_;
    // The open containers, innermost last; none moves while a child of it is open.
    std::vector<nlohmann::json*> open_;
    std::string key_;
};

}  // namespace nimbrook
