#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QToolButton;

namespace nimbrook {

class Theme;

// The search field on its rounded grey ground, with a magnifying glass before it and a
// button that clears it after it while it holds text.
class SearchBar final : public QWidget {
    Q_OBJECT

public:
    explicit SearchBar(QWidget* parent);

    void applyTheme(const Theme& theme);
    // Leaves the field alone when it already holds `text`, so its cursor stays where it is.
    void showText(const QString& text);

    QLineEdit* field() const { return field_; }
    QToolButton* clearButton() const { return clearButton_; }

signals:
    // Typed into the field, not set by showText.
    void textEdited(const QString& text);
    void clearClicked();

private:
    QWidget* background_ = nullptr;
    QLabel* icon_ = nullptr;
    QLineEdit* field_ = nullptr;
    QToolButton* clearButton_ = nullptr;
};

}  // namespace nimbrook
