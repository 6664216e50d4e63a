#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QFontMetricsF>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "ControllerHarness.h"
#include "ui/ClipboardHistoryView.h"
#include "ui/ClipboardItemRow.h"
#include "ui/HistoryListModel.h"
#include "ui/ItemRowPainter.h"
#include "ui/ToastOverlay.h"

namespace nimbrook {

class ClipboardHistoryViewTest final : public QObject {
    Q_OBJECT

private slots:
    void emptyStateAndCount_data();
    void emptyStateAndCount();
    void monitoringShowsInHeaderAndFooter();
    void footerWarnsUntilASaveSucceeds();
    void searchFieldAndItsClearButton();
    void clearAllConfirmation_data();
    void clearAllConfirmation();
    void hoverControlsPerType_data();
    void hoverControlsPerType();
    void clickCopiesAndHighlights();
    void dragOnThePreviewSelects_data();
    void dragOnThePreviewSelects();
    void hoverReturnsWhenTheMenuCloses();
    void clickOnTheDeleteButton_data();
    void clickOnTheDeleteButton();
    void hostileEntriesArePainted_data();
    void hostileEntriesArePainted();
    void conversionShowsTheToastAboveAll();
    void keys_data();
    void keys();
};

namespace {

using std::chrono::milliseconds;

// A shown panel over a real controller.
struct Panel {
    ControllerHarness harness;
    std::unique_ptr<ClipboardHistoryView> view;

