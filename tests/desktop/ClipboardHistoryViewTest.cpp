#include <QAbstractButton>
#include <QAbstractItemModelTester>
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
    void hostileEntriesArePainted_data();
    void hostileEntriesArePainted();
    void stepsAndWhatTheyLeave_data();
    void stepsAndWhatTheyLeave();
};

namespace {

using namespace Qt::StringLiterals;
using std::chrono::milliseconds;

// A shown panel over a real controller, driven by the steps of a row of the table below,
// and what it then shows.
struct Panel {
    ControllerHarness harness;
    std::unique_ptr<ClipboardHistoryView> view =
        std::make_unique<ClipboardHistoryView>(harness.viewModel);
    QSignalSpy closes{view.get(), &ClipboardHistoryView::closeRequested};
    QAbstractItemModelTester tester{list()->model(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest};
    QRect snapped;
    QImage snapshot;
    QStringList changes;
    int numbered = 0;

    // Entries copied oldest first; "png" stands for an image.
    explicit Panel(const QStringList& entries = {}) {
        for (const QString& entry : entries) {
            if (entry == u"png") {
                harness.pasteboard.copy({.png = "\x89PNG"});
                harness.clock.advance(milliseconds(500));
            } else {
                harness.copy(entry.toStdString());
            }
        }
        QGuiApplication::clipboard()->clear();
        view->show();
        QVERIFY(QTest::qWaitForWindowActive(view.get()));
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
    // QTest::mouseMove does not reach a widget under the offscreen platform, so the move
    // is sent as the window system would deliver it.
    void move(const QPoint& position, Qt::MouseButtons buttons = Qt::NoButton) const {
        QMouseEvent event(QEvent::MouseMove, position, viewport()->mapToGlobal(position),
                          Qt::NoButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(viewport(), &event);
    }
    void hover(int row) const { move(rowRect(row).center()); }
    // The point of the first row's preview just before column "c" of shown line "l" given
    // as "l.c"; a line past the third is below the text.
    QPoint textPoint(const QString& at) const {
        const ItemRowPainter painter;
        const QRect row = rowRect(0);
        const int line = at.section(u'.', 0, 0).toInt();
        if (line > 2) {
            return row.bottomLeft() + QPoint(200, -2);
        }
        const QStringList lines = PreviewLayout::lines(
            list()->model()->index(0, 0).data(HistoryListModel::PreviewRole).toString(),
            painter.previewFont(), ItemRowPainter::previewWidth(row.width()));
        const QRect area = painter.previewRect(row, lines.size());
        const qreal lineHeight = qreal(area.height()) / lines.size();
        const QString text = lines.value(line).left(at.section(u'.', 1).toInt());
        const qreal x = QFontMetricsF(painter.previewFont()).horizontalAdvance(text);
        return QPoint(area.left() + qRound(x), area.top() + qRound((line + 0.5) * lineHeight));
    }
    QString labelText(const char* name) const { return find<QLabel>(name)->text(); }
    void step(const QString& step);
    void watch();
    void key(const QString& key) const;
    QMap<QString, QString> state() const;
    QString flashedRows() const;
    QString overlayState() const;
    QString toastState() const;
};

void Panel::step(const QString& step) {
    const QString verb = step.section(u':', 0, 0);
    const QString argument = step.section(u':', 1);
    const int row = argument.toInt();
    if (verb == u"type") {
        QTest::keyClicks(find<QLineEdit>("searchField"), argument);
    } else if (verb == u"more") {
        for (int index = 0; index < row; ++index) {
            harness.copy("entry " + std::to_string(numbered++));
        }
    } else if (verb == u"unreadable") {
        view->setCaptureUnavailable();
    } else if (verb == u"reopen") {
        view->hide();
        view->show();
    } else if (verb == u"press") {
        QTest::mouseClick(find<QAbstractButton>(qPrintable(argument)), Qt::LeftButton);
    } else if (verb == u"dim" || verb == u"card") {
        const QPoint card = find<QWidget>("clearConfirmCard")->geometry().topLeft();
        QTest::mouseClick(find<QWidget>("clearConfirmOverlay"), Qt::LeftButton, {},
                          verb == u"card" ? card + QPoint(3, 3) : QPoint(5, 5));
    } else if (verb == u"hover") {
        hover(row);
    } else if (verb == u"click") {
        click(rowRect(row).center());
    } else if (verb == u"delete") {
        click(ClipboardItemRow::deleteButtonRect(rowRect(row)).center());
    } else if (verb == u"menu") {
        hover(row);
        const auto type = ContentType(
            list()->model()->index(row, 0).data(HistoryListModel::ContentTypeRole).toInt());
        click(ClipboardItemRow::menuButtonRect(rowRect(row).adjusted(0, 0, 0, -1), type).center());
    } else if (verb == u"point") {
        // The pointer rests on the row; its move is delivered now, not later.
        QCursor::setPos(viewport()->mapToGlobal(rowRect(row).center()));
        QCoreApplication::processEvents();
    } else if (verb == u"leave") {
        // An open menu takes the pointer from the row, as a window system does.
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(viewport(), &leave);
    } else if (verb == u"snap") {
        snapped = rowRect(row);
        snapshot = grab(snapped);
    } else if (verb == u"jam") {
        // A file where the data folder belongs fails every save until it is removed.
        std::filesystem::remove_all(harness.folder.path().toStdString());
        std::ofstream(harness.folder.path().toStdString()) << "not a folder";
    } else if (verb == u"unjam") {
        std::filesystem::remove(harness.folder.path().toStdString());
    } else if (verb == u"watch") {
        watch();
    } else if (verb == u"wait") {
        harness.clock.advance(milliseconds(row));
    } else if (verb == u"drag") {
        const QPoint start = textPoint(argument.section(u'-', 0, 0));
        const QPoint end = textPoint(argument.section(u'-', 1));
        QTest::mousePress(viewport(), Qt::LeftButton, {}, start);
        move(start + (end - start) / 2, Qt::LeftButton);
        move(end, Qt::LeftButton);
        QTest::mouseRelease(viewport(), Qt::LeftButton, {}, end);
    } else {
        key(step);
    }
}

// Notes the list model's signals from now on: "+row" inserted, "-row" removed, "~row"
// changed, "reset".
void Panel::watch() {
    const auto* model = list()->model();
    const auto note = [this](QChar kind) {
        return [this, kind](const QModelIndex&, int first) {
            changes << kind + QString::number(first);
        };
    };
    QObject::connect(model, &QAbstractItemModel::rowsInserted, view.get(), note(u'+'));
    QObject::connect(model, &QAbstractItemModel::rowsRemoved, view.get(), note(u'-'));
    QObject::connect(
        model, &QAbstractItemModel::dataChanged, view.get(),
        [this](const QModelIndex& index) { changes << u'~' + QString::number(index.row()); });
    QObject::connect(model, &QAbstractItemModel::modelReset, view.get(),
                     [this] { changes << u"reset"_s; });
}

void Panel::key(const QString& key) const {
    const QKeyCombination combination = QKeySequence::fromString(key)[0];
    QWidget* target = QApplication::activePopupWidget();
    target = target != nullptr ? target : QApplication::focusWidget();
    QTest::keyClick(target != nullptr ? target : find<QLineEdit>("searchField"), combination.key(),
                    combination.keyboardModifiers());
}

QMap<QString, QString> Panel::state() const {
    const auto* rows = view->findChild<ClipboardItemRow*>();
    const QModelIndex selected = rows->selected();
    const auto* model = list()->model();
    const QMenu* menu = rows->openMenu();
    QStringList items;
    for (const QAction* action :
         menu != nullptr && menu->isVisible() ? menu->actions() : QList<QAction*>()) {
        items << action->text();
    }
    const auto pasted = harness.pasteboard.string();
    const QString search = QString::fromStdString(harness.viewModel.searchText());
    const QString field = find<QLineEdit>("searchField")->text();
    const bool empty =
        find<QStackedWidget>("listContent")->currentWidget() == find<QWidget>("emptyState");
    const QWidget* focus = QApplication::focusWidget();
    const auto* warning = find<QLabel>("saveWarning");
    return {
        {u"sel"_s, selected.isValid() ? QString::number(selected.row()) : u"-"_s},
        {u"shown"_s, QString::number(viewport()->rect().contains(list()->visualRect(selected)))},
        {u"top"_s, QString::number(list()->indexAt(QPoint(1, 1)).row())},
        {u"first"_s, model->index(0, 0).data(HistoryListModel::PreviewRole).toString()},
        {u"rows"_s, QString::number(model->rowCount())},
        {u"changes"_s, changes.join(u',')},
        {u"flash"_s, flashedRows()},
        // What the panel wrote: the pasteboard holds the last copy of another program before.
        {u"paste"_s,
         harness.pasteboard.writeCount() > 0 && pasted ? QString::fromStdString(*pasted) : u"-"_s},
        {u"clip"_s, QGuiApplication::clipboard()->text()},
        {u"search"_s, field == search ? search : u"field "_s + field},
        {u"hint"_s, find<QLineEdit>("searchField")->placeholderText()},
        {u"clearSearch"_s, QString::number(find<QWidget>("clearSearchButton")->isVisible())},
        {u"count"_s, labelText("itemCount")},
        {u"clearAll"_s, QString::number(find<QWidget>("clearAllButton")->isEnabled())},
        {u"empty"_s, empty ? labelText("emptyStateText") : u"-"_s},
        {u"closed"_s, QString::number(closes.size())},
        {u"menu"_s, !items.isEmpty() && menu->activeAction() != nullptr
                        ? menu->activeAction()->text()
                        : u"-"_s},
        {u"items"_s, items.isEmpty() ? u"-"_s : items.join(u'/')},
        {u"focus"_s, focus != nullptr ? focus->objectName() : u"-"_s},
        {u"monitor"_s,
         (harness.viewModel.isMonitoring() ? u"on,"_s : u"off,"_s) +
             find<QAbstractButton>("monitoringSwitch")->text() + u',' +
             (find<QWidget>("pausedLabel")->isVisible() ? labelText("pausedText") : u"-"_s)},
        {u"unsaved"_s, warning->isVisible()
                           ? warning->text() + u',' + warning->toolTip().section(u" in "_s, 0, 0)
                           : u"-"_s},
        {u"title"_s, view->windowTitle()},
        {u"overlay"_s, overlayState()},
        {u"toast"_s, toastState()},
        {u"same"_s, snapshot.isNull() ? u"-"_s : QString::number(grab(snapped) == snapshot)},
    };
}

QString Panel::flashedRows() const {
    QStringList flashed;
    const auto* model = list()->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->index(row, 0).data(HistoryListModel::CopiedRole).toBool()) {
            flashed << QString::number(row);
        }
    }
    return flashed.isEmpty() ? u"-"_s : flashed.join(u',');
}

QString Panel::overlayState() const {
    const auto* overlay = find<QWidget>("clearConfirmOverlay");
    if (!overlay->isVisible()) {
        return u"-"_s;
    }
    if (overlay->geometry() != view->rect()) {
        return u"misplaced"_s;
    }
    return labelText("clearConfirmText") + u'/' +
           find<QAbstractButton>("cancelClearButton")->text() + u'/' +
           find<QAbstractButton>("confirmClearButton")->text();
}

QString Panel::toastState() const {
    const auto* toast = find<ToastOverlay>("toast");
    if (!toast->isShowing()) {
        return toast->isHidden() ? u"-"_s : u"fading"_s;
    }
    // The confirmation may open later, yet must not cover the toast.
    const auto* overlay = find<QWidget>("clearConfirmOverlay");
    const QObjectList stack = view->children();
    const bool covered = overlay->isVisible() && stack.indexOf(toast) < stack.indexOf(overlay);
    return toast->message() + (covered ? u" covered"_s : QString());
}

}  // namespace

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

void ClipboardHistoryViewTest::stepsAndWhatTheyLeave_data() {
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("after");

    // Entries are split at '|'. Steps: a key, or "type:" text into the search field, "more:"
    // copies of numbered entries, "unreadable" clipboard, "reopen", "press:" a button, a
    // click on the "dim"ming layer or the "card" of the confirmation, "hover:", "click:",
    // "delete:" (its button), "menu:" (its button) or "snap:" (a picture of) a row, "point:"
    // the pointer at a row, the pointer's "leave", "wait:" milliseconds, and "drag:" over
    // the first row's preview from "line.column" to "line.column".
    const auto row = [](const char* name, const char* steps, const char* after,
                        const char* entries = "{\"a\": 1}|beta|gamma") {
        QTest::newRow(name) << QString::fromUtf8(entries).split(u'|', Qt::SkipEmptyParts)
                            << QString::fromUtf8(steps).split(u' ', Qt::SkipEmptyParts)
                            << QString::fromUtf8(after);
    };
    row("opens with nothing selected", "",
        "sel=- paste=- focus=searchField hint=搜索剪贴板… clearSearch=0 empty=- count=3 "
        "monitor=on,监控中,- overlay=- toast=- unsaved=- title=萤川");
    row("first Down selects the newest", "Down", "sel=0");
    row("Up stops at the newest", "Down Down Up Up Up", "sel=0");
    row("Down stops at the oldest", "Down Down Down Down", "sel=2");
    row("Ctrl+End, Ctrl+Home", "Ctrl+End Ctrl+Home Down", "sel=1");
    row("Home and End stay in the field", "Home End", "sel=-");
    row("Ctrl+End scrolls the oldest into view", "more:40 Ctrl+End", "sel=42 shown=1");
    row("pages there and back", "more:40 Ctrl+PgDown Ctrl+PgDown Ctrl+PgUp Ctrl+PgUp",
        "sel=0 shown=1");
    row("reopening clears the selection and scrolls up", "more:40 Ctrl+End reopen", "sel=- top=0");
    row("Return copies the newest", "Return", "paste=gamma flash=0 closed=0");
    row("Return copies the selected", "Down Down Return", "paste=beta flash=1 sel=1");
    row("Enter of the keypad copies too", "Down Num+Enter", "paste=gamma");
    row("Ctrl+Return copies and closes", "Down Down Ctrl+Return", "paste=beta closed=1");
    row("Return on no match copies nothing", "type:xyz Return Ctrl+Return",
        "paste=- closed=0 empty=未找到匹配项 count=3 clearAll=1");
    row("Down selects the newest match", "type:et Down Return",
        "paste=beta sel=0 rows=1 clearSearch=1");
    row("Shift+Del removes, the next takes its place", "watch Down Down Shift+Del",
        "rows=2 sel=1 paste=- changes=-1");
    row("Shift+Del without a selection removes nothing", "Shift+Del", "rows=3");
    row("Alt+2 copies the second row", "Alt+2", "paste=beta flash=1 sel=-");
    row("Alt+9 past the rows copies nothing", "Alt+9", "paste=-");
    row("Escape clears the search first", "type:et Esc", "search= rows=3 closed=0");
    row("Escape then closes", "type:et Esc Esc", "closed=1");
    row("menu key opens the row's conversions", "Ctrl+End Menu", "menu=格式化_JSON");
    row("Shift+F10 and the arrows pick a conversion", "Ctrl+End Shift+F10 Down Return",
        "menu=- paste={\"a\":1} closed=0 toast=已转换并复制");
    row("Escape closes only the menu", "type:et Down Menu Esc", "menu=- search=et closed=0");
    row("menu key without a selection leaves the rows", "Menu", "menu=-");
    row("Tab skips the hidden clear button", "Tab", "focus=monitoringSwitch");
    row("Tab reaches the header", "Tab Tab Tab", "focus=clearAllButton");
    row("Shift+Tab goes back", "type:et Shift+Tab", "focus=clearAllButton");
    row("Tab reaches the clear button of a search", "type:et Tab Return",
        "search= rows=3 focus=searchField clearSearch=0");
    row("Return and Space switch monitoring", "Tab Return Space Return",
        "monitor=off,已暂停,已暂停");
    row("Escape from a button closes", "Tab Esc", "closed=1");

    row("no entries", "", "empty=复制内容后将自动记录 count=0 clearAll=0", "");
    row("no entries, with a search", "type:a", "empty=未找到匹配项 search=a", "");
    row("the count is of all entries and stops at the limit", "more:498 type:beta",
        "rows=1 count=500 empty=-");
    // A desktop whose clipboard nothing may read: copying would not fill the list.
    row("clipboard unreadable", "unreadable", "empty=此桌面不允许读取剪贴板，不会记录新内容", "");
    row("clipboard unreadable, with a search", "unreadable type:a", "empty=未找到匹配项", "");
    row("the clear button empties the search", "type:et press:clearSearchButton",
        "search= rows=3 clearSearch=0");
    row("a capture inserts at the top", "watch more:1", "changes=+0 rows=4 first=entry_0");
    row("a capture into a full history drops the oldest", "more:497 watch more:1",
        "changes=+0,-500 rows=500 first=entry_497");
    row("a conversion replaces its row where it stands", "Ctrl+End watch Menu Return",
        "changes=~2 rows=3");
    row("a change while searching resets", "type:JSON watch more:1 Down Shift+Del",
        "changes=reset,reset rows=0", "{\"k\": [1]}|hello world|plain");
    row("a failing save warns in the footer and the title", "jam more:1 wait:1000",
        "unsaved=未保存,历史记录未能保存：cannot_create_a_file title=萤川*", "");
    row("the warning goes once a save succeeds", "jam more:1 wait:1000 unjam wait:30000",
        "unsaved=- title=萤川", "");
    row("the switch pauses monitoring", "press:monitoringSwitch", "monitor=off,已暂停,已暂停");

    row("clearing all asks first", "press:clearAllButton",
        "overlay=确认清空所有剪贴板记录？/取消/清空 focus=clearConfirmOverlay rows=3");
    row("Return confirms clearing", "press:clearAllButton Return",
        "overlay=- rows=0 count=0 clearAll=0 empty=复制内容后将自动记录");
    row("the clear button confirms", "press:clearAllButton press:confirmClearButton",
        "overlay=- rows=0");
    row("Escape cancels clearing", "press:clearAllButton Esc",
        "overlay=- rows=3 count=3 clearAll=1 closed=0");
    row("the dimming layer cancels clearing", "press:clearAllButton dim", "overlay=- rows=3");
    row("a click on the card does nothing", "press:clearAllButton card",
        "overlay=确认清空所有剪贴板记录？/取消/清空 rows=3");

    row("a click copies and highlights", "hover:1 snap:1 click:1",
        "paste=older flash=1 same=0 rows=2", "older|newer");
    row("the highlight fades", "hover:1 snap:1 click:1 wait:800", "flash=- same=1 rows=2",
        "older|newer");
    row("a second copy moves the highlight", "click:1 click:0", "flash=0", "older|newer");
    row("a drawn delete button removes without copying", "hover:0 delete:0",
        "rows=1 first=stay count=1 paste=- flash=-", "stay|target");
    // Without a move onto it, the row under a click shows no controls: entries moved under a
    // resting pointer.
    row("an undrawn delete button copies", "hover:1 delete:0",
        "rows=2 first=target count=2 paste=target flash=0", "stay|target");

    row("an image has no conversions", "hover:0 snap:0 Down Menu", "items=- paste=-", "png");
    row("markdown converts to plain text only", "menu:0", "items=纯文本 paste=-",
        "# Title\n\n- one\n- two");
    row("json has three conversions in order", "menu:0", "items=格式化_JSON/压缩_JSON/纯文本",
        "{\"a\": [1, 2]}");
    row("a url becomes a link or plain text", "menu:0", "items=URL_→_Markdown_链接/纯文本",
        "https://example.com/path");
    row("plain text has three conversions", "menu:0", "items=包裹代码块/HTML_→_Markdown/纯文本",
        "just some words");
    row("the same conversion again changes nothing, above a later confirmation",
        "Ctrl+End Menu Down Return Ctrl+End Menu Down Return press:clearAllButton",
        "toast=转换无变化 paste={\"a\":1}");
    row("the toast leaves after its time", "Ctrl+End Menu Down Return wait:1500", "toast=-");

    const char* words = "alpha beta gamma";
    row("a drag within a line selects", "drag:0.6-0.10 Ctrl+C", "clip=beta paste=-", words);
    row("a backwards drag selects", "drag:0.10-0.6 Ctrl+C", "clip=beta paste=-", words);
    row("a drag across a line break", "drag:0.6-1.6 Ctrl+C", "clip=line\nsecond",
        "first line\nsecond line");
    row("a drag below the text takes it to its end", "drag:0.0-9.0 Ctrl+C", "clip=short\ntext",
        "short\ntext");
    row("the ellipsis of a cut preview is no text", "drag:0.0-2.9 Ctrl+C", "clip=a\nb\nc",
        "a\nb\nc\nd");
    // Without movement a press and release is a click, which copies the whole entry.
    row("no movement copies the row", "drag:0.6-0.6 Ctrl+C", "clip= paste=alpha_beta_gamma", words);
    // Last, as the pointer stays where it was put.
    row("the hover returns when the menu closes", "point:0 snap:0 menu:0 leave Esc",
        "menu=- same=1", "plain words");
}

void ClipboardHistoryViewTest::stepsAndWhatTheyLeave() {
    QFETCH(QStringList, entries);
    QFETCH(QStringList, steps);
    QFETCH(QString, after);

    Panel panel(entries);
    for (const QString& step : steps) {
        panel.step(step);
    }
    for (const QString& expected : after.split(u' ', Qt::SkipEmptyParts)) {
        const QString name = expected.section(u'=', 0, 0);
        QTRY_COMPARE(name + u'=' + panel.state().value(name, u"?"_s).replace(u' ', u'_'), expected);
    }
    if (QMenu* open = panel.view->findChild<ClipboardItemRow*>()->openMenu()) {
        open->close();
    }
}

}  // namespace nimbrook

QTEST_MAIN(nimbrook::ClipboardHistoryViewTest)
#include "ClipboardHistoryViewTest.moc"
