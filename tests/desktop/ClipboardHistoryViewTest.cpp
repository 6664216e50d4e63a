#include <QAbstractButton>
#include <QAbstractItemModelTester>
#include <QApplication>
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
#include <memory>
#include <string>

#include "ControllerHarness.h"
#include "ui/ClipboardHistoryView.h"
#include "ui/ClipboardItemRow.h"
#include "ui/HistoryListModel.h"
#include "ui/ToastOverlay.h"

namespace nimbrook {

class ClipboardHistoryViewTest final : public QObject {
    Q_OBJECT

private slots:
    void emptyStateText_data();
    void emptyStateText();
    void countAndClearButtonFollowAllEntries();
    void monitoringShowsInHeaderAndFooter();
    void searchFieldAndItsClearButton();
    void clearAllConfirmation_data();
    void clearAllConfirmation();
    void hoverControlsPerType_data();
    void hoverControlsPerType();
    void controlsAreDrawnOnlyWhileHovered();
    void clickCopiesAndHighlights();
    void clickOnRowAreas_data();
    void clickOnRowAreas();
    void hostileEntriesArePainted_data();
    void hostileEntriesArePainted();
    void conversionShowsTheToast();
    void toastLiesAboveTheConfirmation_data();
    void toastLiesAboveTheConfirmation();
    void settingsAreRequestedByButtonAndShortcut();
};

namespace {

using std::chrono::milliseconds;

// A shown panel over a real controller.
struct Panel {
    ControllerHarness harness;
    std::unique_ptr<ClipboardHistoryView> view;

