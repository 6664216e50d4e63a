#include "platform/x11/X11Pasteboard.h"

#include <QClipboard>
#include <QMimeData>
#include <utility>

#include "model/Uuid.h"

namespace nimbrook {

X11Pasteboard::X11Pasteboard(QClipboard& clipboard, X11SelectionConversion::Limits limits,
                             std::function<void()> onChange)
    : clipboard_(clipboard),
      // Every program on the desktop reads the offered types: the mark of the program's own
      // copies is a token of this start, which says nothing of the process.
      ownType_("application/x-nimbrook-own-" + Uuid::random().text()),
      reader_(ownType_, limits, std::move(onChange)),
      counted_(reader_.latest()) {}

void X11Pasteboard::awaitAnnouncedChange(std::chrono::milliseconds bound) const {
    reader_.awaitRead(bound);
}

std::int64_t X11Pasteboard::changeCount() const {
    counted_ = reader_.latest();
    return counted_->changeCount;
}

std::optional<std::string> X11Pasteboard::pngData() const {
    return counted_->png;
}

std::optional<std::string> X11Pasteboard::tiffData() const {
    return counted_->tiff;
}

std::optional<std::string> X11Pasteboard::string() const {
    if (counted_->isOwn) {
        return writtenText_;
    }
    return counted_->text;
}

bool X11Pasteboard::isSecret() const {
    return counted_->isSecret;
}

// Plain text, under the types the toolkit derives from it, and the mark of this start.
QMimeData* X11Pasteboard::ownData(const std::string& text) {
    writtenText_ = text;
    auto* mimeData = new QMimeData;
    mimeData->setData(QStringLiteral("text/plain"), QByteArray::fromStdString(text));
    mimeData->setData(QString::fromStdString(ownType_), QByteArray());
    return mimeData;
}

void X11Pasteboard::clearAndSetString(const std::string& text) {
    clipboard_.setMimeData(ownData(text), QClipboard::Clipboard);
}

// The toolkit answers a large image in INCR steps as the reader takes them, from its event
// loop: a slow reader never holds the panel.
void X11Pasteboard::clearAndSetImage(const ImageOffer& offer) {
    QMimeData* mimeData = ownData(offer.path);
    for (const auto& image : offer.images) {
        mimeData->setData(QString::fromStdString(image.mimeType),
                          QByteArray::fromStdString(*image.bytes));
    }
    mimeData->setData(QStringLiteral("text/uri-list"), QByteArray::fromStdString(offer.uriList));
    clipboard_.setMimeData(mimeData, QClipboard::Clipboard);
}

}  // namespace nimbrook
