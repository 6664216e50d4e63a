#include "ui/EntryPreview.h"

#include <QLabel>
#include <QLocale>
#include <QPixmap>
#include <QScrollBar>
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>
#include <string_view>

#include "model/ClipboardItem.h"
#include "ui/PopupPlacement.h"
#include "ui/Theme.h"
#include "ui/ThumbnailCache.h"

namespace nimbrook {

namespace {

constexpr int margin = 10;
constexpr int spacing = 6;
// While an image is read the window keeps a small size, then takes the picture's.
constexpr QSize pendingSize(160, 90);

struct ShownText {
    QString text;
    qsizetype characters = 0;
    bool cut = false;
};

// The first maxShownCharacters characters of `content`, counted without decoding the rest:
// an entry may be many megabytes long.
ShownText shownTextOf(std::string_view content) {
    ShownText shown;
    std::size_t end = content.size();
    for (std::size_t index = 0; index < content.size(); ++index) {
        if ((static_cast<unsigned char>(content[index]) & 0xC0) == 0x80) {
            continue;
        }
        if (shown.characters == EntryPreview::maxShownCharacters) {
            end = index;
            shown.cut = true;
        }
        ++shown.characters;
    }
    shown.text = QString::fromUtf8(content.data(), static_cast<qsizetype>(end));
    return shown;
}

bool isCode(ContentType type) {
    return type == ContentType::code || type == ContentType::json;
}

}  // namespace

EntryPreview::EntryPreview(WorkQueue& workQueue, QWidget* parent)
    : QFrame(parent, Qt::ToolTip | Qt::FramelessWindowHint),
      images_(new ThumbnailCache(workQueue, this)) {
    setObjectName(QStringLiteral("entryPreview"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(margin, margin, margin, margin);
    column->setSpacing(spacing);
    column->setSizeConstraint(QLayout::SetFixedSize);
    picture_ = new QLabel(this);
    picture_->setObjectName(QStringLiteral("previewPicture"));
    picture_->setAlignment(Qt::AlignCenter);
    text_ = new QTextEdit(this);
    text_->setObjectName(QStringLiteral("previewText"));
    text_->setReadOnly(true);
    text_->setFocusPolicy(Qt::NoFocus);
    text_->setFrameShape(QFrame::NoFrame);
    text_->setFixedWidth(textWidth - 2 * margin);
    text_->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    note_ = new QLabel(this);
    note_->setObjectName(QStringLiteral("previewNote"));
    note_->setFont(Theme::systemFont(11));
    note_->setWordWrap(true);
    column->addWidget(picture_);
    column->addWidget(text_);
    column->addWidget(note_);
    connect(images_, &ThumbnailCache::decoded, this, [this](const QString& path) {
        if (isVisible() && path == imagePath_) {
            showPicture();
            place();
        }
    });
}

void EntryPreview::showEntry(const ClipboardItem& entry, const QRect& panel,
                             const QRect& available) {
    shownId_ = QString::fromStdString(entry.id().text());
    panel_ = panel;
    available_ = available;
    applyTheme();
    const bool isImage = entry.contentType() == ContentType::image;
    picture_->setVisible(isImage);
    text_->setVisible(!isImage);
    note_->hide();
    imagePath_.clear();
    if (isImage) {
        imagePath_ = QString::fromStdString(entry.content());
        showPicture();
    } else {
        showText(entry, panel.height() - 2 * margin);
    }
    place();
    show();
}

void EntryPreview::showText(const ClipboardItem& entry, int maxHeight) {
    const ShownText shown = shownTextOf(entry.content());
    const bool code = isCode(entry.contentType());
    text_->setFont(code ? Theme::monospacedFont(12) : Theme::systemFont(13));
    text_->setLineWrapMode(code ? QTextEdit::NoWrap : QTextEdit::WidgetWidth);
    text_->setPlainText(shown.text);
    if (shown.cut) {
        const QLocale chinese(QLocale::Chinese, QLocale::China);
        note_->setText(
            QStringLiteral("仅显示前 %1 个字符，全文共 %2 个字符")
                .arg(chinese.toString(maxShownCharacters), chinese.toString(shown.characters)));
        note_->show();
        maxHeight -= note_->sizeHint().height() + spacing;
    }
    QTextDocument* document = text_->document();
    document->setTextWidth(code ? -1 : text_->width());
    int height = qCeil(document->size().height());
    if (code && document->idealWidth() > text_->width()) {
        height += text_->horizontalScrollBar()->sizeHint().height();
    }
    text_->setFixedHeight(std::clamp(height, 1, std::max(1, maxHeight)));
    text_->verticalScrollBar()->setValue(0);
}

void EntryPreview::showPicture() {
    const qreal ratio = devicePixelRatioF();
    const std::optional<DecodedImage> found =
        images_->find(imagePath_, QSize(maxImageSide, maxImageSide) * ratio);
    picture_->clear();
    if (!found) {
        picture_->setFixedSize(pendingSize);
        return;
    }
    if (found->status != DecodedImage::Status::decoded) {
        picture_->setText(QStringLiteral("图片已丢失"));
        picture_->setFixedSize(pendingSize);
        return;
    }
    QPixmap pixmap = QPixmap::fromImage(found->image);
    pixmap.setDevicePixelRatio(ratio);
    picture_->setPixmap(pixmap);
    picture_->setFixedSize(pixmap.deviceIndependentSize().toSize());
}

void EntryPreview::place() {
    adjustSize();
    setGeometry(PopupPlacement::beside(size(), panel_, available_));
}

void EntryPreview::applyTheme() {
    const Theme theme = Theme::current();
    setPalette(theme.palette());
    setStyleSheet(QStringLiteral("#entryPreview { background: %1; border: 1px solid %2; }")
                      .arg(theme.color(NamedColor::windowBackground).name(QColor::HexArgb),
                           theme.color(NamedColor::separator).name(QColor::HexArgb)));
    QPalette text = text_->palette();
    text.setColor(QPalette::Base, theme.color(NamedColor::windowBackground));
    text.setColor(QPalette::Text, theme.color(NamedColor::primaryLabel));
    text_->setPalette(text);
    QPalette secondary = note_->palette();
    secondary.setColor(QPalette::WindowText, theme.color(NamedColor::secondaryLabel));
    note_->setPalette(secondary);
    picture_->setPalette(secondary);
    picture_->setFont(Theme::systemFont(12));
}

void EntryPreview::hideEvent(QHideEvent* event) {
    shownId_.clear();
    QFrame::hideEvent(event);
}

}  // namespace nimbrook
