#pragma once

#include <QWidget>
#include <cstddef>

class QFrame;
class QLabel;

namespace nimbrook {

// The clear-all confirmation: a dimming layer over the whole panel with a centred card.
// "清空" and Return confirm; "取消", Escape and a click on the dimming layer cancel. Either
// way the overlay hides itself before it tells.
class ClearConfirmOverlay final : public QWidget {
    Q_OBJECT

public:
    explicit ClearConfirmOverlay(QWidget* parent);

    // Covers the parent, shows at once and takes the keyboard focus; the question says that
    // `keptPinned` pinned entries stay, when there are any.
    void open(std::size_t keptPinned = 0);

signals:
    void confirmed();
    void cancelled();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    bool event(QEvent* event) override;

private:
    void confirm();
    void cancel();
    void applyTheme();

    QFrame* card_ = nullptr;
    QLabel* question_ = nullptr;
};

}  // namespace nimbrook
