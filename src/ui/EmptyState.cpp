#include "ui/EmptyState.h"

#include <QLabel>
#include <QVBoxLayout>

#include "ui/PanelWidgets.h"
#include "ui/SymbolIcons.h"
#include "ui/Theme.h"

namespace nimbrook {

namespace {

constexpr int iconSize = 36;

}  // namespace

EmptyState::EmptyState(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("emptyState"));
    auto* column = new QVBoxLayout(this);
    column->setSpacing(10);
    column->addStretch(1);
    icon_ = new QLabel(this);
    column->addWidget(icon_, 0, Qt::AlignHCenter);
    text_ = panelWidgets::makeLabel(QString(), QStringLiteral("emptyStateText"),
                                    Theme::textStyle(TextStyle::subheadline), this);
    column->addWidget(text_, 0, Qt::AlignHCenter);
    column->addStretch(1);
}

void EmptyState::applyTheme(const Theme& theme) {
    icon_->setPixmap(SymbolIcons::pixmap(u"doc.on.clipboard", iconSize,
                                         theme.color(NamedColor::quaternaryLabel),
                                         devicePixelRatioF()));
    panelWidgets::setForeground(text_, theme.color(NamedColor::secondaryLabel));
}

void EmptyState::setText(const QString& text) {
    text_->setText(text);
}

}  // namespace nimbrook
