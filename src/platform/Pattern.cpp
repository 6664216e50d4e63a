#include "platform/Pattern.h"

#include <optional>
#include <vector>

#include <unicode/regex.h>
#include <unicode/utext.h>

namespace nimbrook {

namespace {

// Steps of ICU's match engine (about ten thousand operations each) that one call may
// spend; the count runs across all the searches of a replaceAll. In a release build a
// step takes a tenth to a fifth of a millisecond, so a hopeless search of any text gives
// up within some 30 to 50 ms, and the twelve patterns of a classification stay well
// under a second. An ordinary pattern scans about three megabytes of text inside the
// budget; on a larger text it may run out, which counts as no match.
constexpr int32_t timeLimitSteps = 250;
// Bytes of backtracking stack one match may use; past it the match fails instead of
// growing without bound.
constexpr int32_t stackLimitBytes = 8 * 1024 * 1024;

// A UTF-8 UText over caller-owned bytes, so searching needs no UTF-16 copy.
class Utf8Text final {
public:
    explicit Utf8Text(std::string_view text)
        : text_(utext_openUTF8(nullptr, text.data(), static_cast<int64_t>(text.size()), &status_)) {
    }
    ~Utf8Text() { utext_close(text_); }
    Utf8Text(const Utf8Text&) = delete;
    Utf8Text& operator=(const Utf8Text&) = delete;

    UText* get() const { return U_SUCCESS(status_) ? text_ : nullptr; }

private:
    UErrorCode status_ = U_ZERO_ERROR;
    UText* text_ = nullptr;
};

// One piece of a parsed replacement template: literal text or a capture group.
struct TemplatePart {
    std::string literal;
    int32_t group = -1;
};

// "$n" takes the longest run of digits that names an existing group; a backslash
// makes the next character literal. nullopt for a template naming no group after "$".
std::optional<std::vector<TemplatePart>> parseTemplate(std::string_view replacement,
                                                       int32_t groupCount) {
    std::vector<TemplatePart> parts(1);
    for (std::size_t index = 0; index < replacement.size(); ++index) {
        const char c = replacement[index];
        if (c == '\\' && index + 1 < replacement.size()) {
            parts.back().literal += replacement[++index];
            continue;
        }
        if (c != '$') {
            parts.back().literal += c;
            continue;
        }
        int32_t group = -1;
        std::size_t next = index + 1;
        while (next < replacement.size() && replacement[next] >= '0' && replacement[next] <= '9') {
            const int32_t longer = (group < 0 ? 0 : group * 10) + (replacement[next] - '0');
            if (longer > groupCount) {
                break;
            }
            group = longer;
            ++next;
        }
        if (group < 0) {
            return std::nullopt;
        }
        parts.push_back({{}, group});
        parts.emplace_back();
        index = next - 1;
    }
    return parts;
}

}  // namespace

struct Pattern::Compiled {
    std::unique_ptr<icu::RegexPattern> pattern;

    // A matcher of its own for each call keeps a shared Pattern safe across threads.
    std::unique_ptr<icu::RegexMatcher> matcherFor(UText* text) const {
        if (!pattern || text == nullptr) {
            return nullptr;
        }
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::RegexMatcher> matcher(pattern->matcher(status));
        if (U_FAILURE(status) || !matcher) {
            return nullptr;
        }
        matcher->setTimeLimit(timeLimitSteps, status);
        matcher->setStackLimit(stackLimitBytes, status);
        matcher->reset(text);
        return U_SUCCESS(status) ? std::move(matcher) : nullptr;
    }
};

Pattern::Pattern(std::string_view icuPattern) : compiled_(std::make_unique<Compiled>()) {
    UErrorCode status = U_ZERO_ERROR;
    Utf8Text source(icuPattern);
    if (source.get() == nullptr) {
        return;
    }
    UParseError parseError{};
    std::unique_ptr<icu::RegexPattern> pattern(
        icu::RegexPattern::compile(source.get(), 0, parseError, status));
    if (U_SUCCESS(status)) {
        compiled_->pattern = std::move(pattern);
    }
}

Pattern::~Pattern() = default;
Pattern::Pattern(Pattern&&) noexcept = default;
Pattern& Pattern::operator=(Pattern&&) noexcept = default;

bool Pattern::findIn(std::string_view text) const {
    if (!compiled_) {
        return false;
    }
    Utf8Text input(text);
    const std::unique_ptr<icu::RegexMatcher> matcher = compiled_->matcherFor(input.get());
    if (!matcher) {
        return false;
    }
    UErrorCode status = U_ZERO_ERROR;
    const bool found = matcher->find(status);
    return found && U_SUCCESS(status);
}

std::string Pattern::replaceAll(std::string_view text, std::string_view replacementTemplate) const {
    if (!compiled_) {
        return std::string(text);
    }
    Utf8Text input(text);
    const std::unique_ptr<icu::RegexMatcher> matcher = compiled_->matcherFor(input.get());
    if (!matcher) {
        return std::string(text);
    }
    const std::optional<std::vector<TemplatePart>> parts =
        parseTemplate(replacementTemplate, matcher->groupCount());
    if (!parts) {
        return std::string(text);
    }
    std::string result;
    std::size_t copiedUpTo = 0;
    UErrorCode status = U_ZERO_ERROR;
    // On a UTF-8 text the matcher reports byte offsets, so the pieces are copied as bytes.
    while (matcher->find(status) && U_SUCCESS(status)) {
        const auto matchStart = static_cast<std::size_t>(matcher->start64(status));
        const auto matchEnd = static_cast<std::size_t>(matcher->end64(status));
        result.append(text.substr(copiedUpTo, matchStart - copiedUpTo));
        for (const TemplatePart& part : *parts) {
            result.append(part.literal);
            if (part.group < 0) {
                continue;
            }
            const int64_t groupStart = matcher->start64(part.group, status);
            const int64_t groupEnd = matcher->end64(part.group, status);
            if (groupStart >= 0 && groupEnd >= groupStart) {
                result.append(text.substr(static_cast<std::size_t>(groupStart),
                                          static_cast<std::size_t>(groupEnd - groupStart)));
            }
        }
        copiedUpTo = matchEnd;
    }
    if (U_FAILURE(status)) {
        return std::string(text);
    }
    result.append(text.substr(copiedUpTo));
    return result;
}

}  // namespace nimbrook
