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
#include <QStackedWidget>
#include <QTest>
#include <chrono>
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

}  // namespace nimbrook

QTEST_MAIN(nimbrook::ClipboardHistoryViewTest)
#include "ClipboardHistoryViewTest.moc"