    explicit Panel(std::initializer_list<const char*> texts = {}) {
        for (const char* text : texts) {
            harness.copy(text);
        }
        view = std::make_unique<ClipboardHistoryView>(harness.viewModel);
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
    }
    template <typename T>
    T* find(const char* name) const {
        return view->findChild<T*>(QString::fromUtf8(name));
    }
    QListView* list() const { return find<QListView>("historyList"); }
    QWidget* viewport() const { return list()->viewport(); }
    QRect rowRect(int row) const { return list()->visualRect(list()->model()->index(row, 0)); }
    QImage grab(const QRect& area) const { return viewport()->grab(area).toImage(); }
    void click(const QPoint& position) const {
        QTest::mouseClick(viewport(), Qt::LeftButton, {}, position);
    }
    void clickButton(const char* name) const {
        QTest::mouseClick(find<QAbstractButton>(name), Qt::LeftButton);
    }
    // QTest::mouseMove does not reach a widget under the offscreen platform, so the move
    // is sent as the window system would deliver it.
    void move(const QPoint& position, Qt::MouseButtons buttons = Qt::NoButton) const {
        QMouseEvent event(QEvent::MouseMove, position, viewport()->mapToGlobal(position),
                          Qt::NoButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(viewport(), &event);
    }
    void hover(int row) const { move(rowRect(row).center()); }
    // The point of the first row's preview just before `column` of shown line `line`.
    QPoint textPoint(int line, int column) const {
        const ItemRowPainter painter;
        const QRect row = rowRect(0);
        const QStringList lines = PreviewLayout::lines(
            list()->model()->index(0, 0).data(HistoryListModel::PreviewRole).toString(),
            painter.previewFont(), ItemRowPainter::previewWidth(row.width()));
        const QRect area = painter.previewRect(row, lines.size());
        const qreal lineHeight = qreal(area.height()) / lines.size();
        const QString text = lines.value(line);
        const qreal x = QFontMetricsF(painter.previewFont()).horizontalAdvance(text.left(column));
        return QPoint(area.left() + qRound(x), area.top() + qRound((line + 0.5) * lineHeight));
    }
    QMenu* openMenu(int row, ContentType type) const {
        hover(row);
        click(ClipboardItemRow::menuButtonRect(rowRect(row).adjusted(0, 0, 0, -1), type).center());
        return find<QMenu>("conversionMenu");
    }
    QString labelText(const char* name) const { return find<QLabel>(name)->text(); }
    bool showsEmptyState() const {
        return find<QStackedWidget>("listContent")->currentWidget() == find<QWidget>("emptyState");
    }
};

}  // namespace

void ClipboardHistoryViewTest::emptyStateAndCount_data() {
    QTest::addColumn<int>("copies");
    QTest::addColumn<QString>("search");
    QTest::addColumn<bool>("unreadable");
    QTest::addColumn<QString>("emptyText");

    const QString noMatch = QStringLiteral("未找到匹配项");
    QTest::newRow("no entries, no search")
        << 0 << QString() << false << QStringLiteral("复制内容后将自动记录");
    QTest::newRow("no entries with a search") << 0 << QStringLiteral("a") << false << noMatch;
    QTest::newRow("entries without a match") << 3 << QStringLiteral("xyz") << false << noMatch;
    // The count is of all entries, not of the shown ones, and stops at the limit.
    QTest::newRow("past the limit") << 501 << QStringLiteral("entry 500") << false << QString();
    // A desktop whose clipboard nothing may read: copying would not fill the list.
    QTest::newRow("clipboard unreadable")
        << 0 << QString() << true << QStringLiteral("此桌面不允许读取剪贴板，不会记录新内容");
    QTest::newRow("clipboard unreadable, with a search")
        << 0 << QStringLiteral("a") << true << noMatch;
}

void ClipboardHistoryViewTest::emptyStateAndCount() {
    QFETCH(int, copies);
    QFETCH(QString, search);
    QFETCH(bool, unreadable);
    QFETCH(QString, emptyText);

    Panel panel;
    if (unreadable) {
        panel.view->setCaptureUnavailable();
    }
    for (int index = 0; index < copies; ++index) {
        panel.harness.copy("entry " + std::to_string(index));
    }
    QTest::keyClicks(panel.find<QLineEdit>("searchField"), search);

    QCOMPARE(panel.harness.viewModel.searchText(), search.toStdString());
    QCOMPARE(panel.showsEmptyState(), !emptyText.isEmpty());
    if (!emptyText.isEmpty()) {
        QCOMPARE(panel.labelText("emptyStateText"), emptyText);
    }
    QCOMPARE(panel.labelText("itemCount"), QString::number(std::min(copies, 500)));
    QCOMPARE(panel.find<QAbstractButton>("clearAllButton")->isEnabled(), copies > 0);
}

void ClipboardHistoryViewTest::monitoringShowsInHeaderAndFooter() {
    Panel panel;
    auto* paused = panel.find<QWidget>("pausedLabel");
    auto* toggle = panel.find<QAbstractButton>("monitoringSwitch");
    QVERIFY(paused->isHidden());
    QCOMPARE(toggle->text(), QStringLiteral("监控中"));

    QTest::mouseClick(toggle, Qt::LeftButton);
    QVERIFY(!panel.harness.viewModel.isMonitoring());
    QVERIFY(paused->isVisible());
    QCOMPARE(panel.labelText("pausedText"), QStringLiteral("已暂停"));
    QCOMPARE(toggle->text(), QStringLiteral("已暂停"));
}

void ClipboardHistoryViewTest::footerWarnsUntilASaveSucceeds() {
    Panel panel;
    const std::filesystem::path folder = panel.harness.folder.path().toStdString();
    // A file where the data folder belongs fails every save until it is removed.
    std::filesystem::remove_all(folder);
    std::ofstream(folder) << "not a folder";
    auto* warning = panel.find<QLabel>("saveWarning");
    QVERIFY(warning->isHidden());

    panel.harness.copy("A");
    panel.harness.clock.advance(milliseconds(1000));
    QVERIFY(warning->isVisible());
    QCOMPARE(warning->text(), QStringLiteral("未保存"));
    QVERIFY(warning->toolTip().contains(QStringLiteral("cannot create a file in")));
    QCOMPARE(panel.view->windowTitle(), QStringLiteral("萤川*"));

    std::filesystem::remove(folder);
    panel.harness.clock.advance(milliseconds(30000));
    QVERIFY(warning->isHidden());
    QCOMPARE(panel.view->windowTitle(), QStringLiteral("萤川"));
}

void ClipboardHistoryViewTest::searchFieldAndItsClearButton() {
    Panel panel{"alpha", "beta", "gamma"};
    auto* field = panel.find<QLineEdit>("searchField");
    auto* clear = panel.find<QAbstractButton>("clearSearchButton");
    QCOMPARE(field->placeholderText(), QStringLiteral("搜索剪贴板…"));
    QVERIFY(clear->isHidden());

    QTest::keyClicks(field, QStringLiteral("et"));
    QVERIFY(clear->isVisible());
    QCOMPARE(panel.list()->model()->rowCount(), 1);

    QTest::mouseClick(clear, Qt::LeftButton);
    QCOMPARE(panel.harness.viewModel.searchText(), std::string());
    QCOMPARE(field->text(), QString());
    QVERIFY(clear->isHidden());
    QCOMPARE(panel.list()->model()->rowCount(), 3);
}

void ClipboardHistoryViewTest::clearAllConfirmation_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("cleared");

