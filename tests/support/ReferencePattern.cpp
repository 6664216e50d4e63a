#include "support/ReferencePattern.h"

#include <map>
#include <memory>
#include <stdexcept>

#include <unicode/regex.h>

namespace nimbrook {

namespace {

icu::UnicodeString utf16(std::string_view text) {
    return icu::UnicodeString::fromUTF8(
        icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
}

void check(UErrorCode status, std::string_view what) {
    if (U_FAILURE(status)) {
        throw std::runtime_error(std::string(what) + ": " + u_errorName(status));
    }
}

// Compiled once per pattern: the tests ask for a few patterns many thousand times.
const icu::RegexPattern& compiled(std::string_view pattern) {
    static std::map<std::string, std::unique_ptr<icu::RegexPattern>> patterns;
    std::unique_ptr<icu::RegexPattern>& made = patterns[std::string(pattern)];
    if (!made) {
        UErrorCode status = U_ZERO_ERROR;
        UParseError error{};
        made.reset(icu::RegexPattern::compile(utf16(pattern), 0, error, status));
        check(status, "pattern does not compile: " + std::string(pattern));
    }
    return *made;
}

std::unique_ptr<icu::RegexMatcher> unboundedMatcher(std::string_view pattern,
                                                    const icu::UnicodeString& text) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::RegexMatcher> matcher(compiled(pattern).matcher(text, status));
    matcher->setTimeLimit(0, status);
    matcher->setStackLimit(0, status);
    check(status, "matcher not made");
    return matcher;
}

}  // namespace

bool ReferencePattern::found(std::string_view pattern, std::string_view text) {
    const icu::UnicodeString input = utf16(text);
    UErrorCode status = U_ZERO_ERROR;
    const bool result = unboundedMatcher(pattern, input)->find(status);
    check(status, "search failed");
    return result;
}

std::string ReferencePattern::replacedByStep(std::string_view text,
                                             const SubstitutionChain::Step& step) {
    const std::string pattern = step.kind == SubstitutionChain::Step::Kind::literal
                                    ? "\\Q" + std::string(step.find) + "\\E"
                                    : std::string(step.find);
    const icu::UnicodeString input = utf16(text);
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString output =
        unboundedMatcher(pattern, input)->replaceAll(utf16(step.replacement), status);
    check(status, "replacement failed");
    std::string result;
    output.toUTF8String(result);
    return result;
}

}  // namespace nimbrook
