#pragma once

#include <initializer_list>
#include <string_view>

#include "conversion/PatternMatch.h"

namespace nimbrook {

// Matchers that find exactly what ICU finds for the patterns of the conversions, each in one
// pass over the text. ICU retries a lazy or bracketed run from every opener, which takes
// quadratic time on texts such as a long line of "<b>" without "</b>"; these matchers show,
// in comments, why one look at each opener decides, and remember their searches
// (ForwardSearches) so that openers sharing an answer never read the text twice. Literal
// arguments must outlive the matcher.
class MarkupMatchers final {
public:
    // The literal text, every occurrence.
    static MatchFinder literal(std::string_view text);
    // "<h1[^>]*>(.*?)</h1>" for an opener "<h1" and a closer "</h1>".
    static MatchFinder element(std::string_view opener, std::string_view closer);
    // "<(strong|b)>(.*?)</\1>" for the names, or "<code>(.*?)</code>" for one name without
    // its group when `nameIsGroup` is false. Names must differ in their first letter.
    static MatchFinder bareElement(std::initializer_list<std::string_view> names, bool nameIsGroup);
    // "<a[^>]*href="([^"]*)"[^>]*>(.*?)</a>".
    static MatchFinder anchor();
    // "<br\s*/?>".
    static MatchFinder lineBreakTag();
    // "</p>\s*<p[^>]*>".
    static MatchFinder paragraphBoundary();
    // "</?p[^>]*>".
    static MatchFinder paragraphTag();
    // "<[^>]+>".
    static MatchFinder anyTag();
    // "\n{3,}".
    static MatchFinder lineFeedRun();
    // "^#{1,6}\s+" (only at the start of the text).
    static MatchFinder leadingHeadingMarker();
    // "\*\*(.+?)\*\*", "\*(.+?)\*" or "`(.+?)`" for the marker "**", "*" or "`".
    static MatchFinder enclosed(std::string_view marker);
    // "\[(.+?)\]\(.+?\)".
    static MatchFinder link();
    // "```\w*\n?([\s\S]*?)```".
    static MatchFinder fence();
};

}  // namespace nimbrook
