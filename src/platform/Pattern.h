#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace nimbrook {

// An ICU regular expression compiled once, with no flags (a pattern carries its
// own "(?m)"): case-sensitive, "." stops at line breaks, "\s" crosses them.
// Every call runs under one budget of match-engine steps (a few tens of milliseconds
// in a release build) and a bounded backtracking stack, so that no text can freeze or
// crash the caller; on texts of many megabytes an ordinary search may use up the
// budget too. A Pattern may be shared between threads: each call has its own matcher.
class Pattern final {
public:
    explicit Pattern(std::string_view icuPattern);
    ~Pattern();
    Pattern(Pattern&&) noexcept;
    Pattern& operator=(Pattern&&) noexcept;

    // Whether the pattern matches anywhere in the text. A pattern that fails to
    // compile, or a search that runs out of time, counts as no match.
    bool findIn(std::string_view text) const;
    // Every non-overlapping match, left to right in one pass, replaced by the
    // template ("$1" inserts group 1). On a timeout or error the text comes back unchanged.
    std::string replaceAll(std::string_view text, std::string_view replacementTemplate) const;

private:
    struct Compiled;
    std::unique_ptr<Compiled> compiled_;
};

}  // namespace nimbrook