    QTest::newRow("Return confirms") << QStringLiteral("return") << true;
    QTest::newRow("clear button confirms") << QStringLiteral("confirmClearButton") << true;
    QTest::newRow("Escape cancels") << QStringLiteral("escape") << false;
    QTest::newRow("dimming layer cancels") << QStringLiteral("dimming") << false;
    QTest::newRow("click on the card does nothing") << QStringLiteral("card") << false;
}

void ClipboardHistoryViewTest::clearAllConfirmation() {
    QFETCH(QString, answer);
    QFETCH(bool, cleared);

    Panel panel{"keep me"};
    auto* overlay = panel.find<QWidget>("clearConfirmOverlay");
    QVERIFY(overlay->isHidden());

    panel.clickButton("clearAllButton");
    QVERIFY(overlay->isVisible());
    QCOMPARE(overlay->geometry(), panel.view->rect());
    QVERIFY(overlay->hasFocus());
    QCOMPARE(panel.labelText("clearConfirmText"), QStringLiteral("确认清空所有剪贴板记录？"));
    QCOMPARE(panel.find<QAbstractButton>("cancelClearButton")->text(), QStringLiteral("取消"));
    QCOMPARE(panel.find<QAbstractButton>("confirmClearButton")->text(), QStringLiteral("清空"));

    if (answer == u"return" || answer == u"escape") {
        QTest::keyClick(overlay, answer == u"return" ? Qt::Key_Return : Qt::Key_Escape);
    } else if (answer == u"dimming" || answer == u"card") {
        const QPoint cardCorner = panel.find<QWidget>("clearConfirmCard")->geometry().topLeft();
        QTest::mouseClick(overlay, Qt::LeftButton, {},
                          answer == u"card" ? cardCorner + QPoint(3, 3) : QPoint(5, 5));
    } else {
        panel.clickButton(qPrintable(answer));
    }

    QCOMPARE(overlay->isVisible(), answer == u"card");
    QCOMPARE(panel.harness.viewModel.items().empty(), cleared);
    QCOMPARE(panel.showsEmptyState(), cleared);
    QCOMPARE(panel.labelText("itemCount"), cleared ? QStringLiteral("0") : QStringLiteral("1"));
    QCOMPARE(panel.find<QAbstractButton>("clearAllButton")->isEnabled(), !cleared);
}

void ClipboardHistoryViewTest::hoverControlsPerType_data() {
    QTest::addColumn<QByteArray>("png");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("menu");

    QTest::newRow("image has delete only") << QByteArray("\x89PNG") << QString() << QStringList{};
    QTest::newRow("markdown has one item")
        << QByteArray() << QStringLiteral("# Title\n\n- one\n- two")
        << QStringList{QStringLiteral("纯文本")};
    QTest::newRow("json has three in order")
        << QByteArray() << QStringLiteral("{\"a\": [1, 2]}")
        << QStringList{QStringLiteral("格式化 JSON"), QStringLiteral("压缩 JSON"),
                       QStringLiteral("纯文本")};
    QTest::newRow("url has link and plain text")
        << QByteArray() << QStringLiteral("https://example.com/path")
        << QStringList{QStringLiteral("URL → Markdown 链接"), QStringLiteral("纯文本")};
    QTest::newRow("plain text has three")
        << QByteArray() << QStringLiteral("just some words")
        << QStringList{QStringLiteral("包裹代码块"), QStringLiteral("HTML → Markdown"),
                       QStringLiteral("纯文本")};
}

void ClipboardHistoryViewTest::hoverControlsPerType() {
    QFETCH(QByteArray, png);
    QFETCH(QString, text);
    QFETCH(QStringList, menu);

    Panel panel;
    panel.harness.pasteboard.copy(png.isEmpty()
                                      ? InMemoryPasteboard::Offer{.text = text.toStdString()}
                                      : InMemoryPasteboard::Offer{.png = png.toStdString()});
    panel.harness.clock.advance(milliseconds(500));
    QCOMPARE(panel.list()->model()->rowCount(), 1);
    const ContentType type = panel.harness.viewModel.items().front().contentType();
    QCOMPARE(ClipboardItemRow::menuButtonRect(panel.rowRect(0), type).isNull(), menu.isEmpty());

    if (!menu.isEmpty()) {
        QMenu* shown = panel.openMenu(0, type);
        QVERIFY(shown != nullptr);
        QTRY_VERIFY(shown->isVisible());
        QStringList titles;
        for (const QAction* action : shown->actions()) {
            titles << action->text();
        }
        QCOMPARE(titles, menu);
        shown->close();
    }
    QCOMPARE(panel.harness.pasteboard.writeCount(), 0);
}

void ClipboardHistoryViewTest::clickCopiesAndHighlights() {
    Panel panel{"older", "newer"};
    auto* model = panel.list()->model();
    panel.hover(1);
    const QImage hovered = panel.grab(panel.rowRect(1));

    panel.click(panel.rowRect(1).center());

    QCOMPARE(panel.harness.pasteboard.writeCount(), 1);
    QCOMPARE(panel.harness.pasteboard.string(), std::optional<std::string>("older"));
    QVERIFY(model->index(1, 0).data(HistoryListModel::CopiedRole).toBool());
    QVERIFY(panel.grab(panel.rowRect(1)) != hovered);
    QCOMPARE(panel.harness.viewModel.items().size(), 2u);

    panel.harness.clock.advance(milliseconds(800));
    QVERIFY(!model->index(1, 0).data(HistoryListModel::CopiedRole).toBool());
    QCOMPARE(panel.grab(panel.rowRect(1)), hovered);

    // A second copy moves the highlight rather than adding one.
    panel.click(panel.rowRect(1).center());
    panel.click(panel.rowRect(0).center());
    QVERIFY(!model->index(1, 0).data(HistoryListModel::CopiedRole).toBool());
    QVERIFY(model->index(0, 0).data(HistoryListModel::CopiedRole).toBool());
}

void ClipboardHistoryViewTest::dragOnThePreviewSelects_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<QString>("selected");

