#include "ui/SettingsView.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QVBoxLayout>
#include <array>
#include <cstdint>

#include "controller/ClipboardViewModel.h"
#include "model/HistoryLimit.h"
#include "platform/qt/GlobalShortcut.h"
#include "ui/IgnoredAppsSection.h"
#include "ui/Preferences.h"
#include "ui/ShortcutField.h"
#include "ui/Theme.h"
#include "ui/ToggleSwitch.h"

namespace nimbrook {

namespace {

constexpr int formWidth = 380;
constexpr int formHeight = 280;
constexpr int formMargin = 12;
constexpr int rowHeight = 28;
constexpr int rowInset = 12;
constexpr int shortcutFieldWidth = 130;

// The inset rounded group behind the rows of one section.
class GroupBox final : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        const Theme theme = Theme::current();
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(theme.color(NamedColor::separator), 1));
        painter.setBrush(theme.color(NamedColor::regularMaterial));
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
        // A hairline between rows, inset like the row labels.
        const QList<QWidget*> rows = findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        for (qsizetype i = 1; i < rows.size(); ++i) {
            const qreal y = rows[i]->geometry().top() + 0.5;
            painter.drawLine(QPointF(rowInset, y), QPointF(width() - rowInset, y));
        }
    }
};

QString entries(std::size_t count) {
    return QString::number(count) + u" 条";
}

// In decimal units, as the desktop's file managers count: "999 B", "1.0 KB", "12.4 MB".
QString byteSize(std::uint64_t bytes) {
    if (bytes < 1000) {
        return QString::number(bytes) + u" B";
    }
    static constexpr std::array units{u"KB", u"MB", u"GB", u"TB"};
    double value = static_cast<double>(bytes) / 1000;
    std::size_t unit = 0;
    // 999.95 would read "1000.0" at one decimal.
    for (; value >= 999.95 && unit + 1 < units.size(); ++unit) {
        value /= 1000;
    }
    return QString::number(value, 'f', 1) + u' ' + QStringView(units[unit]);
}

void setTextColor(QLabel& label, const QColor& color) {
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, color);
    label.setPalette(palette);
}

}  // namespace

