#pragma once

#include <QWidget>
#include <optional>

class QLabel;
class QToolButton;

namespace nimbrook {

class Theme;

// The bar at the panel's foot: the monitoring switch, "未保存" beside it while the history
// cannot be saved, and the hint that a click copies an entry.
class PanelFooter final : public QWidget {
    Q_OBJECT

public:
    explicit PanelFooter(QWidget* parent);

    void applyTheme(const Theme& theme);
    // The switch says the state it is in, in green while recording and orange while paused.
    void showMonitoring(bool monitoring, const Theme& theme);
    // No reason: the last save succeeded.
    void showSaveError(const std::optional<QString>& reason);

    QToolButton* monitoringSwitch() const { return monitoringSwitch_; }

signals:
    void monitoringSwitchClicked();

private:
    QToolButton* monitoringSwitch_ = nullptr;
    QLabel* saveWarning_ = nullptr;
    QLabel* hint_ = nullptr;
};

}  // namespace nimbrook
