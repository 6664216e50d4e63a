#include "ui/ClipboardHistoryView.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QListView>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <array>
#include <chrono>

#include "controller/ClipboardViewModel.h"
#include "ui/ClearConfirmOverlay.h"
#include "ui/ClipboardItemRow.h"
#include "ui/EmptyState.h"
#include "ui/EntryPreviewControl.h"
#include "ui/HistoryListContent.h"
#include "ui/HistoryListModel.h"
#include "ui/PanelFooter.h"
#include "ui/PanelHeader.h"
#include "ui/PanelKeyboard.h"
#include "ui/PanelWidgets.h"
#include "ui/RowSelection.h"
#include "ui/SearchBar.h"
#include "ui/SymbolIcons.h"
#include "ui/Theme.h"
#include "ui/ToastOverlay.h"

namespace nimbrook {

namespace {

constexpr int panelWidth = 400;
constexpr int panelHeight = 520;

QString toQString(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
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
    rowDelegate_ = new ClipboardItemRow(viewModel_, chooser_, this);
    buildParts();
    selection_ = std::make_unique<RowSelection>(viewModel_, chooser_, *model_,
                                                *listContent_->list(), *rowDelegate_);
    clearConfirm_ = new ClearConfirmOverlay(this);
    toast_ = new ToastOverlay(this);
    preview_ =
        new EntryPreviewControl(viewModel_.workQueue(), *model_, *listContent_->list(), *this);
    connectParts();
    setUpKeyboard();

    minuteTimer_ = new QTimer(this);
    minuteTimer_->setInterval(std::chrono::minutes(1));
    connect(minuteTimer_, &QTimer::timeout, this, &ClipboardHistoryView::refreshTimes);

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

void ClipboardHistoryView::buildParts() {
    header_ = new PanelHeader(this);
    searchBar_ = new SearchBar(this);
    listContent_ = new HistoryListContent(*model_, *rowDelegate_, this);
    footer_ = new PanelFooter(this);

    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    stack->addWidget(header_);
    stack->addWidget(makeDivider(this));
    stack->addWidget(searchBar_);
    stack->addWidget(makeDivider(this));
    stack->addWidget(listContent_, 1);
    stack->addWidget(footer_);
}

void ClipboardHistoryView::connectParts() {
    connect(header_, &PanelHeader::settingsClicked, this, &ClipboardHistoryView::settingsRequested);
    connect(header_, &PanelHeader::clearAllClicked, this, [this] {
        clearConfirm_->open(viewModel_.pinnedCount());
        // A toast always lies above the confirmation.
        toast_->raise();
    });
    connect(searchBar_, &SearchBar::textEdited, this,
            [this](const QString& text) { viewModel_.setSearchText(text.toStdString()); });
    connect(searchBar_, &SearchBar::clearClicked, this,
            [this] { viewModel_.setSearchText(std::string()); });
    connect(footer_, &PanelFooter::monitoringSwitchClicked, this,
            [this] { viewModel_.toggleMonitoring(); });
    connect(clearConfirm_, &ClearConfirmOverlay::confirmed, this,
            &ClipboardHistoryView::confirmClearAll);
    connect(clearConfirm_, &ClearConfirmOverlay::cancelled, this,
            [this] { searchBar_->field()->setFocus(Qt::OtherFocusReason); });
}

void ClipboardHistoryView::setUpKeyboard() {
    auto* settingsShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma), this);
    connect(settingsShortcut, &QShortcut::activated, this,
            &ClipboardHistoryView::settingsRequested);

