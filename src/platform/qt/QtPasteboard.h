#pragma once

#include <QObject>

#include "platform/Pasteboard.h"

class QClipboard;

namespace nimbrook {

// The CLIPBOARD selection through QClipboard; PRIMARY (mouse selection) is never touched.
class QtPasteboard final : public Pasteboard {
public:
    // Counts changes from construction on; `clipboard` must outlive this object.
    explicit QtPasteboard(QClipboard& clipboard);

    std::int64_t changeCount() const override { return changeCount_; }
    std::optional<std::string> pngData() const override;
    std::optional<std::string> tiffData() const override;
    std::optional<std::string> string() const override;
    bool isSecret() const override;
    void clearAndSetString(const std::string& text) override;

private:
    std::optional<std::string> bytesOf(const QString& mimeType) const;

    QClipboard& clipboard_;
    // Receives the change signal; disconnected when this object goes.
    QObject receiver_;
    std::int64_t changeCount_ = 0;
};

}  // namespace nimbrook
