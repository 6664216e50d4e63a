#include "model/Uuid.h"

#include <array>
#include <random>

namespace nimbrook {

namespace {

constexpr std::array<std::size_t, 4> hyphenPositions{8, 13, 18, 23};
constexpr std::size_t canonicalLength = 36;

// One engine per thread, seeded from the system's entropy source: identifiers are made
// from any thread without a lock, and two processes started together never share a seed.
std::mt19937_64& engine() {
    thread_local std::mt19937_64 generator = [] {
        std::random_device device;
        std::seed_seq seed{device(), device(), device(), device(),
                           device(), device(), device(), device()};
        return std::mt19937_64(seed);
    }();
    return generator;
}

int hexValue(char digit) {
    if (digit >= '0' && digit <= '9') {
        return digit - '0';
    }
    if (digit >= 'a' && digit <= 'f') {
        return digit - 'a' + 10;
    }
    if (digit >= 'A' && digit <= 'F') {
        return digit - 'A' + 10;
    }
    return -1;
}

bool isHyphenPosition(std::size_t position) {
    for (const std::size_t hyphen : hyphenPositions) {
        if (hyphen == position) {
            return true;
        }
    }
    return false;
}

}  // namespace

Uuid Uuid::random() {
    Bytes bytes{};
    for (std::size_t offset = 0; offset < bytes.size(); offset += 8) {
        std::uint64_t word = engine()();
        for (std::size_t index = 0; index < 8; ++index) {
            bytes[offset + index] = static_cast<std::uint8_t>(word & 0xFF);
            word >>= 8;
        }
    }
    bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40);  // version 4
    bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
    return Uuid(bytes);
}

std::optional<Uuid> Uuid::parse(std::string_view text) {
    if (text.size() != canonicalLength) {
        return std::nullopt;
    }
    Bytes bytes{};
    std::size_t nibble = 0;
    for (std::size_t position = 0; position < text.size(); ++position) {
        if (isHyphenPosition(position)) {
            if (text[position] != '-') {
                return std::nullopt;
            }
            continue;
        }
        const int value = hexValue(text[position]);
        if (value < 0) {
            return std::nullopt;
        }
        bytes[nibble / 2] = static_cast<std::uint8_t>(bytes[nibble / 2] << 4 | value);
        ++nibble;
    }
    return Uuid(bytes);
}

std::string Uuid::text() const {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string result;
    result.reserve(canonicalLength);
    for (std::size_t index = 0; index < bytes_.size(); ++index) {
        if (index == 4 || index == 6 || index == 8 || index == 10) {
            result += '-';
        }
        result += digits[bytes_[index] >> 4];
        result += digits[bytes_[index] & 0x0F];
    }
    return result;
}

}  // namespace nimbrook
