#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace nimbrook {

// Builds the value of a strict JSON text from nlohmann's parser events, keeping a number
// that the writer would not give back with its value as its source text (JsonNumberText).
class JsonTreeBuilder final : public nlohmann::json_sax<nlohmann::json> {
public:
    // Nullopt when `text` does not parse. `replaced`, when given, holds for each number in
    // document order the source text that a stand-in replaced there, or nothing.
    static std::optional<nlohmann::json> build(std::string_view text,
                                               const std::vector<std::string_view>* replaced);

    bool null() override;
    bool boolean(bool value) override;
    bool number_integer(number_integer_t value) override;
    bool number_unsigned(number_unsigned_t value) override;
    bool number_float(number_float_t value, const string_t& literal) override;
    bool string(string_t& value) override;
    bool binary(binary_t& value) override;
    bool start_object(std::size_t elements) override;
    bool key(string_t& value) override;
    bool end_object() override;
    bool start_array(std::size_t elements) override;
    bool end_array() override;
    bool parse_error(std::size_t position, const std::string& token,
                     const nlohmann::detail::exception& error) override;

private:
    explicit JsonTreeBuilder(const std::vector<std::string_view>* replaced);

    // Where the next value goes: the root, the end of the open array or the open object's
    // member named by the last key (a repeated key keeps the last value, as nlohmann's own
    // parser does).
    nlohmann::json& place();
    bool put(nlohmann::json value);
    bool open(nlohmann::json container);
    std::string_view replacedText();

    const std::vector<std::string_view>* replaced_ = nullptr;
    std::size_t nextNumber_ = 0;
    nlohmann::json root_;
    // The open containers, innermost last; none moves while a child of it is open.
    std::vector<nlohmann::json*> open_;
    std::string key_;
};

}  // namespace nimbrook
