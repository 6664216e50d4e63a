#include "platform/CharacterSet.h"

#include <unicode/uniset.h>

#include "platform/Utf8.h"

namespace nimbrook {

namespace {

icu::UnicodeSet frozenSet(const char16_t* pattern) {
    UErrorCode status = U_ZERO_ERROR;
    icu::UnicodeSet set(icu::UnicodeString(pattern), status);
    set.freeze();
    return set;
}

const icu::UnicodeSet& unicodeSet(CharacterSet set) {
    // Built once; frozen sets may be read from any thread.
    static const icu::UnicodeSet whitespaceAndNewlines =
        frozenSet(u"[\\p{Z}\\u0009-\\u000D\\u0085]");
    static const icu::UnicodeSet whitespace = frozenSet(u"[\\p{Zs}\\u0009]");
    static const icu::UnicodeSet newlines = frozenSet(u"[\\u000A-\\u000D\\u0085\\u2028\\u2029]");
    switch (set) {
        case CharacterSet::whitespace:
            return whitespace;
        case CharacterSet::newlines:
            return newlines;
        case CharacterSet::whitespaceAndNewlines:
            break;
    }
    return whitespaceAndNewlines;
}

// Invalid bytes decode to a negative value, which no set contains.
bool isMember(const icu::UnicodeSet& set, int32_t codePoint) {
    return codePoint >= 0 && set.contains(codePoint);
}

}  // namespace

bool CharacterSets::contains(CharacterSet set, char32_t codePoint) {
    return codePoint <= 0x10FFFF && unicodeSet(set).contains(static_cast<UChar32>(codePoint));
}

std::string CharacterSets::trimmed(std::string_view text, CharacterSet set) {
    const icu::UnicodeSet& members = unicodeSet(set);
    std::size_t begin = 0;
    while (begin < text.size()) {
        const utf8::Decoded next = utf8::decodeAt(text, begin);
        if (!isMember(members, next.codePoint)) {
            break;
        }
        begin += next.length;
    }
    std::size_t end = text.size();
    while (end > begin) {
        const utf8::Decoded previous = utf8::decodeBefore(text, begin, end);
        if (!isMember(members, previous.codePoint)) {
            break;
        }
        end -= previous.length;
    }
    return std::string(text.substr(begin, end - begin));
}

bool CharacterSets::isBlank(std::string_view text, CharacterSet set) {
    const icu::UnicodeSet& members = unicodeSet(set);
    for (std::size_t index = 0; index < text.size();) {
        const utf8::Decoded next = utf8::decodeAt(text, index);
        if (!isMember(members, next.codePoint)) {
            return false;
        }
        index += next.length;
    }
    return true;
}

std::vector<std::string> CharacterSets::split(std::string_view text, CharacterSet set) {
    const icu::UnicodeSet& members = unicodeSet(set);
    std::vector<std::string> pieces;
    std::size_t pieceStart = 0;
    for (std::size_t index = 0; index < text.size();) {
        const utf8::Decoded next = utf8::decodeAt(text, index);
        if (isMember(members, next.codePoint)) {
            pieces.emplace_back(text.substr(pieceStart, index - pieceStart));
            pieceStart = index + next.length;
        }
        index += next.length;
    }
    pieces.emplace_back(text.substr(pieceStart));
    return pieces;
}

}  // namespace nimbrook