    const QString words = QStringLiteral("alpha beta gamma");
    QTest::newRow("within a line") << words << QPoint(0, 6) << QPoint(0, 10) << "beta";
    QTest::newRow("backwards") << words << QPoint(0, 10) << QPoint(0, 6) << "beta";
    QTest::newRow("across a line break") << QStringLiteral("first line\nsecond line")
                                         << QPoint(0, 6) << QPoint(1, 6) << "line\nsecond";
    QTest::newRow("below the text takes it to its end")
        << QStringLiteral("short\ntext") << QPoint(0, 0) << QPoint(9, 0) << "short\ntext";
    QTest::newRow("the ellipsis of a cut preview is no text")
        << QStringLiteral("a\nb\nc\nd") << QPoint(0, 0) << QPoint(2, 9) << "a\nb\nc";
    // Without movement a press and release is a click, which copies the whole entry.
    QTest::newRow("no movement copies the row") << words << QPoint(0, 6) << QPoint(0, 6) << "";
}

void ClipboardHistoryViewTest::dragOnThePreviewSelects() {
    QFETCH(QString, text);
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(QString, selected);

    Panel panel{text.toUtf8().constData()};
    QGuiApplication::clipboard()->clear();
    const QPoint start = panel.textPoint(from.x(), from.y());
    const QPoint end = to.x() > 2 ? panel.rowRect(0).bottomLeft() + QPoint(200, -2)
                                  : panel.textPoint(to.x(), to.y());
    QTest::mousePress(panel.viewport(), Qt::LeftButton, {}, start);
    panel.move(start + (end - start) / 2, Qt::LeftButton);
    panel.move(end, Qt::LeftButton);
    QTest::mouseRelease(panel.viewport(), Qt::LeftButton, {}, end);
    QTest::keyClick(panel.find<QLineEdit>("searchField"), Qt::Key_C, Qt::ControlModifier);

    QCOMPARE(QGuiApplication::clipboard()->text(), selected);
    QCOMPARE(panel.harness.pasteboard.writeCount(), selected.isEmpty() ? 1 : 0);
}

