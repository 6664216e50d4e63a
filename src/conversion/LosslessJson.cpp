#include "conversion/LosslessJson.h"

#include <cstddef>
#include <string>

#include "platform/JsonText.h"

namespace nimbrook {

namespace {

using Json = nlohmann::json;

// Stops at the first integer literal that the parser could only read as a double.
struct WideIntegerFinder final : nlohmann::json_sax<Json> {
    bool found = false;

    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_unsigned(number_unsigned_t) override { return true; }
    bool number_float(number_float_t, const string_t& literal) override {
        found = literal.find_first_of(".eE") == string_t::npos;
        return !found;
    }
    bool string(string_t&) override { return true; }
    bool binary(binary_t&) override { return true; }
    bool start_object(std::size_t) override { return true; }
    bool key(string_t&) override { return true; }
    bool end_object() override { return true; }
    bool start_array(std::size_t) override { return true; }
    bool end_array() override { return true; }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
        return false;
    }
};

// Every 64-bit integer has at most 19 digits; a text without a longer run of digits holds
// no wider integer, and the second parse is skipped.
bool hasLongDigitRun(std::string_view text) {
    std::size_t run = 0;
    for (const char c : text) {
        run = c >= '0' && c <= '9' ? run + 1 : 0;
        if (run >= 19) {
            return true;
        }
    }
    return false;
}

bool hasWideInteger(std::string_view text) {
    if (!hasLongDigitRun(text)) {
        return false;
    }
    WideIntegerFinder finder;
    Json::sax_parse(text, &finder);
    return finder.found;
}

}  // namespace

std::optional<nlohmann::json> LosslessJson::parse(std::string_view text) {
    std::optional<Json> value = JsonText::parse(text);
    if (value && hasWideInteger(text)) {
        return std::nullopt;
    }
    return value;
}

}  // namespace nimbrook
