#include "ui/SymbolIcons.h"

#include <QFile>
#include <QFontDatabase>
#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>
#include <array>
#include <string_view>

namespace nimbrook {

namespace {

struct SymbolGlyph {
    std::u16string_view name;
    char16_t codepoint;  // in the Material Icons font (its scss/_variables.scss)
};

// Where one glyph stands for several symbols, the design draws them the same way too.
constexpr std::array symbolTable{
    SymbolGlyph{u"doc.on.clipboard.fill", 0xe14f},                    // content_paste
    SymbolGlyph{u"doc.on.clipboard", 0xe85d},                         // assignment
    SymbolGlyph{u"pause.circle", 0xe036},                             // pause_circle_outline
    SymbolGlyph{u"pause.circle.fill", 0xe035},                        // pause_circle_filled
    SymbolGlyph{u"record.circle", 0xe837},                            // radio_button_checked
    SymbolGlyph{u"gearshape", 0xe8b8},                                // settings
    SymbolGlyph{u"trash", 0xe872},                                    // delete
    SymbolGlyph{u"magnifyingglass", 0xe8b6},                          // search
    SymbolGlyph{u"xmark.circle.fill", 0xe5c9},                        // cancel
    SymbolGlyph{u"checkmark.circle.fill", 0xe86c},                    // check_circle
    SymbolGlyph{u"wand.and.stars", 0xe663},                           // auto_fix_high
    SymbolGlyph{u"pin.fill", 0xf10d},                                 // push_pin
    SymbolGlyph{u"curlybraces", 0xead3},                              // data_object
    SymbolGlyph{u"chevron.left.forwardslash.chevron.right", 0xe86f},  // code
    SymbolGlyph{u"link", 0xe157},                                     // link
    SymbolGlyph{u"text.document", 0xe873},                            // description
    SymbolGlyph{u"text.alignleft", 0xe236},                           // format_align_left
    SymbolGlyph{u"photo", 0xe410},                                    // photo
    SymbolGlyph{u"safari", 0xe87a},                                   // explore
    SymbolGlyph{u"hammer.fill", 0xe869},                              // build
    SymbolGlyph{u"face.smiling", 0xe7f2},                             // mood
    SymbolGlyph{u"terminal", 0xeb8e},                                 // terminal
    SymbolGlyph{u"envelope.fill", 0xe158},                            // mail
    SymbolGlyph{u"bubble.left.fill", 0xe0ca},                         // chat_bubble
    SymbolGlyph{u"note.text", 0xf1fc},                                // sticky_note_2
    SymbolGlyph{u"checklist", 0xe6b1},                                // checklist
    SymbolGlyph{u"calendar", 0xe935},                                 // calendar_today
    SymbolGlyph{u"eye", 0xe8f4},                                      // visibility
    SymbolGlyph{u"music.note", 0xe405},                               // music_note
    SymbolGlyph{u"a.circle.fill", 0xe8c9},                            // shop
    SymbolGlyph{u"laptopcomputer", 0xe31e},                           // laptop
    SymbolGlyph{u"globe", 0xe894},                                    // language
    SymbolGlyph{u"number", 0xe9ef},                                   // tag
    SymbolGlyph{u"bubble.left.and.bubble.right.fill", 0xe0bf},        // forum
    SymbolGlyph{u"paperplane.fill", 0xe163},                          // send
    SymbolGlyph{u"diamond", 0xead5},                                  // diamond
    SymbolGlyph{u"square.text.square", 0xef42},                       // article
    SymbolGlyph{u"doc.text", 0xf1c6},                                 // text_snippet
    SymbolGlyph{u"paintpalette", 0xe40a},                             // palette
    SymbolGlyph{u"app.fill", 0xe5c3},                                 // apps
};

constexpr auto installedFontFile =
    "/usr/share/fonts/truetype/material-design-icons-iconfont/MaterialIcons-Regular.ttf";

std::u16string_view viewOf(QStringView text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

// The installed font file read on its own: the tray icon is drawn at start, and through the
// font database it would have the toolkit list every font of the system first (over a
// megabyte of heap and a good part of the start) for one glyph.
const QRawFont& rawIconFont() {
    static const QRawFont font = [] {
        const QString file = QString::fromUtf8(installedFontFile);
        return QFile::exists(file) ? QRawFont(file, 16) : QRawFont();
    }();
    return font;
}

// Centred as QPainter::drawText centres one line: the advance across, the line box up and down.
void paintRawGlyph(QPainter& painter, const QRawFont& font, const QRectF& rect, QChar glyph,
                   qreal size, const QColor& color) {
    QRawFont sized = font;
    sized.setPixelSize(qMax(1, qRound(size)));
    const QList<quint32> indexes = sized.glyphIndexesForString(QString(glyph));
    if (indexes.isEmpty() || indexes.front() == 0) {
        return;
    }
    const QList<QPointF> advances = sized.advancesForGlyphIndexes(indexes);
    const qreal lineHeight = sized.ascent() + sized.descent();
    const QPointF origin(rect.x() + (rect.width() - advances.front().x()) / 2,
                         rect.y() + (rect.height() - lineHeight) / 2 + sized.ascent());
    QGlyphRun run;
    run.setRawFont(sized);
    run.setGlyphIndexes(indexes);
    run.setPositions({QPointF(0, 0)});
    painter.setPen(color);
    painter.drawGlyphRun(origin, run);
}

}  // namespace

bool SymbolIcons::ensureFontLoaded() {
    static const bool loaded = [] {
        if (QFontDatabase::families().contains(fontFamily())) {
            return true;
        }
        // fontconfig may not index the package's folder in a minimal session.
        return QFontDatabase::addApplicationFont(QString::fromUtf8(installedFontFile)) >= 0;
    }();
    return loaded;
}

QString SymbolIcons::glyph(QStringView symbolName) {
    const std::u16string_view name = viewOf(symbolName);
    for (const SymbolGlyph& entry : symbolTable) {
        if (entry.name == name) {
            return QString(QChar(entry.codepoint));
        }
    }
    return {};
}

QStringList SymbolIcons::symbolNames() {
    QStringList names;
    names.reserve(static_cast<qsizetype>(symbolTable.size()));
    for (const SymbolGlyph& entry : symbolTable) {
        names.append(
            QString::fromUtf16(entry.name.data(), static_cast<qsizetype>(entry.name.size())));
    }
    return names;
}

QFont SymbolIcons::font(qreal size) {
    ensureFontLoaded();
    QFont result(fontFamily());
    result.setPixelSize(qMax(1, qRound(size)));
    result.setStyleStrategy(QFont::NoFontMerging);
    return result;
}

void SymbolIcons::paint(QPainter& painter, const QRectF& rect, QStringView symbolName, qreal size,
                        const QColor& color) {
    const QString text = glyph(symbolName);
    if (text.isEmpty()) {
        return;
    }
    painter.save();
    painter.setFont(font(size));
    painter.setPen(color);
    painter.drawText(rect, Qt::AlignCenter, text);
    painter.restore();
}

QPixmap SymbolIcons::pixmap(QStringView symbolName, int size, const QColor& color,
                            qreal devicePixelRatio) {
    QPixmap result(QSize(size, size) * devicePixelRatio);
    result.setDevicePixelRatio(devicePixelRatio);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF rect(0, 0, size, size);
    const QString text = glyph(symbolName);
    if (text.isEmpty()) {
        return result;
    }
    if (const QRawFont& raw = rawIconFont(); raw.isValid()) {
        paintRawGlyph(painter, raw, rect, text.front(), size, color);
    } else {
        paint(painter, rect, symbolName, size, color);
    }
    return result;
}

QIcon SymbolIcons::icon(QStringView symbolName, const QColor& color, const QColor& hoverColor) {
    QIcon result;
    for (const int size : {16, 22, 24, 32, 48, 64}) {
        result.addPixmap(pixmap(symbolName, size, color));
        if (hoverColor.isValid()) {
            result.addPixmap(pixmap(symbolName, size, hoverColor), QIcon::Active);
        }
    }
    return result;
}

}  // namespace nimbrook
