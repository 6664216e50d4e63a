#include "conversion/MarkupMatchers.h"

#include <string>
#include <vector>

#include "platform/PatternCharacters.h"

namespace nimbrook {

namespace {

constexpr std::size_t none = ForwardSearches::none;

using Match = std::optional<PatternMatch>;

bool hasAt(std::string_view text, std::size_t position, std::string_view literal) {
    return position <= text.size() && text.substr(position).starts_with(literal);
}

// Whether a line break lies in [from, end); `end` may be `none`.
bool breaksBefore(ForwardSearches& searches, std::size_t slot, std::size_t from, std::size_t end) {
    return searches.lineBreak(slot, from) < end;
}

// Slots of ForwardSearches, one per kind of search each matcher makes.
enum Slot : std::size_t { opener, close, closer, lineBreak };

// From an opener "<a" at p, let q be the first ">" after it. "[^>]*" before "href=\"" keeps
// the literal inside [p + 2, q), and the greedy run tries its occurrences h from the last one
// back. For a given h all the rest is forced: "([^\"]*)\"" ends at the first quote g after
// h + 6, "[^>]*>" at the first ">" t after g, the lazy text at the first "</a>" r after t, on
// t's line. So only g decides, and there are two cases: the last h (hmax) whose value runs
// past q (g > q, then t lies after g), or an h whose quote comes before q (then t = q, the same
// for all of them). Every h before hmax has hmax's own quote (hmax + 5) before q, so the
// second case takes hmax when its g is before q, else the occurrence just before hmax. When
// an opener fails, every opener before q shares its q and fails too, so the search resumes
// at q. Slots: 0 openers, 1 q, 2 g, 3 t, 4 and 5 the closer after t, 6 and 7 after q.
Match anchorAt(std::string_view text, std::size_t p, std::size_t q, ForwardSearches& searches) {
    static constexpr std::string_view href = "href=\"";
    const auto closerAfter = [&searches](std::size_t t, std::size_t slot) {
        const std::size_t r = searches.find(slot, "</a>", t + 1);
        return r == none || breaksBefore(searches, slot + 1, t + 1, r) ? none : r;
    };
    const std::string_view attributes = text.substr(p + 2, q - p - 2);
    const std::size_t lastHref = attributes.rfind(href);
    if (lastHref == none) {
        return std::nullopt;
    }
    const std::size_t hmax = p + 2 + lastHref;
    const std::size_t g = searches.find(2, "\"", hmax + href.size());
    std::size_t h = hmax;
    if (g == none || g > q) {
        const std::size_t t = g == none ? none : searches.find(3, ">", g + 1);
        const std::size_t r = t == none ? none : closerAfter(t, 4);
        if (r != none) {
            return PatternMatch{{p, r + 4}, {{{hmax + href.size(), g}, {t + 1, r}}}};
        }
        const std::size_t previous = attributes.substr(0, lastHref).rfind(href);
        h = previous == none ? none : p + 2 + previous;
    }
    const std::size_t r = h == none ? none : closerAfter(q, 6);
    if (r == none) {
        return std::nullopt;
    }
    const std::size_t quote = h == hmax ? g : text.find('"', h + href.size());
    return PatternMatch{{p, r + 4}, {{{h + href.size(), quote}, {q + 1, r}}}};
}

}  // namespace

MatchFinder MarkupMatchers::literal(std::string_view literal) {
    return [literal](std::string_view text, std::size_t from, ForwardSearches&) -> Match {
        const std::size_t at = text.find(literal, from);
        if (at == none) {
            return std::nullopt;
        }
        return PatternMatch{{at, at + literal.size()}};
    };
}

// From an opener at p, "[^>]*>" can only end at the first ">" after it (q): a shorter run
// would need ">" where the run saw none. The lazy "(.*?)" then ends at the first closer after
// q (r), and fails when a line break comes first, as every later closer lies past it too. The
// answer depends on p only through q, and q, r and the break move forward with p.
MatchFinder MarkupMatchers::element(std::string_view opener, std::string_view closer) {
    return
        [opener, closer](std::string_view, std::size_t from, ForwardSearches& searches) -> Match {
            for (std::size_t p = searches.find(Slot::opener, opener, from); p != none;
                 p = searches.find(Slot::opener, opener, p + 1)) {
                const std::size_t q = searches.find(Slot::close, ">", p + opener.size());
                const std::size_t r = q == none ? none : searches.find(Slot::closer, closer, q + 1);
                if (r == none) {
                    return std::nullopt;  // no later opener has a ">" and a closer after it either
                }
                if (!breaksBefore(searches, Slot::lineBreak, q + 1, r)) {
                    return PatternMatch{{p, r + closer.size()}, {{{q + 1, r}}}};
                }
            }
            return std::nullopt;
        };
}

// At any position at most one "<name>" begins (the names differ in their first letter); the
// lazy group ends at the first "</name>" after it, and fails when a line break comes first.
// Slots: 0 and 1 the openers, 3 the line break, 4 and 5 the closers.
MatchFinder MarkupMatchers::bareElement(std::initializer_list<std::string_view> names,
                                        bool nameIsGroup) {
    std::vector<std::string> openers;
    std::vector<std::string> closers;
    for (const std::string_view name : names) {
        openers.emplace_back("<").append(name).append(">");
        closers.emplace_back("</").append(name).append(">");
    }
    return [openers, closers, nameIsGroup](std::string_view, std::size_t from,
                                           ForwardSearches& searches) -> Match {
        while (true) {
            std::size_t p = none;
            std::size_t index = 0;
            for (std::size_t each = 0; each < openers.size(); ++each) {
                const std::size_t at = searches.find(each, openers[each], from);
                if (at < p) {
                    p = at;
                    index = each;
                }
            }
            if (p == none) {
                return std::nullopt;
            }
            const std::size_t content = p + openers[index].size();
            const std::size_t r = searches.find(4 + index, closers[index], content);
            if (r != none && !breaksBefore(searches, Slot::lineBreak, content, r)) {
                const TextSpan nameSpan{p + 1, content - 1};
                const TextSpan contentSpan{content, r};
                PatternMatch match{{p, r + closers[index].size()}};
                match.groups = nameIsGroup ? std::array{nameSpan, contentSpan}
                                           : std::array{contentSpan, TextSpan{}};
                return match;
            }
            from = p + 1;
        }
    };
}

MatchFinder MarkupMatchers::anchor() {
    return [](std::string_view text, std::size_t from, ForwardSearches& searches) -> Match {
        for (std::size_t p = searches.find(0, "<a", from); p != none;) {
            const std::size_t q = searches.find(1, ">", p + 2);
            if (q == none) {
                return std::nullopt;
            }
            if (Match match = anchorAt(text, p, q, searches)) {
                return match;
            }
            p = searches.find(0, "<a", q);
        }
        return std::nullopt;
    };
}

// At "<br", "\s*" takes the whole run of white space: giving any back leaves a white-space
// character where "/" or ">" must stand.
MatchFinder MarkupMatchers::lineBreakTag() {
    return [](std::string_view text, std::size_t from, ForwardSearches& searches) -> Match {
        for (std::size_t p = searches.find(0, "<br", from); p != none;
             p = searches.find(0, "<br", p + 1)) {
            const std::size_t w = PatternCharacters::spaceRunEnd(text, p + 3);
            if (hasAt(text, w, "/>")) {
                return PatternMatch{{p, w + 2}};
            }
            if (hasAt(text, w, ">")) {
                return PatternMatch{{p, w + 1}};
            }
        }
        return std::nullopt;
    };
}

// As for "<br": the white space after "</p>" is taken whole, then "<p[^>]*>" ends at the
// first ">". Without a ">" no later boundary can close either.
MatchFinder MarkupMatchers::paragraphBoundary() {
    return [](std::string_view text, std::size_t from, ForwardSearches& searches) -> Match {
        for (std::size_t p = searches.find(0, "</p>", from); p != none;
             p = searches.find(0, "</p>", p + 1)) {
            const std::size_t w = PatternCharacters::spaceRunEnd(text, p + 4);
            if (!hasAt(text, w, "<p")) {
                continue;
            }
            const std::size_t q = searches.find(1, ">", w + 2);
            if (q == none) {
                return std::nullopt;
            }
            return PatternMatch{{p, q + 1}};
        }
        return std::nullopt;
    };
}

// "</?p" begins at the first "<p" or "</p"; "[^>]*>" then ends at the first ">".
MatchFinder MarkupMatchers::paragraphTag() {
    return [](std::string_view, std::size_t from, ForwardSearches& searches) -> Match {
        const std::size_t p = std::min(searches.find(0, "<p", from), searches.find(2, "</p", from));
        if (p == none) {
            return std::nullopt;
        }
        const std::size_t q = searches.find(1, ">", p + 2);
        if (q == none) {
            return std::nullopt;
        }
        return PatternMatch{{p, q + 1}};
    };
}

// "[^>]+" from a "<" reaches the first ">" after it, which must not follow at once.
MatchFinder MarkupMatchers::anyTag() {
    return [](std::string_view text, std::size_t from, ForwardSearches& searches) -> Match {
        for (std::size_t p = searches.find(0, "<", from); p != none;
             p = searches.find(0, "<", p + 1)) {
            if (p + 1 >= text.size() || text[p + 1] == '>') {
                continue;
            }
            const std::size_t q = searches.find(1, ">", p + 1);
            if (q == none) {
                return std::nullopt;
            }
            return PatternMatch{{p, q + 1}};
        }
        return std::nullopt;
    };
}

MatchFinder MarkupMatchers::lineFeedRun() {
    return [](std::string_view text, std::size_t from, ForwardSearches&) -> Match {
        for (std::size_t p = text.find('\n', from); p != none; p = text.find('\n', p)) {
            const std::size_t end = std::min(text.find_first_not_of('\n', p), text.size());
            if (end - p >= 3) {
                return PatternMatch{{p, end}};
            }
            p = end;
        }
        return std::nullopt;
    };
}

// "#{1,6}" gives back a "#" only to find another "#" where "\s" must stand.
MatchFinder MarkupMatchers::leadingHeadingMarker() {
    return [](std::string_view text, std::size_t from, ForwardSearches&) -> Match {
        const std::size_t hashes = std::min(text.find_first_not_of('#'), text.size());
        if (from > 0 || hashes == 0 || hashes > 6) {
            return std::nullopt;
        }
        const std::size_t end = PatternCharacters::spaceRunEnd(text, hashes);
        if (end == hashes) {
            return std::nullopt;
        }
        return PatternMatch{{0, end}};
    };
}

// From a marker at p, "(.+?)" takes at least the character after it and ends at the first
// marker after that (e), provided no line break lies in between; a later marker lies past the
// same break. Openers move forward, and so do their searches.
MatchFinder MarkupMatchers::enclosed(std::string_view marker) {
    return [marker](std::string_view, std::size_t from, ForwardSearches& searches) -> Match {
        for (std::size_t p = searches.find(0, marker, from); p != none;
             p = searches.find(0, marker, p + 1)) {
            const std::size_t content = p + marker.size();
            const std::size_t e = searches.find(1, marker, content + 1);
            if (e == none) {
                return std::nullopt;
            }
            if (!breaksBefore(searches, 2, content, e)) {
                return PatternMatch{{p, e + marker.size()}, {{{content, e}}}};
            }
        }
        return std::nullopt;
    };
}

// From "[" at p the lazy text ends at the first "](" after p + 1 (k) unless a line break
// comes first; the lazy address then ends at the first ")" after k + 2 on the line. When that
// fails, every later "](" of the line has even less room, so only k is tried.
MatchFinder MarkupMatchers::link() {
    return [](std::string_view, std::size_t from, ForwardSearches& searches) -> Match {
        for (std::size_t p = searches.find(0, "[", from); p != none;
             p = searches.find(0, "[", p + 1)) {
            const std::size_t k = searches.find(1, "](", p + 2);
            if (k == none) {
                return std::nullopt;
            }
            if (breaksBefore(searches, 2, p + 1, k)) {
                continue;
            }
            const std::size_t e = searches.find(3, ")", k + 3);
            if (e == none) {
                return std::nullopt;
            }
            if (!breaksBefore(searches, 4, k + 2, e)) {
                return PatternMatch{{p, e + 1}, {{{p + 1, k}}}};
            }
        }
        return std::nullopt;
    };
}

// "\w*" and "\n?" take all they can; the lazy content then ends at the next fence. Giving any
// back cannot help: no fence begins inside a word or at a line feed. And when no fence
// follows, none follows any later opener either, so only the first opener is tried.
MatchFinder MarkupMatchers::fence() {
    return [](std::string_view text, std::size_t from, ForwardSearches&) -> Match {
        const std::size_t p = text.find("```", from);
        if (p == none) {
            return std::nullopt;
        }
        const std::size_t word = PatternCharacters::wordRunEnd(text, p + 3);
        const std::size_t content = hasAt(text, word, "\n") ? word + 1 : word;
        const std::size_t r = text.find("```", content);
        if (r == none) {
            return std::nullopt;
        }
        return PatternMatch{{p, r + 3}, {{{content, r}}}};
    };
}

}  // namespace nimbrook
