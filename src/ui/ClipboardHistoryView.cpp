#include "ui/ClipboardHistoryView.h"

#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QScrollBar>
#include <QShortcut>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <chrono>

#include "controller/ClipboardViewModel.h"
#include "ui/ClearConfirmOverlay.h"
#include "ui/ClipboardItemRow.h"
#include "ui/HistoryListModel.h"
#include "ui/PanelKeyboard.h"
#include "ui/RowSelection.h"
#include "ui/SymbolIcons.h"
#include "ui/Theme.h"
#include "ui/ToastOverlay.h"

namespace nimbrook {

namespace {

constexpr int panelWidth = 400;
constexpr int panelHeight = 520;
constexpr int sidePadding = 14;
constexpr int smallIconSize = 12;
constexpr int headerIconSize = 16;
constexpr int emptyIconSize = 36;

QString toQString(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void setForeground(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::ButtonText, color);
    palette.setColor(QPalette::Text, color);
    widget->setPalette(palette);
}

void setBackground(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QLabel* makeLabel(const QString& text, const QString& name, const QFont& font, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setFont(font);
    return label;
}

// Borderless: the glyph is the button's whole look, and the pointer over it brightens the
// glyph instead of raising a bezel. Tab gives it an accent ring; a click never takes the
// focus from the search field.
QString iconButtonStyle(const QString& extra, const QColor& ring) {
    return QStringLiteral(
               "QToolButton { border: none; background: transparent; padding: 2px;%1 }"
               " QToolButton:focus { border: 2px solid %2; border-radius: 4px;"
               " padding: 0px; }")
        .arg(extra, ring.name(QColor::HexArgb));
}

QWidget* makeDivider(QWidget* parent) {
    auto* divider = new QWidget(parent);
    divider->setObjectName(QStringLiteral("divider"));
    divider->setFixedHeight(1);
    return divider;
}

}  // namespace

ClipboardHistoryView::ClipboardHistoryView(ClipboardViewModel& viewModel, QWidget* parent)
    : QWidget(parent), viewModel_(viewModel) {
    setObjectName(QStringLiteral("historyPanel"));
    setFixedSize(panelWidth, panelHeight);
    SymbolIcons::ensureFontLoaded();

    model_ = new HistoryListModel(viewModel_, this);
    rowDelegate_ = new ClipboardItemRow(viewModel_, this);

    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    stack->addWidget(buildHeader());
    stack->addWidget(makeDivider(this));
    stack->addWidget(buildSearchBar());
    stack->addWidget(makeDivider(this));
    stack->addWidget(buildListContent(), 1);
    stack->addWidget(buildFooter());

    clearConfirm_ = new ClearConfirmOverlay(this);
    connect(clearConfirm_, &ClearConfirmOverlay::confirmed, this,
            &ClipboardHistoryView::confirmClearAll);
    connect(clearConfirm_, &ClearConfirmOverlay::cancelled, this,
            [this] { searchField_->setFocus(Qt::OtherFocusReason); });
    toast_ = new ToastOverlay(this);

    auto* settingsShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma), this);
    connect(settingsShortcut, &QShortcut::activated, this,
            &ClipboardHistoryView::settingsRequested);

    // Header first, then the search bar and the footer, as they stand on screen.
    setTabOrder(settingsButton_, clearAllButton_);
    setTabOrder(clearAllButton_, searchField_);
    setTabOrder(searchField_, clearSearchButton_);
    setTabOrder(clearSearchButton_, monitoringSwitch_);

    minuteTimer_ = new QTimer(this);
    minuteTimer_->setInterval(std::chrono::minutes(1));
    connect(minuteTimer_, &QTimer::timeout, list_->viewport(), qOverload<>(&QWidget::update));

    applyTheme();
    refreshItems();
    refreshSearch();
    refreshMonitoring();
    refreshSaveWarning();
    toastMessageChanged();
    viewModel_.addObserver(*this);
}

ClipboardHistoryView::~ClipboardHistoryView() {
    viewModel_.removeObserver(*this);
}

QToolButton* ClipboardHistoryView::makeIconButton(const QString& name,
                                                  const QString& accessibleName, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setAccessibleName(accessibleName);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::TabFocus);
    button->setCursor(Qt::PointingHandCursor);
    button->setIconSize(QSize(smallIconSize + 2, smallIconSize + 2));
    button->installEventFilter(this);
    return button;
}

