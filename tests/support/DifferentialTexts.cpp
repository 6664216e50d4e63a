#include "support/DifferentialTexts.h"

#include <random>
#include <span>
#include <string_view>

namespace nimbrook {

namespace {

// Tags, their pieces and entities.
constexpr std::string_view tags[]{
    "<",         "<",     ">",     ">",      "/",       "<h1>",  "<h2 id=\"t\">",
    "</h1>",     "</h2>", "<h3",   "</h4>",  "<b>",     "</b>",  "<strong>",
    "</strong>", "<em>",  "<i>",   "</i>",   "</em>",   "<a ",   "<a href=\"",
    "href=\"",   "\"",    "</a>",  "<code>", "</code>", "<br",   "<br/>",
    "<p>",       "</p>",  "<p x>", "<pre>",  "<li>",    "</li>", "&amp;",
    "&lt;",      "&nbsp;"};
// Markdown markers and list numbers.
constexpr std::string_view markers[]{
    "**", "*",   "*",  "`",  "```", "```js",          "[",  "]",   "(", ")", "](",
    "#",  "## ", "- ", "+ ", "1. ", "\u0661\u0662. ", "> ", "    "};
// Every kind of white space and line break.
constexpr std::string_view blanks[]{" ",  " ",  "\t",     "\n",     "\n",     "\n\n\n", "\r\n",
                                    "\r", "\v", "\u0085", "\u2028", "\u00a0", "\u3000"};
// Letters, marks and code.
constexpr std::string_view words[]{"x", "word", "\u00e9", "\u4e2d\u6587", "e\u0301",
                                   "_", "{",    ";",      "func ",        "import "};

// One list, in this order, so that the seed draws the same texts.
std::vector<std::string_view> allPieces() {
    std::vector<std::string_view> all;
    using Group = std::span<const std::string_view>;
    for (const Group group : {Group(tags), Group(markers), Group(blanks), Group(words)}) {
        all.insert(all.end(), group.begin(), group.end());
    }
    return all;
}

std::string randomText(std::mt19937& random, std::span<const std::string_view> pieces,
                       std::size_t pieceCount) {
    std::string text;
    for (std::size_t index = 0; index < pieceCount; ++index) {
        text += pieces[random() % pieces.size()];
    }
    return text;
}

}  // namespace

std::string repeated(std::string_view piece, std::size_t count) {
    std::string text;
    for (std::size_t index = 0; index < count; ++index) {
        text += piece;
    }
    return text;
}

std::vector<std::string> differentialTexts() {
    const std::vector<std::string_view> pieces = allPieces();
    std::mt19937 random(14);
    std::vector<std::string> texts;
    for (int index = 0; index < 1500; ++index) {
        texts.push_back(randomText(random, pieces, random() % 40));
    }
    for (int index = 0; index < 8; ++index) {
        texts.push_back(randomText(random, pieces, 1000 + random() % 9000));
    }
    texts.push_back("<span>keep</span>" + repeated(" a<b", 2000));
    texts.push_back(std::string(1 << 20, '<') + "b>x");
    for (const std::string_view opener :
         {"<b>", "<h1 ", "<a href=\"", "<a ", "**", "*", "`", "[", "](", "```", "<p", "</p> "}) {
        texts.push_back(repeated(opener, 3000) + "x\n</b></h1></a>)**`x```>");
    }
    texts.push_back("```" + repeated("w", 8000));
    texts.push_back("- " + repeated(" \n", 4000));
    return texts;
}

}  // namespace nimbrook