SettingsView::SettingsView(ClipboardViewModel& viewModel, Preferences& preferences,
                           GlobalShortcut* shortcut, QWidget* parent)
    : QWidget(parent), viewModel_(viewModel), preferences_(preferences), shortcut_(shortcut) {
    setObjectName(QStringLiteral("settingsView"));
    setWindowTitle(QStringLiteral("设置"));
    setFont(Theme::textStyle(TextStyle::body));

    monitoringToggle_ = new ToggleSwitch;
    monitoringToggle_->setObjectName(QStringLiteral("monitoringToggle"));
    monitoringToggle_->setAccessibleName(QStringLiteral("启用剪贴板监控"));
    // The switch shows the controller's state, never the value the click left on it.
    connect(monitoringToggle_, &ToggleSwitch::clicked, this, [this] {
        viewModel_.toggleMonitoring();
        showMonitoring();
    });

    auto* loginStartToggle = new ToggleSwitch;
    loginStartToggle->setObjectName(QStringLiteral("loginStartToggle"));
    loginStartToggle->setAccessibleName(QStringLiteral("登录时启动"));
    loginStartToggle->setChecked(preferences_.startsAtLogin());
    // The switch shows the autostart entry as written, so a failed write leaves it as it was.
    connect(loginStartToggle, &ToggleSwitch::clicked, this, [this, loginStartToggle](bool checked) {
        preferences_.setStartsAtLogin(checked);
        loginStartToggle->setChecked(preferences_.startsAtLogin());
    });

    auto* pasteToggle = new ToggleSwitch;
    pasteToggle->setObjectName(QStringLiteral("pasteOnSelectToggle"));
    pasteToggle->setAccessibleName(QStringLiteral("选择后直接粘贴"));
    pasteToggle->setChecked(preferences_.pastesOnSelect());
    connect(pasteToggle, &ToggleSwitch::clicked, this, [this, pasteToggle](bool checked) {
        preferences_.setPastesOnSelect(checked);
        pasteToggle->setChecked(preferences_.pastesOnSelect());
    });

    countValue_ = valueLabel(QStringLiteral("countValue"), {});
    imageSizeValue_ = valueLabel(QStringLiteral("imageSizeValue"), {});

    auto* form = new QVBoxLayout;
    form->setContentsMargins(formMargin, formMargin, formMargin, formMargin);
    form->setSpacing(0);
    addSection(*form, QStringLiteral("generalSection"), QStringLiteral("通用设置"),
               {valueRow(QStringLiteral("启用剪贴板监控"), monitoringToggle_),
                valueRow(QStringLiteral("登录时启动"), loginStartToggle), shortcutRow(),
                valueRow(QStringLiteral("选择后直接粘贴"), pasteToggle)});
    addSection(*form, QStringLiteral("storageSection"), QStringLiteral("存储"),
               {valueRow(QStringLiteral("历史记录上限"),
                         valueLabel(QStringLiteral("limitValue"), entries(historyLimit))),
                valueRow(QStringLiteral("当前记录"), countValue_),
                valueRow(QStringLiteral("图片占用"), imageSizeValue_)});
    ignoredApps_ = new IgnoredAppsSection(viewModel_);
    secondaryLabels_.append(ignoredApps_->secondaryLabels());
    addSection(*form, QStringLiteral("privacySection"), QStringLiteral("不记录的应用"),
               {ignoredApps_});
    addSection(*form, QStringLiteral("aboutSection"), QStringLiteral("关于"),
               {valueRow(QStringLiteral("应用名称"), valueLabel(QStringLiteral("appNameValue"),
                                                                QStringLiteral("萤川 Nimbrook"))),
                valueRow(QStringLiteral("版本"), valueLabel(QStringLiteral("versionValue"),
                                                            QStringLiteral(NIMBROOK_VERSION))),
                valueRow(QStringLiteral("开发者"),
                         valueLabel(QStringLiteral("developerValue"), QStringLiteral("Quolla")))});

    // The window is the designed frame, or as much larger as its rows need (a desktop's
    // Chinese fonts may be taller, more settings may come), and the user cannot resize it.
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSizeConstraint(QLayout::SetFixedSize);
    auto* frame = new QWidget;
    frame->setMinimumSize(formWidth, formHeight);
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->setContentsMargins(0, 0, 0, 0);
    frameLayout->addStretch();
    frameLayout->addLayout(form);
    frameLayout->addStretch();
    outer->addWidget(frame);

    applyThemeColors();
    showMonitoring();
    showCount();
    showImageSize();
    viewModel_.addObserver(*this);
}

SettingsView::~SettingsView() {
    // A recording ends while this window can still take the old chord again.
    shortcutField_->clearFocus();
    viewModel_.removeObserver(*this);
}

void SettingsView::changeEvent(QEvent* event) {
    // Only the children's palettes change here, so this cannot recurse.
    if (event->type() == QEvent::PaletteChange) {
        applyThemeColors();
    }
    QWidget::changeEvent(event);
}

void SettingsView::itemsInserted(std::size_t, std::size_t) {
    showCount();
}
void SettingsView::itemsRemoved(std::size_t, std::size_t) {
    showCount();
}
void SettingsView::itemReplaced(std::size_t) {
    showCount();
}
void SettingsView::itemsReset() {
    showCount();
}
void SettingsView::monitoringChanged() {
    showMonitoring();
}
void SettingsView::ignoredApplicationsChanged() {
    ignoredApps_->refresh();
}
void SettingsView::imageFilesChanged() {
    showImageSize();
}

void SettingsView::addSection(QVBoxLayout& layout, const QString& objectName, const QString& title,
                              const QList<QWidget*>& rows) {
    auto* heading = new QLabel(title);
    heading->setObjectName(objectName + u"Title");
    heading->setFont(Theme::textStyle(TextStyle::caption));
    heading->setContentsMargins(4, layout.count() == 0 ? 0 : 8, 0, 3);
    sectionTitles_.append(heading);
    layout.addWidget(heading);

    auto* group = new GroupBox;
    group->setObjectName(objectName);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->setContentsMargins(0, 0, 0, 0);
    groupLayout->setSpacing(0);
    for (QWidget* row : rows) {
        groupLayout->addWidget(row);
    }
    layout.addWidget(group);
}

