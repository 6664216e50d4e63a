#include "ui/ToastOverlay.h"

#include <QEasingCurve>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QVariantAnimation>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "ui/SymbolIcons.h"
#include "ui/Theme.h"

namespace nimbrook {

namespace {

constexpr int topOffset = 8;
constexpr int horizontalPadding = 12;
constexpr int verticalPadding = 6;
constexpr int spacing = 6;
constexpr qreal iconSize = 14;
constexpr qreal textSize = 12;
constexpr int shadowMargin = 4;
constexpr qreal shadowOpacity = 0.33;
constexpr int animationMilliseconds = 500;

// A critically-near spring (response 0.3 s, damping fraction 0.825) sampled over the
// animation's 0.5 s: it settles within a thousandth by the end.
qreal springCurve(qreal progress) {
    constexpr qreal response = 0.3;
    constexpr qreal damping = 0.825;
    constexpr qreal seconds = animationMilliseconds / 1000.0;
    const qreal omega = 2 * std::numbers::pi / response;
    const qreal dampedOmega = omega * std::sqrt(1 - damping * damping);
    const qreal t = progress * seconds;
    const qreal decay = std::exp(-damping * omega * t);
    const qreal value = 1 - decay * (std::cos(dampedOmega * t) +
                                     damping * omega / dampedOmega * std::sin(dampedOmega * t));
    return progress >= 1 ? 1 : value;
}

QFont messageFont() {
    return Theme::systemFont(textSize, QFont::Medium);
}

}  // namespace

ToastOverlay::ToastOverlay(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("toast"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    hide();

    animation_ = new QVariantAnimation(this);
    animation_->setDuration(animationMilliseconds);
    QEasingCurve curve;
    curve.setCustomType(&springCurve);
    animation_->setEasingCurve(curve);
    connect(animation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        progress_ = value.toReal();
        update();
    });
    connect(animation_, &QVariantAnimation::finished, this, [this] {
        if (!isShowing_) {
            hide();
        }
    });
}

QSize ToastOverlay::capsuleSize() const {
    const QFontMetricsF metrics(messageFont());
    const qreal contentWidth = iconSize + spacing + metrics.horizontalAdvance(message_);
    const qreal contentHeight = std::max(iconSize, metrics.height());
    return QSize(qCeil(contentWidth) + 2 * horizontalPadding,
                 qCeil(contentHeight) + 2 * verticalPadding);
}

void ToastOverlay::placeAtTop() {
    const int parentWidth = parentWidget() != nullptr ? parentWidget()->width() : width();
    const QSize capsule = capsuleSize();
    setGeometry(0, 0, parentWidth, topOffset + capsule.height() + shadowMargin);
}

void ToastOverlay::animateTo(qreal target) {
    animation_->stop();
    animation_->setStartValue(progress_);
    animation_->setEndValue(target);
    animation_->start();
}

void ToastOverlay::showMessage(const QString& message) {
    message_ = message;
    placeAtTop();
    show();
    raise();
    if (!isShowing_) {
        isShowing_ = true;
        animateTo(1.0);
    }
    update();
}

void ToastOverlay::dismiss() {
    if (!isShowing_) {
        return;
    }
    isShowing_ = false;
    animateTo(0.0);
}

void ToastOverlay::paintEvent(QPaintEvent*) {
    if (message_.isEmpty()) {
        return;
    }
    const Theme theme = Theme::current();
    const QSize size = capsuleSize();
    const qreal travel = topOffset + size.height() + shadowMargin;
    const qreal top = topOffset - travel * (1 - progress_);
    const QRectF capsule(QPointF((width() - size.width()) / 2.0, top), QSizeF(size));
    const qreal radius = capsule.height() / 2;

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(std::clamp(progress_, 0.0, 1.0));

    // A blur-4 shadow, approximated by rings of falling opacity around the capsule.
    painter.setPen(Qt::NoPen);
    for (int ring = shadowMargin; ring >= 1; --ring) {
        const qreal share = shadowOpacity / (shadowMargin + 1) * (shadowMargin + 1 - ring) / 2;
        painter.setBrush(QColor(0, 0, 0, qRound(255 * share)));
        const QRectF spread = capsule.adjusted(-ring, -ring, ring, ring);
        painter.drawRoundedRect(spread, radius + ring, radius + ring);
    }
    painter.setBrush(theme.color(NamedColor::regularMaterial));
    painter.drawRoundedRect(capsule, radius, radius);

    const QRectF icon(capsule.left() + horizontalPadding, capsule.center().y() - iconSize / 2,
                      iconSize, iconSize);
    SymbolIcons::paint(painter, icon, u"checkmark.circle.fill", iconSize,
                       theme.color(NamedColor::green));
    painter.setFont(messageFont());
    painter.setPen(theme.color(NamedColor::primaryLabel));
    const QRectF text(icon.right() + spacing, capsule.top(),
                      capsule.right() - horizontalPadding - icon.right() - spacing,
                      capsule.height());
    painter.drawText(text, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, message_);
}

}  // namespace nimbrook