QWidget* ClipboardHistoryView::buildHeader() {
    auto* header = new QWidget(this);
    header->setObjectName(QStringLiteral("header"));
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(sidePadding, 10, sidePadding, 10);
    row->setSpacing(8);

    appIcon_ = new QLabel(header);
    appIcon_->setObjectName(QStringLiteral("appIcon"));
    row->addWidget(appIcon_);
    row->addWidget(makeLabel(QStringLiteral("萤川"), QStringLiteral("productName"),
                             Theme::textStyle(TextStyle::headline), header));
    row->addWidget(makeLabel(QStringLiteral("Nimbrook"), QStringLiteral("productLatinName"),
                             Theme::textStyle(TextStyle::caption), header));
    row->addStretch(1);
    itemCount_ = makeLabel(QString(), QStringLiteral("itemCount"),
                           Theme::textStyle(TextStyle::caption2), header);
    row->addWidget(itemCount_);

    pausedLabel_ = new QWidget(header);
    pausedLabel_->setObjectName(QStringLiteral("pausedLabel"));
    auto* paused = new QHBoxLayout(pausedLabel_);
    paused->setContentsMargins(0, 0, 0, 0);
    paused->setSpacing(3);
    pausedIcon_ = new QLabel(pausedLabel_);
    paused->addWidget(pausedIcon_);
    paused->addWidget(makeLabel(QStringLiteral("已暂停"), QStringLiteral("pausedText"),
                                Theme::textStyle(TextStyle::caption2), pausedLabel_));
    row->addWidget(pausedLabel_);

    settingsButton_ =
        makeIconButton(QStringLiteral("settingsButton"), QStringLiteral("设置"), header);
    settingsButton_->setToolTip(QStringLiteral("设置 (Ctrl+,)"));
    connect(settingsButton_, &QToolButton::clicked, this, &ClipboardHistoryView::settingsRequested);
    row->addWidget(settingsButton_);

    clearAllButton_ =
        makeIconButton(QStringLiteral("clearAllButton"), QStringLiteral("清空全部记录"), header);
    connect(clearAllButton_, &QToolButton::clicked, this, [this] {
        clearConfirm_->open();
        // A toast always lies above the confirmation.
        toast_->raise();
    });
    row->addWidget(clearAllButton_);
    return header;
}

QWidget* ClipboardHistoryView::buildSearchBar() {
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("searchBar"));
    auto* outer = new QHBoxLayout(bar);
    outer->setContentsMargins(sidePadding, 6, sidePadding, 6);

    auto* background = new QWidget(bar);
    background->setObjectName(QStringLiteral("searchBackground"));
    background->setAttribute(Qt::WA_StyledBackground);
    outer->addWidget(background);
    auto* row = new QHBoxLayout(background);
    row->setContentsMargins(7, 7, 7, 7);
    row->setSpacing(6);

    searchIcon_ = new QLabel(background);
    row->addWidget(searchIcon_);
    searchField_ = new QLineEdit(background);
    searchField_->setObjectName(QStringLiteral("searchField"));
    searchField_->setFrame(false);
    searchField_->setFont(Theme::systemFont(13));
    searchField_->setPlaceholderText(QStringLiteral("搜索剪贴板…"));
    searchField_->setAccessibleName(QStringLiteral("搜索剪贴板"));
    searchField_->installEventFilter(this);
    connect(searchField_, &QLineEdit::textEdited, this,
            [this](const QString& text) { viewModel_.setSearchText(text.toStdString()); });
    row->addWidget(searchField_, 1);

    clearSearchButton_ =
        makeIconButton(QStringLiteral("clearSearchButton"), QStringLiteral("清除搜索"), background);
    // Reached by Tab, the button hides as it is pressed; typing goes on in the field.
    connect(clearSearchButton_, &QToolButton::clicked, this, [this] {
        viewModel_.setSearchText(std::string());
        searchField_->setFocus(Qt::OtherFocusReason);
    });
    row->addWidget(clearSearchButton_);
    return bar;
}

