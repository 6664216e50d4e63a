#include "ui/Theme.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QStringList>

namespace nimbrook {

namespace {

struct ColorPair {
    QRgb light;
    QRgb dark;
};

// Indexed by NamedColor. Tints are brighter in the dark palette so that they keep their
// contrast on a dark window; label levels are black or white at falling opacity.
constexpr ColorPair colorTable[] = {
    {qRgb(0x1f, 0x6f, 0xd6), qRgb(0x4c, 0x9b, 0xff)},                // blue
    {qRgb(0x86, 0x86, 0x8c), qRgb(0x9c, 0x9c, 0xa3)},                // gray
    {qRgb(0x2b, 0x9a, 0x47), qRgb(0x4a, 0xc9, 0x68)},                // green
    {qRgb(0xc9, 0x9a, 0x00), qRgb(0xf2, 0xc9, 0x4c)},                // yellow
    {qRgb(0xd9, 0x3b, 0x30), qRgb(0xff, 0x61, 0x57)},                // red
    {qRgb(0x8a, 0x45, 0xc6), qRgb(0xb9, 0x7e, 0xee)},                // purple
    {qRgb(0xd4, 0x35, 0x6f), qRgb(0xff, 0x6d, 0x9c)},                // pink
    {qRgb(0xe5, 0x72, 0x0b), qRgb(0xff, 0xa0, 0x3c)},                // orange
    {qRgb(0x55, 0x52, 0xcc), qRgb(0x80, 0x7d, 0xff)},                // indigo
    {qRgb(0x15, 0x96, 0xa5), qRgb(0x45, 0xc8, 0xd6)},                // teal
    {qRgb(0x1f, 0x6f, 0xd6), qRgb(0x4c, 0x9b, 0xff)},                // accent
    {qRgba(0x1c, 0x1c, 0x1e, 0xf2), qRgba(0xff, 0xff, 0xff, 0xeb)},  // primaryLabel
    {qRgba(0x3c, 0x3c, 0x43, 0x99), qRgba(0xeb, 0xeb, 0xf5, 0x99)},  // secondaryLabel
    {qRgba(0x3c, 0x3c, 0x43, 0x5c), qRgba(0xeb, 0xeb, 0xf5, 0x5c)},  // tertiaryLabel
    {qRgba(0x3c, 0x3c, 0x43, 0x2e), qRgba(0xeb, 0xeb, 0xf5, 0x2e)},  // quaternaryLabel
    {qRgba(0x00, 0x00, 0x00, 0x1f), qRgba(0xff, 0xff, 0xff, 0x26)},  // separator
    {qRgb(0xf6, 0xf6, 0xf7), qRgb(0x25, 0x25, 0x28)},                // windowBackground
    {qRgb(0xec, 0xec, 0xee), qRgb(0x2f, 0x2f, 0x33)},                // barMaterial
    {qRgba(0xfc, 0xfc, 0xfd, 0xf5), qRgba(0x3a, 0x3a, 0x3e, 0xf5)},  // regularMaterial
    {qRgba(0x00, 0x00, 0x00, 0x54), qRgba(0x00, 0x00, 0x00, 0x54)},  // shadow
};

static_assert(std::size(colorTable) == static_cast<std::size_t>(NamedColor::shadow) + 1);

QFont fontWithFallback(QFont font, const QString& cjkFamily, qreal size, QFont::Weight weight) {
    // Prefer the Simplified Chinese forms over whatever CJK face fontconfig would pick.
    font.setFamilies({font.family(), cjkFamily});
    font.setPixelSize(qMax(1, qRound(size)));
    font.setWeight(weight);
    return font;
}

}  // namespace

Appearance Theme::appearanceOf(const QPalette& palette) {
    return palette.color(QPalette::Window).lightness() < 128 ? Appearance::dark : Appearance::light;
}

Theme Theme::current() {
    return Theme(appearanceOf(QGuiApplication::palette()));
}

QColor Theme::color(NamedColor name, qreal opacity) const {
    const ColorPair& pair = colorTable[static_cast<std::size_t>(name)];
    QColor result = QColor::fromRgba(appearance_ == Appearance::dark ? pair.dark : pair.light);
    result.setAlphaF(result.alphaF() * qBound(0.0, opacity, 1.0));
    return result;
}

QPalette Theme::palette() const {
    const QColor window = color(NamedColor::windowBackground);
    const QColor text =
        appearance_ == Appearance::dark ? QColor(0xf2, 0xf2, 0xf2) : QColor(0x1c, 0x1c, 0x1e);
    const QColor base =
        appearance_ == Appearance::dark ? QColor(0x31, 0x31, 0x35) : QColor(Qt::white);
    QPalette result(window);
    result.setColor(QPalette::Window, window);
    result.setColor(QPalette::WindowText, text);
    result.setColor(QPalette::Base, base);
    result.setColor(QPalette::AlternateBase, color(NamedColor::barMaterial));
    result.setColor(QPalette::Text, text);
    result.setColor(QPalette::Button, color(NamedColor::barMaterial));
    result.setColor(QPalette::ButtonText, text);
    result.setColor(QPalette::Highlight, color(NamedColor::accent));
    result.setColor(QPalette::HighlightedText, Qt::white);
    result.setColor(QPalette::PlaceholderText, color(NamedColor::tertiaryLabel));
    result.setColor(QPalette::ToolTipBase, color(NamedColor::regularMaterial));
    result.setColor(QPalette::ToolTipText, text);
    result.setColor(QPalette::Disabled, QPalette::WindowText, color(NamedColor::tertiaryLabel));
    result.setColor(QPalette::Disabled, QPalette::Text, color(NamedColor::tertiaryLabel));
    result.setColor(QPalette::Disabled, QPalette::ButtonText, color(NamedColor::tertiaryLabel));
    return result;
}

QFont Theme::systemFont(qreal size, QFont::Weight weight) {
    return fontWithFallback(QFontDatabase::systemFont(QFontDatabase::GeneralFont),
                            QStringLiteral("Noto Sans CJK SC"), size, weight);
}

QFont Theme::monospacedFont(qreal size, QFont::Weight weight) {
    QFont font = fontWithFallback(QFontDatabase::systemFont(QFontDatabase::FixedFont),
                                  QStringLiteral("Noto Sans Mono CJK SC"), size, weight);
    font.setStyleHint(QFont::Monospace);
    return font;
}

QFont Theme::textStyle(TextStyle style) {
    switch (style) {
        case TextStyle::headline:
            return systemFont(14, QFont::DemiBold);
        case TextStyle::subheadline:
            return systemFont(12);
        case TextStyle::body:
            return systemFont(13);
        case TextStyle::caption:
            return systemFont(11);
        case TextStyle::caption2:
            return systemFont(10);
    }
    return systemFont(13);
}

}  // namespace nimbrook
