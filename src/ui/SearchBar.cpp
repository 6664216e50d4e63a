#include "ui/SearchBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "ui/PanelWidgets.h"
#include "ui/SymbolIcons.h"
#include "ui/Theme.h"

namespace nimbrook {

SearchBar::SearchBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("searchBar"));
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(panelWidgets::sidePadding, 6, panelWidgets::sidePadding, 6);

    background_ = new QWidget(this);
    background_->setObjectName(QStringLiteral("searchBackground"));
    background_->setAttribute(Qt::WA_StyledBackground);
    outer->addWidget(background_);
    auto* row = new QHBoxLayout(background_);
    row->setContentsMargins(7, 7, 7, 7);
    row->setSpacing(6);

    icon_ = new QLabel(background_);
    row->addWidget(icon_);
    field_ = new QLineEdit(background_);
    field_->setObjectName(QStringLiteral("searchField"));
    field_->setFrame(false);
    field_->setFont(Theme::systemFont(13));
    field_->setPlaceholderText(QStringLiteral("搜索剪贴板…"));
    field_->setAccessibleName(QStringLiteral("搜索剪贴板"));
    connect(field_, &QLineEdit::textEdited, this, &SearchBar::textEdited);
    row->addWidget(field_, 1);

    clearButton_ = panelWidgets::makeIconButton(QStringLiteral("clearSearchButton"),
                                                QStringLiteral("清除搜索"), background_);
    // Reached by Tab, the button hides as it is pressed; typing goes on in the field.
    connect(clearButton_, &QToolButton::clicked, this, [this] {
        emit clearClicked();
        field_->setFocus(Qt::OtherFocusReason);
    });
    row->addWidget(clearButton_);
}

void SearchBar::applyTheme(const Theme& theme) {
    const QColor primary = theme.color(NamedColor::primaryLabel);
    const QColor secondary = theme.color(NamedColor::secondaryLabel);
    background_->setStyleSheet(
        QStringLiteral("#searchBackground { background-color: %1; border-radius: 6px; }"
                       " QLineEdit { background: transparent; border: none; color: %2; }")
            .arg(theme.color(NamedColor::quaternaryLabel, 0.5).name(QColor::HexArgb),
                 primary.name(QColor::HexArgb)));
    icon_->setPixmap(SymbolIcons::pixmap(u"magnifyingglass", panelWidgets::smallIconSize, secondary,
                                         devicePixelRatioF()));
    clearButton_->setStyleSheet(
        panelWidgets::iconButtonStyle(QString(), theme.color(NamedColor::accent)));
    clearButton_->setIcon(SymbolIcons::icon(u"xmark.circle.fill", secondary, primary));
}

void SearchBar::showText(const QString& text) {
    if (field_->text() != text) {
        field_->setText(text);
    }
    clearButton_->setVisible(!text.isEmpty());
}

}  // namespace nimbrook