QWidget* SettingsView::valueRow(const QString& label, QWidget* value) {
    auto* row = new QWidget;
    row->setFixedHeight(rowHeight);
    auto* rowLayout = new QHBoxLayout(row);
    rowLayout->setContentsMargins(rowInset, 0, rowInset, 0);
    rowLayout->addWidget(new QLabel(label));
    rowLayout->addStretch();
    rowLayout->addWidget(value);
    return row;
}

QLabel* SettingsView::valueLabel(const QString& objectName, const QString& text) {
    auto* label = new QLabel(text);
    label->setObjectName(objectName);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    secondaryLabels_.append(label);
    return label;
}

QWidget* SettingsView::shortcutRow() {
    shortcutField_ = new ShortcutField;
    shortcutField_->setObjectName(QStringLiteral("shortcutEdit"));
    shortcutField_->setAccessibleName(QStringLiteral("打开面板快捷键"));
    shortcutField_->setFixedWidth(shortcutFieldWidth);
    shortcutStatus_ = new QLabel;
    shortcutStatus_->setObjectName(QStringLiteral("shortcutStatus"));
    shortcutStatus_->setFont(Theme::textStyle(TextStyle::caption));
    shortcutStatus_->setWordWrap(true);
    shortcutStatus_->setContentsMargins(rowInset, 0, rowInset, rowInset / 2);

    auto* row = new QWidget;
    auto* column = new QVBoxLayout(row);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(valueRow(QStringLiteral("打开面板快捷键"), shortcutField_));
    column->addWidget(shortcutStatus_);

    if (shortcut_ == nullptr) {
        shortcutField_->setEnabled(false);
        shortcutStatus_->setText(QStringLiteral("请在桌面的快捷键设置中绑定 nimbrook --toggle"));
        return row;
    }
    shortcutField_->setChord(shortcut_->sequence());
    showShortcutState();
    // Held meanwhile, the chord would open the panel rather than reach the field.
    connect(shortcutField_, &ShortcutField::recordingStarted, this, [this] {
        shortcut_->setSequence({});
        showShortcutState();
    });
    connect(shortcutField_, &ShortcutField::chordChosen, this, &SettingsView::chooseShortcut);
    return row;
}

void SettingsView::chooseShortcut(const QKeySequence& chord) {
    shortcut_->setSequence(chord);
    // Only a new chord is written: a cancelled recording keeps an unsaved default unsaved.
    if (chord != preferences_.panelShortcut()) {
        preferences_.setPanelShortcut(chord);
    }
    showShortcutState();
}

void SettingsView::showShortcutState() {
    switch (shortcut_->state()) {
        case GlobalShortcut::State::taken:
            shortcutStatus_->setText(QStringLiteral("快捷键已被占用"));
            break;
        case GlobalShortcut::State::unsupported:
            shortcutStatus_->setText(QStringLiteral("此按键不能用作快捷键"));
            break;
        case GlobalShortcut::State::off:
        case GlobalShortcut::State::active:
            shortcutStatus_->clear();
            break;
    }
    shortcutStatus_->setVisible(!shortcutStatus_->text().isEmpty());
}

void SettingsView::applyThemeColors() {
    const Theme theme(Theme::appearanceOf(palette()));
    for (QLabel* label : secondaryLabels_) {
        setTextColor(*label, theme.color(NamedColor::secondaryLabel));
    }
    for (QLabel* title : sectionTitles_) {
        setTextColor(*title, theme.color(NamedColor::secondaryLabel));
    }
    setTextColor(*shortcutStatus_, theme.color(NamedColor::orange));
    setTextColor(*ignoredApps_->note(), theme.color(NamedColor::orange));
}

void SettingsView::showCount() {
    countValue_->setText(entries(viewModel_.items().size()));
}

// Summed on the work queue: a folder of hundreds of images is not listed on this thread.
void SettingsView::showImageSize() {
    viewModel_.measureImageFiles([view = QPointer(this)](std::uint64_t bytes) {
        if (view) {
            view->imageSizeValue_->setText(byteSize(bytes));
        }
    });
}

void SettingsView::showMonitoring() {
    monitoringToggle_->setChecked(viewModel_.isMonitoring());
}

}  // namespace nimbrook