void ClipboardHistoryViewTest::hoverReturnsWhenTheMenuCloses() {
    Panel panel{"plain words"};
    // The pointer rests on the row; its move is delivered now, not after the menu closed.
    QCursor::setPos(panel.viewport()->mapToGlobal(panel.rowRect(0).center()));
    QCoreApplication::processEvents();
    const QImage hovered = panel.grab(panel.rowRect(0));
    QMenu* menu = panel.openMenu(0, ContentType::plainText);
    QTRY_VERIFY(menu != nullptr && menu->isVisible());
    // The open menu takes the pointer from the row, as a window system does.
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(panel.viewport(), &leave);

    menu->close();
    QTRY_COMPARE(panel.grab(panel.rowRect(0)), hovered);
}

void ClipboardHistoryViewTest::clickOnTheDeleteButton_data() {
    QTest::addColumn<bool>("hovered");
    QTest::newRow("drawn button removes without copying") << true;
    // Without a move onto it, the row under a click shows no controls: entries moved
    // under a resting pointer.
    QTest::newRow("undrawn button copies") << false;
}

void ClipboardHistoryViewTest::clickOnTheDeleteButton() {
    QFETCH(bool, hovered);
    Panel panel{"stay", "target"};
    panel.hover(hovered ? 0 : 1);
    panel.click(ClipboardItemRow::deleteButtonRect(panel.rowRect(0)).center());

    const auto& items = panel.harness.viewModel.items();
    QCOMPARE(items.size(), hovered ? 1u : 2u);
    QCOMPARE(items.front().content(), std::string(hovered ? "stay" : "target"));
    QCOMPARE(panel.harness.pasteboard.writeCount(), hovered ? 0 : 1);
    QCOMPARE(panel.harness.viewModel.copiedFlash().has_value(), !hovered);
    QCOMPARE(panel.labelText("itemCount"), QString::number(items.size()));
}

void ClipboardHistoryViewTest::hostileEntriesArePainted_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("source");

    QTest::newRow("eight megabytes on one line") << QByteArray(8 << 20, 'x') << QByteArray("App");
    QTest::newRow("combining marks without end")
        << QByteArray("a") + QByteArray("\xcc\x81").repeated(300000) << QByteArray();
    QTest::newRow("invalid utf-8, nul, bidi and controls, a megabyte of application name")
        << QByteArray("\xff\xfe\x00\xc3(\xed\xa0\x80\u202e\u05e9\u05dc\u200f\x1b[31m\t\r", 25)
        << QByteArray("\xff\xfe\u202e", 5) + QByteArray(1 << 20, 'N');
}

void ClipboardHistoryViewTest::hostileEntriesArePainted() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, source);

    Panel panel;
    panel.harness.activeApplication.setFrontmostName(
        source.isNull() ? std::nullopt : std::optional(source.toStdString()));
    panel.harness.copy(text.toStdString());
    QCOMPARE(panel.list()->model()->rowCount(), 1);

    panel.hover(0);
    const QRect row = panel.rowRect(0);
    QVERIFY(row.height() > 0 && row.height() < 120);
    QVERIFY(!panel.grab(row).isNull());
    panel.click(row.topLeft() + QPoint(60, 12));
    QCOMPARE(panel.harness.pasteboard.writeCount(), 1);
}

