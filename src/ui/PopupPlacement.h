#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace nimbrook {

// Where a drop-down of `size` goes for a tray icon. `iconGeometry` is what the tray reports
// (an empty rectangle when it reports nothing: the pointer, which was on the icon when it
// was clicked, stands in for it). The drop-down opens below the anchor when it fits there,
// else above it (a bottom panel), else on the roomier side; it is centred on the anchor
// and always moved inside `availableGeometry`. A drop-down larger than the area keeps its
// size and is pinned to the area's top-left corner.
class PopupPlacement final {
public:
    static QRect geometry(QSize size, const QRect& iconGeometry, QPoint pointer,
                          const QRect& availableGeometry);
    // Where a window of `size` goes beside the drop-down at `panel`: on its right when it
    // fits there, else on its left, else on the roomier side; its top level with the
    // panel's, and always moved inside `availableGeometry`.
    static QRect beside(QSize size, const QRect& panel, const QRect& availableGeometry);
};

}  // namespace nimbrook
