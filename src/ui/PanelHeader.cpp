#include "ui/PanelHeader.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

#include "ui/PanelWidgets.h"
#include "ui/SymbolIcons.h"
#include "ui/Theme.h"

namespace nimbrook {

namespace {

constexpr int headerIconSize = 16;

}  // namespace

PanelHeader::PanelHeader(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("header"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(panelWidgets::sidePadding, 10, panelWidgets::sidePadding, 10);
    row->setSpacing(8);

    appIcon_ = new QLabel(this);
    appIcon_->setObjectName(QStringLiteral("appIcon"));
    row->addWidget(appIcon_);
    row->addWidget(panelWidgets::makeLabel(QStringLiteral("萤川"), QStringLiteral("productName"),
                                           Theme::textStyle(TextStyle::headline), this));
    latinName_ =
        panelWidgets::makeLabel(QStringLiteral("Nimbrook"), QStringLiteral("productLatinName"),
                                Theme::textStyle(TextStyle::caption), this);
    row->addWidget(latinName_);
    row->addStretch(1);
    itemCount_ = panelWidgets::makeLabel(QString(), QStringLiteral("itemCount"),
                                         Theme::textStyle(TextStyle::caption2), this);
    row->addWidget(itemCount_);
    row->addWidget(buildPausedLabel());

    settingsButton_ = panelWidgets::makeIconButton(QStringLiteral("settingsButton"),
                                                   QStringLiteral("设置"), this);
    settingsButton_->setToolTip(QStringLiteral("设置 (Ctrl+,)"));
    connect(settingsButton_, &QToolButton::clicked, this, &PanelHeader::settingsClicked);
    row->addWidget(settingsButton_);

    clearAllButton_ = panelWidgets::makeIconButton(QStringLiteral("clearAllButton"),
                                                   QStringLiteral("清空全部记录"), this);
    connect(clearAllButton_, &QToolButton::clicked, this, &PanelHeader::clearAllClicked);
    row->addWidget(clearAllButton_);
}

QWidget* PanelHeader::buildPausedLabel() {
    pausedLabel_ = new QWidget(this);
    pausedLabel_->setObjectName(QStringLiteral("pausedLabel"));
    auto* paused = new QHBoxLayout(pausedLabel_);
    paused->setContentsMargins(0, 0, 0, 0);
    paused->setSpacing(3);
    pausedIcon_ = new QLabel(pausedLabel_);
    paused->addWidget(pausedIcon_);
    paused->addWidget(panelWidgets::makeLabel(QStringLiteral("已暂停"),
                                              QStringLiteral("pausedText"),
                                              Theme::textStyle(TextStyle::caption2), pausedLabel_));
    return pausedLabel_;
}

void PanelHeader::applyTheme(const Theme& theme) {
    const QColor primary = theme.color(NamedColor::primaryLabel);
    const QColor secondary = theme.color(NamedColor::secondaryLabel);
    const QColor orange = theme.color(NamedColor::orange);
    appIcon_->setPixmap(SymbolIcons::pixmap(u"doc.on.clipboard.fill", headerIconSize,
                                            theme.color(NamedColor::accent), devicePixelRatioF()));
    panelWidgets::setForeground(latinName_, secondary);
    panelWidgets::setForeground(itemCount_, theme.color(NamedColor::tertiaryLabel));
    panelWidgets::setForeground(pausedLabel_, orange);
    pausedIcon_->setPixmap(SymbolIcons::pixmap(u"pause.circle", panelWidgets::smallIconSize, orange,
                                               devicePixelRatioF()));
    for (QToolButton* button : {settingsButton_, clearAllButton_}) {
        button->setStyleSheet(
            panelWidgets::iconButtonStyle(QString(), theme.color(NamedColor::accent)));
    }
    settingsButton_->setIcon(SymbolIcons::icon(u"gearshape", secondary, primary));
    clearAllButton_->setIcon(SymbolIcons::icon(u"trash", secondary, primary));
}

void PanelHeader::showCount(std::size_t count) {
    itemCount_->setText(QString::number(count));
    clearAllButton_->setEnabled(count > 0);
}

void PanelHeader::showPaused(bool paused) {
    pausedLabel_->setVisible(paused);
}

}  // namespace nimbrook