QWidget* ClipboardHistoryView::buildListContent() {
    listContent_ = new QStackedWidget(this);
    listContent_->setObjectName(QStringLiteral("listContent"));

    list_ = new QListView(listContent_);
    list_->setObjectName(QStringLiteral("historyList"));
    list_->setAccessibleName(QStringLiteral("剪贴板历史"));
    list_->setModel(model_);
    list_->setItemDelegate(rowDelegate_);
    list_->setFrameShape(QFrame::NoFrame);
    list_->setSelectionMode(QAbstractItemView::NoSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setFocusPolicy(Qt::NoFocus);
    list_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    rowDelegate_->trackHover(*list_);
    selection_ = std::make_unique<RowSelection>(viewModel_, *model_, *list_, *rowDelegate_);
    list_->setResizeMode(QListView::Adjust);
    listContent_->addWidget(list_);

    emptyState_ = new QWidget(listContent_);
    emptyState_->setObjectName(QStringLiteral("emptyState"));
    auto* column = new QVBoxLayout(emptyState_);
    column->setSpacing(10);
    column->addStretch(1);
    emptyIcon_ = new QLabel(emptyState_);
    column->addWidget(emptyIcon_, 0, Qt::AlignHCenter);
    emptyText_ = makeLabel(QString(), QStringLiteral("emptyStateText"),
                           Theme::textStyle(TextStyle::subheadline), emptyState_);
    column->addWidget(emptyText_, 0, Qt::AlignHCenter);
    column->addStretch(1);
    listContent_->addWidget(emptyState_);
    return listContent_;
}

QWidget* ClipboardHistoryView::buildFooter() {
    auto* footer = new QWidget(this);
    footer->setObjectName(QStringLiteral("footer"));
    auto* row = new QHBoxLayout(footer);
    row->setContentsMargins(sidePadding, 6, sidePadding, 6);

    monitoringSwitch_ = makeIconButton(QStringLiteral("monitoringSwitch"), QString(), footer);
    monitoringSwitch_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    monitoringSwitch_->setFont(Theme::textStyle(TextStyle::caption2));
    connect(monitoringSwitch_, &QToolButton::clicked, this,
            [this] { viewModel_.toggleMonitoring(); });
    row->addWidget(monitoringSwitch_);
    saveWarning_ = makeLabel(QStringLiteral("未保存"), QStringLiteral("saveWarning"),
                             Theme::textStyle(TextStyle::caption2), footer);
    row->addWidget(saveWarning_);
    row->addStretch(1);
    row->addWidget(makeLabel(QStringLiteral("点击条目即可复制"), QStringLiteral("hintText"),
                             Theme::textStyle(TextStyle::caption2), footer));
    return footer;
}

void ClipboardHistoryView::applyTheme() {
    const Theme theme = Theme::current();
    const QColor secondary = theme.color(NamedColor::secondaryLabel);
    const QColor tertiary = theme.color(NamedColor::tertiaryLabel);
    setBackground(this, theme.color(NamedColor::windowBackground));
    setForeground(this, theme.color(NamedColor::primaryLabel));
    for (QWidget* divider : findChildren<QWidget*>(QStringLiteral("divider"))) {
        setBackground(divider, theme.color(NamedColor::separator));
    }
    appIcon_->setPixmap(SymbolIcons::pixmap(u"doc.on.clipboard.fill", headerIconSize,
                                            theme.color(NamedColor::accent), devicePixelRatioF()));
    setForeground(findChild<QLabel*>(QStringLiteral("productLatinName")), secondary);
    setForeground(itemCount_, tertiary);
    setForeground(pausedLabel_, theme.color(NamedColor::orange));
    pausedIcon_->setPixmap(SymbolIcons::pixmap(
        u"pause.circle", smallIconSize, theme.color(NamedColor::orange), devicePixelRatioF()));
    const QColor primary = theme.color(NamedColor::primaryLabel);
    const QColor ring = theme.color(NamedColor::accent);
    for (QToolButton* button : {settingsButton_, clearAllButton_, clearSearchButton_}) {
        button->setStyleSheet(iconButtonStyle(QString(), ring));
    }
    settingsButton_->setIcon(SymbolIcons::icon(u"gearshape", secondary, primary));
    clearAllButton_->setIcon(SymbolIcons::icon(u"trash", secondary, primary));

    auto* searchBackground = findChild<QWidget*>(QStringLiteral("searchBackground"));
    searchBackground->setStyleSheet(
        QStringLiteral("#searchBackground { background-color: %1; border-radius: 6px; }"
                       " QLineEdit { background: transparent; border: none; color: %2; }")
            .arg(theme.color(NamedColor::quaternaryLabel, 0.5).name(QColor::HexArgb),
                 theme.color(NamedColor::primaryLabel).name(QColor::HexArgb)));
    searchIcon_->setPixmap(
        SymbolIcons::pixmap(u"magnifyingglass", smallIconSize, secondary, devicePixelRatioF()));
    clearSearchButton_->setIcon(SymbolIcons::icon(u"xmark.circle.fill", secondary, primary));

    QPalette listPalette = list_->palette();
    listPalette.setColor(QPalette::Base, Qt::transparent);
    list_->setPalette(listPalette);
    // A thin rounded thumb on no track, without arrow buttons, in the label greys.
    list_->verticalScrollBar()->setStyleSheet(
        QStringLiteral("QScrollBar:vertical { background: transparent; width: 8px; margin: 2px;"
                       " border: none; }"
                       " QScrollBar::handle:vertical { background: %1; border-radius: 2px;"
                       " min-height: 24px; }"
                       " QScrollBar::handle:vertical:hover { background: %2; }"
                       " QScrollBar::add-line, QScrollBar::sub-line { height: 0; border: none; }"
                       " QScrollBar::add-page, QScrollBar::sub-page { background: none; }")
            .arg(tertiary.name(QColor::HexArgb), secondary.name(QColor::HexArgb)));
    emptyIcon_->setPixmap(SymbolIcons::pixmap(u"doc.on.clipboard", emptyIconSize,
                                              theme.color(NamedColor::quaternaryLabel),
                                              devicePixelRatioF()));
    setForeground(emptyText_, secondary);
    setBackground(findChild<QWidget*>(QStringLiteral("footer")),
                  theme.color(NamedColor::barMaterial));
    setForeground(findChild<QLabel*>(QStringLiteral("hintText")), tertiary);
    setForeground(saveWarning_, theme.color(NamedColor::orange));
    refreshMonitoring();
}

void ClipboardHistoryView::setCaptureUnavailable() {
    captureUnavailable_ = true;
    refreshItems();
}

void ClipboardHistoryView::refreshItems() {
    const bool hasItems = !viewModel_.items().empty();
    itemCount_->setText(QString::number(viewModel_.items().size()));
    clearAllButton_->setEnabled(hasItems);
    const bool empty = model_->rowCount() == 0;
    listContent_->setCurrentWidget(empty ? emptyState_ : static_cast<QWidget*>(list_));
    if (!viewModel_.searchText().empty()) {
        emptyText_->setText(QStringLiteral("未找到匹配项"));
    } else {
        emptyText_->setText(captureUnavailable_
                                ? QStringLiteral("此桌面不允许读取剪贴板，不会记录新内容")
                                : QStringLiteral("复制内容后将自动记录"));
    }
}

void ClipboardHistoryView::refreshSearch() {
    const QString text = toQString(viewModel_.searchText());
    if (searchField_->text() != text) {
        searchField_->setText(text);
    }
    clearSearchButton_->setVisible(!text.isEmpty());
    refreshItems();
}

void ClipboardHistoryView::refreshMonitoring() {
    const bool monitoring = viewModel_.isMonitoring();
    const Theme theme = Theme::current();
    pausedLabel_->setVisible(!monitoring);
    const QColor color = theme.color(monitoring ? NamedColor::green : NamedColor::orange);
    monitoringSwitch_->setIcon(SymbolIcons::icon(monitoring ? u"record.circle" : u"pause.circle",
                                                 color, color.lighter(125)));
    monitoringSwitch_->setText(monitoring ? QStringLiteral("监控中") : QStringLiteral("已暂停"));
    monitoringSwitch_->setAccessibleName(u"剪贴板监控，" + monitoringSwitch_->text());
    const QColor accent = theme.color(NamedColor::accent);
    monitoringSwitch_->setStyleSheet(
        iconButtonStyle(QStringLiteral(" color: %1;")
                            .arg(theme.color(NamedColor::primaryLabel).name(QColor::HexArgb)),
                        accent) +
        QStringLiteral(" QToolButton:hover { color: %1; }").arg(accent.name(QColor::HexArgb)));
}

void ClipboardHistoryView::refreshSaveWarning() {
    const auto& error = viewModel_.saveError();
    saveWarning_->setVisible(error.has_value());
    saveWarning_->setToolTip(error ? QStringLiteral("历史记录未能保存：") + toQString(*error)
                                   : QString());
    // Where the panel is an ordinary window its title says it too, as an editor marks a
    // document with unsaved changes.
    window()->setWindowTitle(error ? QStringLiteral("萤川*") : QStringLiteral("萤川"));
}

void ClipboardHistoryView::confirmClearAll() {
    viewModel_.clearAll();
    searchField_->setFocus(Qt::OtherFocusReason);
}

void ClipboardHistoryView::itemsInserted(std::size_t, std::size_t) {
    refreshItems();
}

void ClipboardHistoryView::itemsRemoved(std::size_t, std::size_t) {
    refreshItems();
}

void ClipboardHistoryView::itemReplaced(std::size_t) {}

void ClipboardHistoryView::itemsReset() {
    refreshItems();
}

void ClipboardHistoryView::searchTextChanged() {
    refreshSearch();
}

void ClipboardHistoryView::monitoringChanged() {
    refreshMonitoring();
}

void ClipboardHistoryView::saveErrorChanged() {
    refreshSaveWarning();
}

void ClipboardHistoryView::toastMessageChanged() {
    if (const auto& message = viewModel_.toastMessage()) {
        toast_->showMessage(toQString(*message));
    } else {
        toast_->dismiss();
    }
}

void ClipboardHistoryView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    selection_->reset();
    // The relative times are taken as each row is painted: a fresh paint makes them current.
    list_->viewport()->update();
    minuteTimer_->start();
    if (!clearConfirm_->isVisible()) {
        searchField_->setFocus(Qt::OtherFocusReason);
    }
}

