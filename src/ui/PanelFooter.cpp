#include "ui/PanelFooter.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

#include "ui/PanelWidgets.h"
#include "ui/SymbolIcons.h"
#include "ui/Theme.h"

namespace nimbrook {

PanelFooter::PanelFooter(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("footer"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(panelWidgets::sidePadding, 6, panelWidgets::sidePadding, 6);

    monitoringSwitch_ =
        panelWidgets::makeIconButton(QStringLiteral("monitoringSwitch"), QString(), this);
    monitoringSwitch_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    monitoringSwitch_->setFont(Theme::textStyle(TextStyle::caption2));
    connect(monitoringSwitch_, &QToolButton::clicked, this, &PanelFooter::monitoringSwitchClicked);
    row->addWidget(monitoringSwitch_);
    saveWarning_ = panelWidgets::makeLabel(QStringLiteral("未保存"), QStringLiteral("saveWarning"),
                                           Theme::textStyle(TextStyle::caption2), this);
    row->addWidget(saveWarning_);
    row->addStretch(1);
    hint_ = panelWidgets::makeLabel(QStringLiteral("点击条目即可复制"), QStringLiteral("hintText"),
                                    Theme::textStyle(TextStyle::caption2), this);
    row->addWidget(hint_);
}

void PanelFooter::applyTheme(const Theme& theme) {
    panelWidgets::setBackground(this, theme.color(NamedColor::barMaterial));
    panelWidgets::setForeground(hint_, theme.color(NamedColor::tertiaryLabel));
    panelWidgets::setForeground(saveWarning_, theme.color(NamedColor::orange));
}

void PanelFooter::showMonitoring(bool monitoring, const Theme& theme) {
    const QColor color = theme.color(monitoring ? NamedColor::green : NamedColor::orange);
    monitoringSwitch_->setIcon(SymbolIcons::icon(monitoring ? u"record.circle" : u"pause.circle",
                                                 color, color.lighter(125)));
    monitoringSwitch_->setText(monitoring ? QStringLiteral("监控中") : QStringLiteral("已暂停"));
    monitoringSwitch_->setAccessibleName(u"剪贴板监控，" + monitoringSwitch_->text());
    const QColor accent = theme.color(NamedColor::accent);
    monitoringSwitch_->setStyleSheet(
        panelWidgets::iconButtonStyle(
            QStringLiteral(" color: %1;")
                .arg(theme.color(NamedColor::primaryLabel).name(QColor::HexArgb)),
            accent) +
        QStringLiteral(" QToolButton:hover { color: %1; }").arg(accent.name(QColor::HexArgb)));
}

void PanelFooter::showSaveError(const std::optional<QString>& reason) {
    saveWarning_->setVisible(reason.has_value());
    saveWarning_->setToolTip(reason ? QStringLiteral("历史记录未能保存：") + *reason : QString());
}

}  // namespace nimbrook
