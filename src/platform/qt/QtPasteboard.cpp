#include "platform/qt/QtPasteboard.h"

#include <QClipboard>
#include <QMimeData>

#include "platform/UnicodeText.h"

namespace nimbrook {
namespace {

const QString pngType = QStringLiteral("image/png");
const QString tiffType = QStringLiteral("image/tiff");
const QString textType = QStringLiteral("text/plain");
// Set by password managers on what they copy; such an offer is never recorded.
const QString secretHintType = QStringLiteral("x-kde-passwordManagerHint");

}  // namespace

QtPasteboard::QtPasteboard(QClipboard& clipboard) : clipboard_(clipboard) {
    QObject::connect(&clipboard_, &QClipboard::changed, &receiver_, [this](QClipboard::Mode mode) {
        if (mode == QClipboard::Clipboard) {
            ++changeCount_;
        }
    });
}

std::optional<std::string> QtPasteboard::pngData() const {
    return bytesOf(pngType);
}

std::optional<std::string> QtPasteboard::tiffData() const {
    return bytesOf(tiffType);
}

std::optional<std::string> QtPasteboard::string() const {
    // QClipboard::text() would pick any text/* flavour and decode it by its charset;
    // only the plain UTF-8 text is wanted, repaired when the owner sent broken bytes.
    auto bytes = bytesOf(textType);
    if (!bytes) {
        return std::nullopt;
    }
    return UnicodeText::repairedUtf8(*bytes);
}

bool QtPasteboard::isSecret() const {
    const auto hint = bytesOf(secretHintType);
    return hint && QByteArray::fromStdString(*hint).trimmed() == "secret";
}

void QtPasteboard::clearAndSetString(const std::string& text) {
    auto* mimeData = new QMimeData;
    mimeData->setData(textType, QByteArray::fromStdString(text));
    clipboard_.setMimeData(mimeData, QClipboard::Clipboard);
}

std::optional<std::string> QtPasteboard::bytesOf(const QString& mimeType) const {
    const QMimeData* mimeData = clipboard_.mimeData(QClipboard::Clipboard);
    if (mimeData == nullptr || !mimeData->hasFormat(mimeType)) {
        return std::nullopt;
    }
    const QByteArray bytes = mimeData->data(mimeType);
    if (static_cast<std::size_t>(bytes.size()) > maximumRepresentationBytes) {
        return std::nullopt;
    }
    return bytes.toStdString();
}

}  // namespace nimbrook
