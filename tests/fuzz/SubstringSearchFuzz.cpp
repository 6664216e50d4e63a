// The vector scans agree with a plain find, with and without ASCII case. The first byte
// splits the input into needle and text.
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "controller/SubstringSearch.h"

namespace {

std::string asciiLowered(std::string_view text) {
    std::string lowered(text);
    for (char& c : lowered) {
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return lowered;
}

}  // namespace

void nimbrook::checkInput(const std::string& bytes) {
    if (bytes.empty()) {
        return;
    }
    const std::string_view input = std::string_view(bytes).substr(1);
    const std::size_t split =
        std::min<std::size_t>(static_cast<unsigned char>(bytes[0]) % 32, input.size());
    const std::string_view needle = input.substr(0, split);
    const std::string_view text = input.substr(split);
    require(SubstringSearch::contains(text, needle) == (text.find(needle) != text.npos),
            "contains agrees with find");
    require(SubstringSearch::containsIgnoringAsciiCase(text, needle) ==
                (asciiLowered(text).find(asciiLowered(needle)) != std::string::npos),
            "containsIgnoringAsciiCase agrees with find on lowered texts");
}