void ClipboardHistoryViewTest::conversionShowsTheToastAboveAll() {
    Panel panel{"{\"a\": 1}"};
    auto* toast = panel.find<ToastOverlay>("toast");
    QVERIFY(toast->isHidden());

    QMenu* menu = panel.openMenu(0, ContentType::json);
    QVERIFY(menu != nullptr);
    menu->actions().at(1)->trigger();

    QCOMPARE(panel.harness.pasteboard.string(), std::optional<std::string>("{\"a\":1}"));
    QVERIFY(toast->isVisible());
    QCOMPARE(toast->message(), QStringLiteral("已转换并复制"));

    panel.harness.viewModel.copyConverted(panel.harness.viewModel.items().front(),
                                          SmartConverter::Conversion::minifyJSON);
    QCOMPARE(toast->message(), QStringLiteral("转换无变化"));
    QVERIFY(toast->isShowing());
    // The confirmation opens later, yet must not cover the toast.
    panel.clickButton("clearAllButton");
    const QObjectList stack = panel.view->children();
    QVERIFY(stack.indexOf(toast) > stack.indexOf(panel.find<QWidget>("clearConfirmOverlay")));

    panel.harness.clock.advance(milliseconds(1500));
    QVERIFY(!toast->isShowing());
    QTRY_VERIFY(toast->isHidden());
}

void ClipboardHistoryViewTest::keys_data() {
    QTest::addColumn<int>("older");
    QTest::addColumn<QString>("search");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QString>("after");

    // Rows, newest first: "gamma", "beta", a JSON text; `older` entries stand below them.
    const auto row = [](const char* name, int older, const char* search, const char* keys,
                        const char* after) {
        QTest::newRow(name) << older << QString::fromUtf8(search)
                            << QString::fromUtf8(keys).split(u' ', Qt::SkipEmptyParts)
                            << QString::fromUtf8(after);
    };
    row("opens with nothing selected", 0, "", "", "sel=- paste=- focus=searchField");
    row("first Down selects the newest", 0, "", "Down", "sel=0");
    row("Up stops at the newest", 0, "", "Down Down Up Up Up", "sel=0");
    row("Down stops at the oldest", 0, "", "Down Down Down Down", "sel=2");
    row("Ctrl+End, Ctrl+Home", 0, "", "Ctrl+End Ctrl+Home Down", "sel=1");
    row("Home and End stay in the field", 0, "", "Home End", "sel=-");
    row("Ctrl+End scrolls the oldest into view", 40, "", "Ctrl+End", "sel=42 shown=1");
    row("pages there and back", 40, "", "Ctrl+PgDown Ctrl+PgDown Ctrl+PgUp Ctrl+PgUp",
        "sel=0 shown=1");
    row("reopening clears the selection and scrolls up", 40, "", "Ctrl+End reopen", "sel=- top=0");
    row("Return copies the newest", 0, "", "Return", "paste=gamma flash=0 closed=0");
    row("Return copies the selected", 0, "", "Down Down Return", "paste=beta flash=1 sel=1");
    row("Enter of the keypad copies too", 0, "", "Down Num+Enter", "paste=gamma");
    row("Ctrl+Return copies and closes", 0, "", "Down Down Ctrl+Return", "paste=beta closed=1");
    row("Return on no match copies nothing", 0, "xyz", "Return Ctrl+Return", "paste=- closed=0");
    row("Down selects the newest match", 0, "et", "Down Return", "paste=beta sel=0");
    row("Shift+Del removes, the next takes its place", 0, "", "Down Down Shift+Del",
        "rows=2 sel=1 paste=-");
    row("Shift+Del without a selection removes nothing", 0, "", "Shift+Del", "rows=3");
    row("Alt+2 copies the second row", 0, "", "Alt+2", "paste=beta flash=1 sel=-");
    row("Alt+9 past the rows copies nothing", 0, "", "Alt+9", "paste=-");
    row("Escape clears the search first", 0, "et", "Esc", "search= rows=3 closed=0");
    row("Escape then closes", 0, "et", "Esc Esc", "closed=1");
    row("menu key opens the row's conversions", 0, "", "Ctrl+End Menu", "menu=格式化_JSON");
    row("Shift+F10 and the arrows pick a conversion", 0, "", "Ctrl+End Shift+F10 Down Return",
        "menu=- paste={\"a\":1} closed=0");
    row("Escape closes only the menu", 0, "et", "Down Menu Esc", "menu=- search=et closed=0");
    row("menu key without a selection leaves the rows", 0, "", "Menu", "menu=-");
    row("Tab skips the hidden clear button", 0, "", "Tab", "focus=monitoringSwitch");
    row("Tab reaches the header", 0, "", "Tab Tab Tab", "focus=clearAllButton");
    row("Shift+Tab goes back", 0, "et", "Shift+Tab", "focus=clearAllButton");
    row("Tab reaches the clear button of a search", 0, "et", "Tab Return",
        "search= rows=3 focus=searchField");
    row("Return and Space switch monitoring", 0, "", "Tab Return Space Return", "monitor=off");
    row("Escape from a button closes", 0, "", "Tab Esc", "closed=1");
}

