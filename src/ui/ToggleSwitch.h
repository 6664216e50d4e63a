#pragma once

#include <QAbstractButton>

namespace nimbrook {

// An on/off switch drawn as a track with a sliding knob, in the theme's colours.
class ToggleSwitch final : public QAbstractButton {
    Q_OBJECT

public:
    explicit ToggleSwitch(QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace nimbrook