    void open() {
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
    // QTest::mouseMove does not reach a widget under the offscreen platform, so the move
    // is sent as the window system would deliver it.
    void hover(int row) const {
        const QPoint position = rowRect(row).center();
        QMouseEvent move(QEvent::MouseMove, position, viewport()->mapToGlobal(position),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(viewport(), &move);
    }
    QString labelText(const char* name) const { return find<QLabel>(name)->text(); }
    bool showsEmptyState() const {
        return find<QStackedWidget>("listContent")->currentWidget() == find<QWidget>("emptyState");
    }
};

QImage grabArea(QWidget* widget, const QRect& area) {
    return widget->grab(area).toImage();
}

}  // namespace

void ClipboardHistoryViewTest::emptyStateText_data() {
    QTest::addColumn<QStringList>("copies");
    QTest::addColumn<QString>("search");
    QTest::addColumn<bool>("empty");
    QTest::addColumn<QString>("text");

    QTest::newRow("no entries, no search")
        << QStringList{} << QString() << true << QStringLiteral("复制内容后将自动记录");
    QTest::newRow("entries without a match")
        << QStringList{QStringLiteral("abc")} << QStringLiteral("xyz") << true
        << QStringLiteral("未找到匹配项");
    QTest::newRow("no entries with a search")
        << QStringList{} << QStringLiteral("a") << true << QStringLiteral("未找到匹配项");
    QTest::newRow("entries with a match")
        << QStringList{QStringLiteral("abc")} << QStringLiteral("b") << false << QString();
}

void ClipboardHistoryViewTest::emptyStateText() {
    QFETCH(QStringList, copies);
    QFETCH(QString, search);
    QFETCH(bool, empty);
    QFETCH(QString, text);

    Panel panel;
    panel.open();
    for (const QString& copy : copies) {
        panel.harness.copy(copy.toStdString());
    }
    QTest::keyClicks(panel.find<QLineEdit>("searchField"), search);

    QCOMPARE(panel.harness.viewModel.searchText(), search.toStdString());
    QCOMPARE(panel.showsEmptyState(), empty);
    if (empty) {
        QCOMPARE(panel.labelText("emptyStateText"), text);
    }
    QCOMPARE(panel.labelText("itemCount"), QString::number(copies.size()));
}

void ClipboardHistoryViewTest::countAndClearButtonFollowAllEntries() {
    Panel panel;
    panel.open();
    auto* clearAll = panel.find<QAbstractButton>("clearAllButton");
    QCOMPARE(panel.labelText("itemCount"), QStringLiteral("0"));
    QVERIFY(!clearAll->isEnabled());

    for (int index = 0; index < 1234; ++index) {
        panel.harness.copy("entry " + std::to_string(index));
    }
    QCOMPARE(panel.labelText("itemCount"), QStringLiteral("500"));

    panel.harness.viewModel.setSearchText("no such entry");
    QCOMPARE(panel.labelText("itemCount"), QStringLiteral("500"));
    QVERIFY(clearAll->isEnabled());
}

void ClipboardHistoryViewTest::monitoringShowsInHeaderAndFooter() {
    Panel panel;
    panel.open();
    auto* paused = panel.find<QWidget>("pausedLabel");
    auto* toggle = panel.find<QAbstractButton>("monitoringSwitch");
    QVERIFY(paused->isHidden());
    QCOMPARE(toggle->text(), QStringLiteral("监控中"));

    QTest::mouseClick(toggle, Qt::LeftButton);
    QVERIFY(!panel.harness.viewModel.isMonitoring());
    QVERIFY(paused->isVisible());
    QCOMPARE(panel.labelText("pausedText"), QStringLiteral("已暂停"));
    QCOMPARE(toggle->text(), QStringLiteral("已暂停"));

    panel.harness.viewModel.toggleMonitoring();
    QVERIFY(paused->isHidden());
    QCOMPARE(toggle->text(), QStringLiteral("监控中"));
}

void ClipboardHistoryViewTest::searchFieldAndItsClearButton() {
    Panel panel;
    panel.open();
    for (const char* text : {"alpha", "beta", "gamma"}) {
        panel.harness.copy(text);
    }
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
    QTest::newRow("clear button confirms") << QStringLiteral("confirmButton") << true;
    QTest::newRow("Escape cancels") << QStringLiteral("escape") << false;
    QTest::newRow("cancel button cancels") << QStringLiteral("cancelButton") << false;
    QTest::newRow("dimming layer cancels") << QStringLiteral("dimming") << false;
    QTest::newRow("click on the card does nothing") << QStringLiteral("card") << false;
}

void ClipboardHistoryViewTest::clearAllConfirmation() {
    QFETCH(QString, answer);
    QFETCH(bool, cleared);

    Panel panel;
    panel.open();
    panel.harness.copy("keep me");
    auto* overlay = panel.find<QWidget>("clearConfirmOverlay");
    QVERIFY(overlay->isHidden());

    QTest::mouseClick(panel.find<QAbstractButton>("clearAllButton"), Qt::LeftButton);
    QVERIFY(overlay->isVisible());
    QCOMPARE(overlay->geometry(), panel.view->rect());
    QVERIFY(overlay->hasFocus());
    QCOMPARE(panel.find<QLabel>("clearConfirmText")->text(),
             QStringLiteral("确认清空所有剪贴板记录？"));
    QCOMPARE(panel.find<QAbstractButton>("cancelClearButton")->text(), QStringLiteral("取消"));
    QCOMPARE(panel.find<QAbstractButton>("confirmClearButton")->text(), QStringLiteral("清空"));

    if (answer == u"return") {
        QTest::keyClick(overlay, Qt::Key_Return);
    } else if (answer == u"escape") {
        QTest::keyClick(overlay, Qt::Key_Escape);
    } else if (answer == u"confirmButton") {
        QTest::mouseClick(panel.find<QAbstractButton>("confirmClearButton"), Qt::LeftButton);
    } else if (answer == u"cancelButton") {
        QTest::mouseClick(panel.find<QAbstractButton>("cancelClearButton"), Qt::LeftButton);
    } else if (answer == u"dimming") {
        QTest::mouseClick(overlay, Qt::LeftButton, {}, QPoint(5, 5));
    } else {
        auto* card = panel.find<QWidget>("clearConfirmCard");
        QTest::mouseClick(overlay, Qt::LeftButton, {}, card->geometry().topLeft() + QPoint(3, 3));
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
    panel.open();
    if (png.isEmpty()) {
        panel.harness.copy(text.toStdString());
    } else {
        panel.harness.pasteboard.copy({.png = png.toStdString()});
        panel.harness.clock.advance(milliseconds(500));
    }
    QCOMPARE(panel.list()->model()->rowCount(), 1);
    const ContentType type = panel.harness.viewModel.items().front().contentType();
    const QRect row = panel.rowRect(0).adjusted(0, 0, 0, -1);
    const QRect menuButton = ClipboardItemRow::menuButtonRect(row, type);
    QCOMPARE(menuButton.isNull(), menu.isEmpty());
    panel.hover(0);

    if (!menu.isEmpty()) {
        QTest::mouseClick(panel.viewport(), Qt::LeftButton, {}, menuButton.center());
        auto* shown = panel.find<QMenu>("conversionMenu");
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

void ClipboardHistoryViewTest::controlsAreDrawnOnlyWhileHovered() {
    Panel panel;
    panel.open();
    panel.harness.copy("first");
    panel.harness.copy("second");
    const QRect controls =
        ClipboardItemRow::deleteButtonRect(panel.rowRect(0))
            .united(ClipboardItemRow::menuButtonRect(panel.rowRect(0), ContentType::plainText));
    const QImage before = grabArea(panel.viewport(), controls);

    panel.hover(0);
    QVERIFY(grabArea(panel.viewport(), controls) != before);

    panel.hover(1);
    QCOMPARE(grabArea(panel.viewport(), controls), before);
}

void ClipboardHistoryViewTest::clickCopiesAndHighlights() {
    Panel panel;
    panel.open();
    for (const char* text : {"older", "newer"}) {
        panel.harness.copy(text);
    }
    auto* model = panel.list()->model();
    panel.hover(1);
    const QImage hovered = grabArea(panel.viewport(), panel.rowRect(1));

    QTest::mouseClick(panel.viewport(), Qt::LeftButton, {}, panel.rowRect(1).center());

    QCOMPARE(panel.harness.pasteboard.writeCount(), 1);
    QCOMPARE(panel.harness.pasteboard.string(), std::optional<std::string>("older"));
    QVERIFY(model->index(1, 0).data(HistoryListModel::CopiedRole).toBool());
    QVERIFY(grabArea(panel.viewport(), panel.rowRect(1)) != hovered);
    QCOMPARE(panel.harness.viewModel.items().size(), 2u);

    panel.harness.clock.advance(milliseconds(800));
    QVERIFY(!model->index(1, 0).data(HistoryListModel::CopiedRole).toBool());
    QCOMPARE(grabArea(panel.viewport(), panel.rowRect(1)), hovered);
}

void ClipboardHistoryViewTest::clickOnRowAreas_data() {
    QTest::addColumn<bool>("hovered");
    QTest::addColumn<QString>("area");
    QTest::addColumn<QString>("effect");

    QTest::newRow("delete button removes without copying")
        << true << QStringLiteral("delete") << QStringLiteral("removed");
    QTest::newRow("menu button opens the menu only")
        << true << QStringLiteral("menu") << QStringLiteral("menu");
    QTest::newRow("text area copies") << true << QStringLiteral("text") << QStringLiteral("copied");
    QTest::newRow("undrawn delete button copies")
        << false << QStringLiteral("delete") << QStringLiteral("copied");
    QTest::newRow("undrawn menu button copies")
        << false << QStringLiteral("menu") << QStringLiteral("copied");
}

void ClipboardHistoryViewTest::clickOnRowAreas() {
    QFETCH(bool, hovered);
    QFETCH(QString, area);
    QFETCH(QString, effect);

    Panel panel;
    panel.open();
    for (const char* text : {"stay", "target"}) {
        panel.harness.copy(text);
    }
    // Without a move onto it, the row under a click shows no controls: entries moved
    // under a resting pointer.
    panel.hover(hovered ? 0 : 1);
    const QRect row = panel.rowRect(0);
    const QPoint position =
        area == u"delete" ? ClipboardItemRow::deleteButtonRect(row).center()
        : area == u"menu" ? ClipboardItemRow::menuButtonRect(row, ContentType::plainText).center()
                          : row.topLeft() + QPoint(60, 12);
    QTest::mouseClick(panel.viewport(), Qt::LeftButton, {}, position);

    const auto& items = panel.harness.viewModel.items();
    QCOMPARE(items.size(), effect == u"removed" ? 1u : 2u);
    QCOMPARE(items.front().content(), std::string(effect == u"removed" ? "stay" : "target"));
    QCOMPARE(panel.harness.pasteboard.writeCount(), effect == u"copied" ? 1 : 0);
    QCOMPARE(panel.harness.viewModel.copiedFlash().has_value(), effect == u"copied");
    QCOMPARE(panel.find<QMenu>("conversionMenu") != nullptr, effect == u"menu");
    QCOMPARE(panel.labelText("itemCount"), QString::number(items.size()));
}

void ClipboardHistoryViewTest::hostileEntriesArePainted_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("source");

    QTest::newRow("eight megabytes on one line") << QByteArray(8 << 20, 'x') << QByteArray("App");
    QTest::newRow("a hundred thousand short lines")
        << QByteArray("line\n").repeated(100000) << QByteArray();
    QTest::newRow("combining marks without end")
        << QByteArray("a") + QByteArray("\xcc\x81").repeated(300000) << QByteArray();
    QTest::newRow("invalid utf-8 and nul bytes")
        << QByteArray("\xff\xfe\x00\xc3(\xed\xa0\x80 bad", 12) << QByteArray("\xff\xfe", 2);
    QTest::newRow("right to left and controls")
        << QByteArray("\u202e\u05e9\u05dc\u05d5\u05dd\u200f\x1b[31m\t\r") << QByteArray("\u202e");
    QTest::newRow("a megabyte of application name")
        << QByteArray("short") << QByteArray(1 << 20, 'N');
}

void ClipboardHistoryViewTest::hostileEntriesArePainted() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, source);

    Panel panel;
    panel.open();
    panel.harness.activeApplication.setFrontmostName(
        source.isNull() ? std::nullopt : std::optional(source.toStdString()));
    panel.harness.copy(text.toStdString());
    QCOMPARE(panel.list()->model()->rowCount(), 1);

    panel.hover(0);
    const QRect row = panel.rowRect(0);
    QVERIFY(row.height() > 0 && row.height() < 120);
    QVERIFY(!grabArea(panel.viewport(), row).isNull());
    QTest::mouseClick(panel.viewport(), Qt::LeftButton, {}, row.topLeft() + QPoint(60, 12));
    QCOMPARE(panel.harness.pasteboard.writeCount(), 1);
}

void ClipboardHistoryViewTest::conversionShowsTheToast() {
    Panel panel;
    panel.open();
    panel.harness.copy("{\"a\": 1}");
    auto* toast = panel.find<ToastOverlay>("toast");
    QVERIFY(toast->isHidden());

    panel.hover(0);
    QTest::mouseClick(
        panel.viewport(), Qt::LeftButton, {},
        ClipboardItemRow::menuButtonRect(panel.rowRect(0), ContentType::json).center());
    auto* menu = panel.find<QMenu>("conversionMenu");
    QVERIFY(menu != nullptr);
    menu->actions().at(1)->trigger();

    QCOMPARE(panel.harness.pasteboard.string(), std::optional<std::string>("{\"a\":1}"));
    QVERIFY(toast->isVisible());
    QCOMPARE(toast->message(), QStringLiteral("已转换并复制"));

    panel.harness.viewModel.copyConverted(panel.harness.viewModel.items().front(),
                                          SmartConverter::Conversion::minifyJSON);
    QCOMPARE(toast->message(), QStringLiteral("转换无变化"));
    QVERIFY(toast->isShowing());

    panel.harness.clock.advance(milliseconds(1500));
    QVERIFY(!toast->isShowing());
    QTRY_VERIFY(toast->isHidden());
}

void ClipboardHistoryViewTest::toastLiesAboveTheConfirmation_data() {
    QTest::addColumn<bool>("toastFirst");
    QTest::newRow("toast raised before the confirmation opens") << true;
    QTest::newRow("toast raised while the confirmation is open") << false;
}

void ClipboardHistoryViewTest::toastLiesAboveTheConfirmation() {
    QFETCH(bool, toastFirst);
    Panel panel;
    panel.open();
    panel.harness.copy("{\"a\": 1}");
    const auto raiseToast = [&panel] {
        panel.harness.viewModel.copyConverted(panel.harness.viewModel.items().front(),
                                              SmartConverter::Conversion::minifyJSON);
    };
    const auto openConfirmation = [&panel] {
        QTest::mouseClick(panel.find<QAbstractButton>("clearAllButton"), Qt::LeftButton);
    };
    if (toastFirst) {
        raiseToast();
        openConfirmation();
    } else {
        openConfirmation();
        raiseToast();
    }

    auto* toast = panel.find<QWidget>("toast");
    auto* overlay = panel.find<QWidget>("clearConfirmOverlay");
    QVERIFY(toast->isVisible() && overlay->isVisible());
    const QObjectList stack = panel.view->children();
    QVERIFY(stack.indexOf(toast) > stack.indexOf(overlay));
}

void ClipboardHistoryViewTest::settingsAreRequestedByButtonAndShortcut() {
    Panel panel;
    panel.open();
    panel.view->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(panel.view.get()));
    QSignalSpy requested(panel.view.get(), &ClipboardHistoryView::settingsRequested);
    auto* gear = panel.find<QAbstractButton>("settingsButton");
    QCOMPARE(gear->toolTip(), QStringLiteral("设置 (Ctrl+,)"));

    QTest::mouseClick(gear, Qt::LeftButton);
    QTest::keyClick(panel.view.get(), Qt::Key_Comma, Qt::ControlModifier);

    QCOMPARE(requested.size(), 2);
}

}  // namespace nimbrook

QTEST_MAIN(nimbrook::ClipboardHistoryViewTest)
#include "ClipboardHistoryViewTest.moc"
