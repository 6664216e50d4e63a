#include <QByteArray>

#include <gtest/gtest.h>

#include "ui/AppMeta.h"

namespace nimbrook {
namespace {

struct AppCase {
    const char* tag;
    QByteArray name;
    const char* icon = "app.fill";
    NamedColor color = NamedColor::secondaryLabel;
};

const AppCase appCases[] = {
    {"title case", "Safari", "safari", NamedColor::blue},
    {"upper case, several words", "FIREFOX ESR", "globe", NamedColor::orange},
    {"chinese name", "微信", "bubble.left.fill", NamedColor::green},
    {"linux alias of a macOS row", "Gnome Terminal", "terminal", NamedColor::gray},
    {"punctuation in the key", "Google Chrome (Stable)", "globe", NamedColor::green},
    // Lower-casing is the full Unicode mapping: KELVIN SIGN lower-cases to "k".
    {"kelvin sign", "\u212Aate", "text.document", NamedColor::orange},
    // ...and independent of the user's locale: a Turkish mapping would turn this into "kitty".
    {"dotted capital I", "K\u0130TTY"},
    // Names that are not whole keys get the neutral look.
    {"empty", QByteArray()},
    {"surrounding space", " Safari "},
    {"prefix of a key", "Firef"},
    {"key inside a name", "My Firefox"},
    {"full-width letters", "\xEF\xBC\xB3\x61\x66\x61\x72\x69"},
    {"invalid UTF-8", "saf\xFF\xFEri"},
    {"embedded NUL", QByteArray("safari\0x", 8)},
    {"very long", QByteArray(1 << 20, 'a')},
};

TEST(AppMetaTest, looksUpWholeNamesInAnyCase) {
    for (const AppCase& c : appCases) {
        const AppMeta meta = appMeta(std::string_view(c.name.constData(), c.name.size()));
        EXPECT_EQ(meta, (AppMeta{QString::fromUtf8(c.icon), c.color})) << c.tag;
    }
}

}  // namespace
}  // namespace nimbrook