    // Header first, then the search bar and the footer, as they stand on screen. Their keys
    // pass through eventFilter, which gives the buttons Return and the field the list's keys.
    const std::array<QWidget*, 5> reachable{header_->settingsButton(), header_->clearAllButton(),
                                            searchBar_->field(), searchBar_->clearButton(),
                                            footer_->monitoringSwitch()};
    for (QWidget* widget : reachable) {
        widget->installEventFilter(this);
    }
    for (std::size_t index = 1; index < reachable.size(); ++index) {
        setTabOrder(reachable[index - 1], reachable[index]);
    }
}

void ClipboardHistoryView::applyTheme() {
    const Theme theme = Theme::current();
    panelWidgets::setBackground(this, theme.color(NamedColor::windowBackground));
    panelWidgets::setForeground(this, theme.color(NamedColor::primaryLabel));
    for (QWidget* divider : findChildren<QWidget*>(QStringLiteral("divider"))) {
        panelWidgets::setBackground(divider, theme.color(NamedColor::separator));
    }
    header_->applyTheme(theme);
    searchBar_->applyTheme(theme);
    listContent_->applyTheme(theme);
    footer_->applyTheme(theme);
    refreshMonitoring();
}

void ClipboardHistoryView::setCaptureUnavailable() {
    captureUnavailable_ = true;
    refreshItems();
}

void ClipboardHistoryView::refreshItems() {
    header_->showCount(viewModel_.items().size());
    listContent_->showEmptyState(model_->rowCount() == 0);
    EmptyState* emptyState = listContent_->emptyState();
    if (!viewModel_.searchText().empty()) {
        emptyState->setText(QStringLiteral("未找到匹配项"));
    } else {
        emptyState->setText(captureUnavailable_
                                ? QStringLiteral("此桌面不允许读取剪贴板，不会记录新内容")
                                : QStringLiteral("复制内容后将自动记录"));
    }
}

void ClipboardHistoryView::refreshSearch() {
    searchBar_->showText(toQString(viewModel_.searchText()));
    refreshItems();
}

void ClipboardHistoryView::refreshMonitoring() {
    const bool monitoring = viewModel_.isMonitoring();
    header_->showPaused(!monitoring);
    footer_->showMonitoring(monitoring, Theme::current());
}

void ClipboardHistoryView::refreshTimes() {
    model_->refreshNow();
    listContent_->list()->viewport()->update();
}

void ClipboardHistoryView::refreshSaveWarning() {
    const auto& error = viewModel_.saveError();
    footer_->showSaveError(error ? std::optional(toQString(*error)) : std::nullopt);
    // Where the panel is an ordinary window its title says it too, as an editor marks a
    // document with unsaved changes.
    window()->setWindowTitle(error ? QStringLiteral("萤川*") : QStringLiteral("萤川"));
}

void ClipboardHistoryView::confirmClearAll() {
    viewModel_.clearAll();
    searchBar_->field()->setFocus(Qt::OtherFocusReason);
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
    refreshTimes();
    minuteTimer_->start();
    if (!clearConfirm_->isVisible()) {
        searchBar_->field()->setFocus(Qt::OtherFocusReason);
    }
}

void ClipboardHistoryView::hideEvent(QHideEvent* event) {
    minuteTimer_->stop();
    preview_->close();
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
    if (key == PanelKey::preview) {
        togglePreview();
        return true;
    }
    if (key == PanelKey::escape && preview_->close()) {
        return true;
    }
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
    preview_->follow(rowDelegate_->selected());
    if (key == PanelKey::copyAndClose && model_->rowCount() > 0) {
        emit closeRequested();
    }
    return true;
}

void ClipboardHistoryView::togglePreview() {
    if (preview_->close()) {
        return;
    }
    if (!rowDelegate_->selected().isValid()) {
        selection_->act(PanelKey::first);
    }
    preview_->open(rowDelegate_->selected());
}

bool ClipboardHistoryView::openRowMenu(const QContextMenuEvent& event) {
    // X11 asks for the focused widget's context menu before it delivers the Menu key itself,
    // so the field's own menu would open first and take the key; with a row selected the key
    // means that row's menu, as Shift+F10 does. A right click keeps the field's menu.
    return event.reason() == QContextMenuEvent::Keyboard && selection_->act(PanelKey::openMenu);
}

bool ClipboardHistoryView::eventFilter(QObject* watched, QEvent* event) {
    const QLineEdit* field = searchBar_->field();
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        // Buttons reached by Tab take Return as well as Space.
        auto* button = qobject_cast<QToolButton*>(watched);
        const bool isReturn = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (button != nullptr && isReturn && key->modifiers() == Qt::NoModifier) {
            button->click();
            return true;
        }
        if (watched == field && handleKey(*key)) {
            return true;
        }
    }
    if (watched == field && event->type() == QEvent::ContextMenu &&
        openRowMenu(*static_cast<QContextMenuEvent*>(event))) {
        return true;
    }
    // The search field keeps the keyboard while text of a row is selected, so the copy keys
    // reach it first: they copy the row's selection unless the field has one of its own.
    const bool isKey =
        event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress;
    if (watched == field && isKey && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy) &&
        !field->hasSelectedText()) {
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
        listContent_->list()->viewport()->update();
    }
    return QWidget::event(event);
}

}  // namespace nimbrook
