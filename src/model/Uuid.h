#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace nimbrook {

// A 128-bit identifier.
class Uuid final {
public:
    using Bytes = std::array<std::uint8_t, 16>;

    Uuid() = default;
    explicit Uuid(const Bytes& bytes) : bytes_(bytes) {}

    // A fresh random (version 4) identifier.
    static Uuid random();
    // The canonical 8-4-4-4-12 form in upper- or lower-case hexadecimal; nullopt otherwise.
    static std::optional<Uuid> parse(std::string_view text);

    // The canonical form in upper case.
    std::string text() const;
    const Bytes& bytes() const { return bytes_; }

    bool operator==(const Uuid&) const = default;

private:
    Bytes bytes_{};
};

}  // namespace nimbrook
