#pragma once

#include <QWidget>

class QLabel;

namespace nimbrook {

class Theme;

// What the list's place shows when no entry is to be listed: a large faint clipboard and a
// line saying why the list is empty.
class EmptyState final : public QWidget {
    Q_OBJECT

public:
    explicit EmptyState(QWidget* parent);

    void applyTheme(const Theme& theme);
    void setText(const QString& text);

private:
    QLabel* icon_ = nullptr;
    QLabel* text_ = nullptr;
};

}  // namespace nimbrook
