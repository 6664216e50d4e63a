#include "support/DifferentialTexts.h"

#include <random>
#include <string>
#include <string_view>

namespace nimbrook {

namespace {

// In this order, so that the seed draws the same texts.
constexpr std::string_view pieces[]{
    // Tags, their pieces and entities.
    "<", "<", ">", ">", "/", "<h1>", "<h2 id=\"t\">", "</h1>", "</h2>", "<h3", "</h4>", "<b>",
    "</b>", "<strong>", "</strong>", "<em>", "<i>", "</i>", "</em>", "<a ", "<a href=\"", "href=\"",
    "\"", "</a>", "<code>", "</code>", "<br", "<br/>", "<p>", "</p>", "<p x>", "<pre>", "<li>",
    "</li>", "&amp;", "&lt;", "&nbsp;",
    // Markdown markers and list numbers.
    "**", "*", "*", "`", "```", "```js", "[", "]", "(", ")", "](", "#", "## ", "- ", "+ ", "1. ",
    "\u0661\u0662. ", "> ", "    ",
    // Every kind of white space and line break.
    " ", " ", "\t", "\n", "\n", "\n\n\n", "\r\n", "\r", "\v", "\u0085", "\u2028", "\u00a0",
    "\u3000",
    // Letters, marks and code.
    "x", "word", "\u00e9", "\u4e2d\u6587", "e\u0301", "_", "{", ";", "func ", "import "};

std::string randomText(std::mt19937& random, std::size_t pieceCount) {
    std::string text;
    for (std::size_t index = 0; index < pieceCount; ++index) {
        text += pieces[random() % std::size(pieces)];
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
    std::mt19937 random(14);
    std::vector<std::string> texts;
    for (int index = 0; index < 1500; ++index) {
        texts.push_back(randomText(random, random() % 40));
    }
    for (int index = 0; index < 8; ++index) {
        texts.push_back(randomText(random, 1000 + random() % 9000));
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