void ClipboardHistoryView::hideEvent(QHideEvent* event) {
    minuteTimer_->stop();
    QWidget::hideEvent(event);
}

void ClipboardHistoryView::keyPressEvent(QKeyEvent* event) {
    // Keys that a focused button leaves alone (Escape, the arrows) come up to the panel.
    if (!handleKey(*event)) {
        QWidget::keyPressEvent(event);
    }
}

bool ClipboardHistoryView::handleKey(const QKeyEvent& event) {
    const PanelKey key = PanelKeyboard::actionFor(event.key(), event.modifiers());
    if (key == PanelKey::escape) {
        if (!viewModel_.searchText().empty()) {
            viewModel_.setSearchText(std::string());
        } else {
            emit closeRequested();
        }
        return true;
    }
    if (!selection_->act(key)) {
        return false;
    }
    if (key == PanelKey::copyAndClose && model_->rowCount() > 0) {
        emit closeRequested();
    }
    return true;
}

bool ClipboardHistoryView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        // Buttons reached by Tab take Return as well as Space.
        auto* button = qobject_cast<QToolButton*>(watched);
        const bool isReturn = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (button != nullptr && isReturn && key->modifiers() == Qt::NoModifier) {
            button->click();
            return true;
        }
        if (watched == searchField_ && handleKey(*key)) {
            return true;
        }
    }
    // The search field keeps the keyboard while text of a row is selected, so the copy keys
    // reach it first: they copy the row's selection unless the field has one of its own.
    const bool isKey =
        event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress;
    if (watched == searchField_ && isKey &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy) &&
        !searchField_->hasSelectedText()) {
        const QString selection = rowDelegate_->selectedText();
        if (!selection.isEmpty()) {
            if (event->type() == QEvent::KeyPress) {
                QGuiApplication::clipboard()->setText(selection);
            }
            event->accept();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool ClipboardHistoryView::event(QEvent* event) {
    if (event->type() == QEvent::ApplicationPaletteChange) {
        applyTheme();
        list_->viewport()->update();
    }
    return QWidget::event(event);
}

}  // namespace nimbrook
