#pragma once

#include <QFrame>
#include <QString>

#include "model/ContentType.h"

class QLabel;
class QTextEdit;

namespace nimbrook {

class ClipboardItem;
class ThumbnailCache;
class WorkQueue;

// The whole of one entry in a window beside the panel: an image up to 360 x 360, or the text
// (its first 100,000 characters and a note of its full length), scrollable, no higher than
// the panel. It never takes the keyboard: the panel's search field keeps it.
class EntryPreview final : public QFrame {
    Q_OBJECT

public:
    static constexpr int maxImageSide = 360;
    static constexpr int textWidth = 420;
    static constexpr qsizetype maxShownCharacters = 100'000;

    explicit EntryPreview(WorkQueue& workQueue, QWidget* parent = nullptr);

    // Shows `entry` beside `panel` (global coordinates), inside the screen's free area.
    void showEntry(const ClipboardItem& entry, const QRect& panel, const QRect& available);
    // The entry shown, by id, while the window is visible; empty otherwise.
    const QString& shownId() const { return shownId_; }

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void showText(const ClipboardItem& entry, int maxHeight);
    void showPicture();
    void place();
    void applyTheme();

    ThumbnailCache* images_ = nullptr;
    QLabel* picture_ = nullptr;
    QTextEdit* text_ = nullptr;
    QLabel* note_ = nullptr;
    QString shownId_;
    QString imagePath_;
    QRect panel_;
    QRect available_;
};

}  // namespace nimbrook
