#include "platform/JsonNumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <system_error>

namespace nimbrook {

namespace {

// A number as its sign, its significant digits (a decimal point may stand among them) and
// the power of ten of the point before the first of them: "1.50e1" and "15" are both
// 0.15 x 10^2. Zero of either sign has no digits and no sign.
struct Decimal {
    bool negative = false;
    std::string_view significant;
    std::int64_t exponent = 0;
};

bool isExponentMark(char c) {
    return c == 'e' || c == 'E';
}

// Exponents beyond this only meet numbers a double cannot reach; saturating keeps the
// arithmetic in range for an exponent of any length.
constexpr std::int64_t exponentCap = 1'000'000'000'000'000;

std::int64_t exponentOf(std::string_view power) {
    const bool negative = power.starts_with('-');
    power.remove_prefix(negative || power.starts_with('+') ? 1 : 0);
    std::int64_t value = 0;
    for (const char c : power) {
        value = std::min(value * 10 + (c - '0'), exponentCap);
    }
    return negative ? -value : value;
}

// `literal` is a JSON number by the grammar.
Decimal decimalOf(std::string_view literal) {
    const bool negative = literal.starts_with('-');
    const std::size_t mark = literal.find_first_of("eE");
    const std::string_view mantissa = literal.substr(negative, mark - negative);
    const std::size_t first = mantissa.find_first_of("123456789");
    if (first == std::string_view::npos) {
        return {};
    }
    const std::size_t last = mantissa.find_last_of("123456789");
    const std::size_t wholeDigits = std::min(mantissa.find('.'), mantissa.size());
    const auto before = static_cast<std::int64_t>(wholeDigits);
    const auto at = static_cast<std::int64_t>(first);
    Decimal decimal{negative, mantissa.substr(first, last - first + 1),
                    at < before ? before - at : before - at + 1};
    if (mark != std::string_view::npos) {
        decimal.exponent += exponentOf(literal.substr(mark + 1));
    }
    return decimal;
}

bool sameDigits(std::string_view a, std::string_view b) {
    const auto isDigit = [](char c) { return c != '.'; };
    auto left = a.begin();
    auto right = b.begin();
    while (true) {
        left = std::find_if(left, a.end(), isDigit);
        right = std::find_if(right, b.end(), isDigit);
        if (left == a.end() || right == b.end()) {
            return left == a.end() && right == b.end();
        }
        if (*left++ != *right++) {
            return false;
        }
    }
}

bool sameValue(std::string_view a, std::string_view b) {
    const Decimal left = decimalOf(a);
    const Decimal right = decimalOf(b);
    return left.negative == right.negative && left.exponent == right.exponent &&
           sameDigits(left.significant, right.significant);
}

// Whether `shortest` writes the double of `literal` as the literal stands, told without
// converting: a fraction with neither exponent nor trailing zero, and at most the 15
// significant digits that every double gives back, so that its shortest digits are the
// literal's; `shortest` then writes them fixed unless the scientific form is shorter.
bool writtenAsItStands(std::string_view literal) {
    const bool negative = literal.starts_with('-');
    const std::string_view digits = literal.substr(negative ? 1 : 0);
    const std::size_t point = digits.find('.');
    if (point == std::string_view::npos || digits.back() == '0' ||
        std::any_of(digits.begin(), digits.end(), isExponentMark)) {
        return false;
    }
    const auto nonZero = [](char c) { return c >= '1' && c <= '9'; };
    const auto first = static_cast<std::size_t>(
        std::find_if(digits.begin(), digits.end(), nonZero) - digits.begin());
    const std::size_t significant = digits.size() - first - (first < point ? 1 : 0);
    if (significant > 15) {
        return false;
    }
    const auto exponent = first < point ? static_cast<std::int64_t>(point - first) - 1
                                        : -static_cast<std::int64_t>(first - point);
    const std::size_t exponentDigits = exponent >= 100 || exponent <= -100 ? 3 : 2;
    const std::size_t scientific =
        (negative ? 1 : 0) + significant + (significant > 1 ? 1 : 0) + 2 + exponentDigits;
    return literal.size() <= scientific;
}

}  // namespace

void JsonNumberText::append(std::string& out, std::string_view literal) {
    // A character-by-character search: find_first_of looks up each character in the set.
    if (std::none_of(literal.begin(), literal.end(),
                     [](char c) { return c == '.' || isExponentMark(c); })) {
        // The grammar allows no other leading zero, so only this integer reads back shorter.
        out.append(literal == "-0" ? "0" : literal);
        return;
    }
    if (writtenAsItStands(literal)) {
        out.append(literal);
        return;
    }
    double value = 0;
    const auto result = std::from_chars(literal.data(), literal.data() + literal.size(), value);
    if (result.ec != std::errc()) {
        out.append(literal);
        return;
    }
    char buffer[bufferSize];
    const std::string_view written(buffer, shortest(value, buffer));
    out.append(written == literal || sameValue(written, literal) ? written : literal);
}

std::size_t JsonNumberText::shortest(double value, char (&buffer)[bufferSize]) {
    constexpr std::string_view null = "null";
    if (!std::isfinite(value)) {
        return static_cast<std::size_t>(std::copy(null.begin(), null.end(), buffer) - buffer);
    }
    // "-0" would read back as the integer 0 and change the next pretty form.
    if (value == 0) {
        buffer[0] = '0';
        return 1;
    }
    // Whole values up to 2^53 are written as plain integers; beyond that the shortest
    // round-trip form may use an exponent.
    const bool wholeInteger = std::trunc(value) == value && std::fabs(value) <= 9007199254740992.0;
    const auto result = wholeInteger ? std::to_chars(std::begin(buffer), std::end(buffer), value,
                                                     std::chars_format::fixed)
                                     : std::to_chars(std::begin(buffer), std::end(buffer), value);
    return static_cast<std::size_t>(result.ptr - buffer);
}

}  // namespace nimbrook
