#include "ui/ClearConfirmOverlay.h"

#include <QFrame>
#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/Theme.h"

namespace nimbrook {

namespace {

constexpr int cardPadding = 20;
constexpr int cardSpacing = 12;
constexpr int buttonSpacing = 16;
constexpr int cardRadius = 12;
constexpr qreal shadowBlur = 8;
constexpr qreal dimmingOpacity = 0.25;

QPushButton* makeButton(const QString& text, const QString& name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    // The overlay keeps the focus, so Escape and Return always reach it.
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

}  // namespace

ClearConfirmOverlay::ClearConfirmOverlay(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("clearConfirmOverlay"));
    setFocusPolicy(Qt::StrongFocus);
    hide();

    card_ = new QFrame(this);
    card_->setObjectName(QStringLiteral("clearConfirmCard"));
    auto* shadow = new QGraphicsDropShadowEffect(card_);
    shadow->setBlurRadius(shadowBlur * 2);
    shadow->setOffset(0, 0);
    card_->setGraphicsEffect(shadow);

    question_ = new QLabel(card_);
    question_->setObjectName(QStringLiteral("clearConfirmText"));
    question_->setFont(Theme::textStyle(TextStyle::subheadline));
    question_->setAlignment(Qt::AlignCenter);

    auto* cancelButton =
        makeButton(QStringLiteral("取消"), QStringLiteral("cancelClearButton"), card_);
    auto* confirmButton =
        makeButton(QStringLiteral("清空"), QStringLiteral("confirmClearButton"), card_);
    confirmButton->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(buttonSpacing);
    buttons->addWidget(cancelButton);
    buttons->addWidget(confirmButton);

    auto* column = new QVBoxLayout(card_);
    column->setContentsMargins(cardPadding, cardPadding, cardPadding, cardPadding);
    column->setSpacing(cardSpacing);
    column->addWidget(question_, 0, Qt::AlignHCenter);
    column->addLayout(buttons);
    column->setSizeConstraint(QLayout::SetFixedSize);

    connect(cancelButton, &QPushButton::clicked, this, &ClearConfirmOverlay::cancel);
    connect(confirmButton, &QPushButton::clicked, this, &ClearConfirmOverlay::confirm);
    applyTheme();
}

void ClearConfirmOverlay::open(std::size_t keptPinned) {
    question_->setText(
        keptPinned == 0
            ? QStringLiteral("确认清空所有剪贴板记录？")
            : QStringLiteral("确认清空所有剪贴板记录？置顶的 %1 条会保留。").arg(keptPinned));
    if (parentWidget() != nullptr) {
        setGeometry(parentWidget()->rect());
    }
    card_->adjustSize();
    card_->move((width() - card_->width()) / 2, (height() - card_->height()) / 2);
    show();
    raise();
    setFocus(Qt::OtherFocusReason);
}

void ClearConfirmOverlay::confirm() {
    hide();
    emit confirmed();
}

void ClearConfirmOverlay::cancel() {
    hide();
    emit cancelled();
}

void ClearConfirmOverlay::applyTheme() {
    const Theme theme = Theme::current();
    const QColor surface = theme.color(NamedColor::regularMaterial);
    const QColor text = theme.color(NamedColor::primaryLabel);
    const QColor destructive = theme.color(NamedColor::red);
    card_->setStyleSheet(QStringLiteral("#clearConfirmCard { background-color: %1; border-radius: "
                                        "%2px; } #clearConfirmText { color: %3; } "
                                        "#confirmClearButton { color: %4; }")
                             .arg(surface.name(QColor::HexArgb))
                             .arg(cardRadius)
                             .arg(text.name(QColor::HexArgb), destructive.name(QColor::HexArgb)));
    if (auto* shadow = qobject_cast<QGraphicsDropShadowEffect*>(card_->graphicsEffect())) {
        shadow->setColor(theme.color(NamedColor::shadow));
    }
}

void ClearConfirmOverlay::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0, 0, 0, qRound(255 * dimmingOpacity)));
}

void ClearConfirmOverlay::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (!card_->geometry().contains(event->position().toPoint())) {
        cancel();
    }
}

void ClearConfirmOverlay::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
            cancel();
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            confirm();
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    event->accept();
}

bool ClearConfirmOverlay::focusNextPrevChild(bool) {
    // Tab must not move the focus to the controls hidden under the dimming layer.
    return true;
}

bool ClearConfirmOverlay::event(QEvent* event) {
    if (event->type() == QEvent::ApplicationPaletteChange) {
        applyTheme();
    }
    return QWidget::event(event);
}

}  // namespace nimbrook
