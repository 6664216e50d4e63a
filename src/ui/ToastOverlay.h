#pragma once

#include <QString>
#include <QWidget>

class QVariantAnimation;

namespace nimbrook {

// The toast near the top of the panel: a capsule with a green check and the message. It
// slides in from the top edge while fading in, on a spring-like curve, and leaves the
// reverse way. It never takes clicks, so the panel under it stays usable.
class ToastOverlay final : public QWidget {
    Q_OBJECT

public:
    explicit ToastOverlay(QWidget* parent);

    // Shows `message`, entering when no toast is up and replacing the text otherwise.
    void showMessage(const QString& message);
    // Lets the toast leave; the text stays until it is gone.
    void dismiss();

    QString message() const { return message_; }
    // True from showMessage until dismiss, whether or not the entry has finished.
    bool isShowing() const { return isShowing_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSize capsuleSize() const;
    void placeAtTop();
    void animateTo(qreal target);

    QString message_;
    bool isShowing_ = false;
    // 0 when off screen above the panel, 1 at rest; the spring may overshoot 1 slightly.
    qreal progress_ = 0;
    QVariantAnimation* animation_ = nullptr;
};

}  // namespace nimbrook
