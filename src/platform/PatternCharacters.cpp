#include "platform/PatternCharacters.h"

#include <unicode/uchar.h>
#include <unicode/uniset.h>

#include "platform/CharacterSet.h"
#include "platform/Utf8.h"

namespace nimbrook {

namespace {

// The engine's own definition of "\w"; frozen, so it may be read from any thread.
const icu::UnicodeSet& wordCharacters() {
    static const icu::UnicodeSet set = [] {
        UErrorCode status = U_ZERO_ERROR;
        icu::UnicodeSet built(
            icu::UnicodeString(u"[\\p{Alphabetic}\\p{M}\\p{Nd}\\p{Pc}\\u200c\\u200d]"), status);
        built.freeze();
        return built;
    }();
    return set;
}

template <typename Member>
std::size_t runEnd(std::string_view text, std::size_t from, Member member) {
    std::size_t at = from;
    while (at < text.size()) {
        const auto byte = static_cast<unsigned char>(text[at]);
        const utf8::Decoded next = byte < 0x80 ? utf8::Decoded{byte, 1} : utf8::decodeAt(text, at);
        if (!member(next.codePoint)) {
            break;
        }
        at += next.length;
    }
    return at;
}

}  // namespace

bool PatternCharacters::isSpace(int32_t codePoint) {
    if (codePoint < 0x80) {
        return codePoint == ' ' || (codePoint >= 0x09 && codePoint <= 0x0D);
    }
    return CharacterSets::contains(CharacterSet::whitespaceAndNewlines,
                                   static_cast<char32_t>(codePoint));
}

bool PatternCharacters::isWord(int32_t codePoint) {
    if (codePoint < 0x80) {
        return (codePoint >= '0' && codePoint <= '9') || (codePoint >= 'a' && codePoint <= 'z') ||
               (codePoint >= 'A' && codePoint <= 'Z') || codePoint == '_';
    }
    return wordCharacters().contains(codePoint);
}

bool PatternCharacters::isDigit(int32_t codePoint) {
    if (codePoint < 0x80) {
        return codePoint >= '0' && codePoint <= '9';
    }
    return u_charType(codePoint) == U_DECIMAL_DIGIT_NUMBER;
}

// Valid UTF-8 lets the breaks be found by their bytes: C2 85 is U+0085, E2 80 A8 and
// E2 80 A9 are U+2028 and U+2029.
std::size_t PatternCharacters::lineBreakAt(std::string_view text, std::size_t position) {
    const auto byte = static_cast<unsigned char>(text[position]);
    if (byte >= 0x0A && byte <= 0x0D) {
        return 1;
    }
    const std::string_view rest = text.substr(position);
    if (rest.starts_with("\xC2\x85")) {
        return 2;
    }
    return rest.starts_with("\xE2\x80\xA8") || rest.starts_with("\xE2\x80\xA9") ? 3 : 0;
}

std::size_t PatternCharacters::nextLineBreak(std::string_view text, std::size_t from) {
    for (std::size_t at = from; at < text.size(); ++at) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if ((byte >= 0x0A && byte <= 0x0D) || byte == 0xC2 || byte == 0xE2) {
            if (lineBreakAt(text, at) > 0) {
                return at;
            }
        }
    }
    return none;
}

std::size_t PatternCharacters::spaceRunEnd(std::string_view text, std::size_t from) {
    return runEnd(text, from, isSpace);
}

std::size_t PatternCharacters::wordRunEnd(std::string_view text, std::size_t from) {
    return runEnd(text, from, isWord);
}

}  // namespace nimbrook
