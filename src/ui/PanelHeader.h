#pragma once

#include <QWidget>
#include <cstddef>

class QLabel;
class QToolButton;

namespace nimbrook {

class Theme;

// The panel's top line: the product's icon and names, the number of entries, "已暂停" while
// monitoring is off, and the settings and clear-all buttons.
class PanelHeader final : public QWidget {
    Q_OBJECT

public:
    explicit PanelHeader(QWidget* parent);

    void applyTheme(const Theme& theme);
    // An empty history leaves nothing to clear.
    void showCount(std::size_t count);
    void showPaused(bool paused);

    QToolButton* settingsButton() const { return settingsButton_; }
    QToolButton* clearAllButton() const { return clearAllButton_; }

signals:
    void settingsClicked();
    void clearAllClicked();

private:
    QWidget* buildPausedLabel();

    QLabel* appIcon_ = nullptr;
    QLabel* latinName_ = nullptr;
    QLabel* itemCount_ = nullptr;
    QWidget* pausedLabel_ = nullptr;
    QLabel* pausedIcon_ = nullptr;
    QToolButton* settingsButton_ = nullptr;
    QToolButton* clearAllButton_ = nullptr;
};

}  // namespace nimbrook