void ClipboardHistoryViewTest::keys() {
    using namespace Qt::StringLiterals;
    QFETCH(int, older);
    QFETCH(QString, search);
    QFETCH(QStringList, keys);
    QFETCH(QString, after);

    Panel panel;
    for (int index = 0; index < older; ++index) {
        panel.harness.copy("older " + std::to_string(index));
    }
    for (const char* text : {"{\"a\": 1}", "beta", "gamma"}) {
        panel.harness.copy(text);
    }
    QVERIFY(QTest::qWaitForWindowActive(panel.view.get()));
    auto* field = panel.find<QLineEdit>("searchField");
    QTest::keyClicks(field, search);
    QSignalSpy closes(panel.view.get(), &ClipboardHistoryView::closeRequested);

    for (const QString& key : keys) {
        if (key == u"reopen") {
            panel.view->hide();
            panel.view->show();
            continue;
        }
        const QKeyCombination combination = QKeySequence::fromString(key)[0];
        QWidget* target = QApplication::activePopupWidget();
        target = target != nullptr ? target : QApplication::focusWidget();
        QTest::keyClick(target != nullptr ? target : field, combination.key(),
                        combination.keyboardModifiers());
    }

    auto* rows = panel.view->findChild<ClipboardItemRow*>();
    QMap<QString, QString> state;
    const QModelIndex selected = rows->selected();
    const auto* model = panel.list()->model();
    state[u"sel"_s] = selected.isValid() ? QString::number(selected.row()) : u"-"_s;
    state[u"shown"_s] =
        QString::number(panel.viewport()->rect().contains(panel.list()->visualRect(selected)));
    state[u"top"_s] = QString::number(panel.list()->indexAt(QPoint(1, 1)).row());
    state[u"flash"_s] = u"-"_s;
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->index(row, 0).data(HistoryListModel::CopiedRole).toBool()) {
            state[u"flash"_s] = QString::number(row);
        }
    }
    // What the panel wrote: the pasteboard holds the last copy of another program before.
    const auto pasted = panel.harness.pasteboard.string();
    state[u"paste"_s] = panel.harness.pasteboard.writeCount() > 0 && pasted
                            ? QString::fromStdString(*pasted)
                            : u"-"_s;
    state[u"search"_s] = QString::fromStdString(panel.harness.viewModel.searchText());
    state[u"rows"_s] = QString::number(model->rowCount());
    state[u"closed"_s] = QString::number(closes.size());
    const QMenu* menu = rows->openMenu();
    state[u"menu"_s] = menu != nullptr && menu->isVisible() && menu->activeAction() != nullptr
                           ? menu->activeAction()->text().replace(u' ', u'_')
                           : u"-"_s;
    const QWidget* focus = QApplication::focusWidget();
    state[u"focus"_s] = focus != nullptr ? focus->objectName() : u"-"_s;
    state[u"monitor"_s] = panel.harness.viewModel.isMonitoring() ? u"on"_s : u"off"_s;
    for (const QString& expected : after.split(u' ', Qt::SkipEmptyParts)) {
        const QString name = expected.section(u'=', 0, 0);
        QCOMPARE(name + u'=' + state.value(name, u"?"_s), expected);
    }
    if (QMenu* open = rows->openMenu()) {
        open->close();
    }
}

}  // namespace nimbrook

QTEST_MAIN(nimbrook::ClipboardHistoryViewTest)
#include "ClipboardHistoryViewTest.moc"
