#include "PanelDriver.h"

namespace nimbrook {

class ClipboardHistoryViewTest final : public QObject {
    Q_OBJECT

private slots:
    void hostileEntriesArePainted_data();
    void hostileEntriesArePainted();
    void stepsAndWhatTheyLeave_data();
    void stepsAndWhatTheyLeave();
};

void ClipboardHistoryViewTest::hostileEntriesArePainted_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("source");
    QTest::newRow("eight megabytes on one line") << QByteArray(8 << 20, 'x') << QByteArray("App");
    QTest::newRow("300000 combining marks")
        << "a" + QByteArray("\xcc\x81").repeated(300000) << QByteArray();
    QTest::newRow("invalid UTF-8, NUL, bidi, controls, a megabyte of application name")
        << QByteArray("\xff\xfe\x00\xc3(\xed\xa0\x80\u202e\u05e9\u05dc\u200f\x1b[31m\t\r", 25)
        << QByteArray("\xff\xfe\u202e", 5) + QByteArray(1 << 20, 'N');
}

void ClipboardHistoryViewTest::hostileEntriesArePainted() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, source);
    PanelDriver panel;
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

namespace {

// Entries, split at '|', and steps, split at spaces, as PanelDriver takes them; after them,
// what PanelDriver::state() holds, as name=value with the value's spaces as '_'.
struct PanelCase {
    const char* tag;
    const char* steps;
    const char* after;
    const char* entries = "{\"a\": 1}|beta|gamma";
};

const PanelCase panelCases[] = {
    {"opens with nothing selected", "",
     "sel=- paste=- focus=searchField hint=搜索剪贴板… clearSearch=0 empty=- count=3 "
     "monitor=监控中,- overlay=- toast=- unsaved=- title=萤川"},
    {"Ctrl+End, Ctrl+Home; Up stops at the newest", "Ctrl+End Ctrl+Home Up Up Down", "sel=1"},
    {"Home and End stay in the field", "Home End", "sel=-"},
    {"Ctrl+End shows the oldest; Down stops there", "more:40 Ctrl+End Down", "sel=42 shown=1"},
    {"pages and back", "more:40 Ctrl+PgDown Ctrl+PgDown Ctrl+PgUp Ctrl+PgUp", "sel=0 shown=1"},
    {"reopening clears the selection and scrolls up", "more:40 Ctrl+End reopen", "sel=- top=0"},
    {"Enter of the keypad copies the newest", "Num+Enter", "paste=gamma flash=0 closed=0"},
    {"Ctrl+Return copies, closes", "Down Down Ctrl+Return", "paste=beta flash=1 sel=1 closed=1"},
    {"Return on no match", "type:xyz Return Ctrl+Return", "paste=- closed=0 clearAll=1"},
    {"Down picks the newest match", "type:et Down Return", "paste=beta sel=0 rows=1 clearSearch=1"},
    {"Shift+Del removes", "watch Down Down Shift+Del", "rows=2 sel=1 paste=- changes=-1"},
    {"Alt+2 copies the second row", "Alt+2", "paste=beta flash=1 sel=-"},
    {"Escape clears the search, then closes", "type:et Esc Esc", "search= rows=3 closed=1"},
    {"Escape closes only the menu", "type:et Down Menu Esc", "items=- search=et closed=0"},
    {"Alt+9 past the rows, Shift+Del and the menu key without a selection do nothing",
     "Alt+9 Shift+Del Menu", "paste=- rows=3 items=-"},
    {"the Menu key opens the selected row's menu", "Down menukey",
     "popup=conversionMenu items=包裹代码块/HTML_→_Markdown/纯文本"},
    {"the Menu key without a selection opens the field's menu", "menukey",
     "popup=qt_edit_menu items=-"},
    {"Shift+Tab goes back", "type:et Shift+Tab", "focus=clearAllButton"},
    {"Tab Return clears a search", "type:et Tab Return", "search= focus=searchField clearSearch=0"},
    {"Tab, Return, Space, Escape", "Tab Return Space Return Tab Tab Esc",
     "monitor=已暂停,已暂停 focus=clearAllButton closed=1"},

    {"no entries", "", "empty=复制内容后将自动记录 count=0 clearAll=0", ""},
    {"counts all entries up to the limit", "more:498 type:beta", "rows=1 count=500 empty=-"},
    // A desktop whose clipboard nothing may read: copying would not fill the list.
    {"clipboard unreadable", "unreadable", "empty=此桌面不允许读取剪贴板，不会记录新内容", ""},
    {"clipboard unreadable, with a search", "unreadable type:a", "empty=未找到匹配项", ""},
    {"a full history drops the oldest", "more:497 watch more:1", "changes=+0,-500 first=entry_497"},
    {"a conversion replaces its row in place", "Ctrl+End watch Menu Return", "changes=~2 rows=3"},
    {"busy while converting", "watch hold Down Menu Down Return", "busy=0 changes=~0", "s|wide"},
    {"search: changes reset", "type:et watch more:1 Down Shift+Del", "changes=reset,reset rows=0"},
    {"wrapped rows fit beside the scroll bar", "words:40", "bar=1 misfit=-", ""},
    {"wrapped rows fit beside the scroll bar, dark", "dark words:40", "bar=1 misfit=-", ""},
    {"a hovered row keeps the time of the rows beside it", "wait:20000 hover:1",
     "times=0秒前,0秒前,1秒前"},
    {"reopening counts the times anew", "wait:20000 hover:1 reopen", "times=20秒前,20秒前,21秒前"},
    {"a new entry counts the times anew", "wait:20000 more:1", "times=0秒前,20秒前,21秒前,21秒前"},
    {"a save fails", "jam wait:1000", "unsaved=未保存,历史记录未能保存：cannot_create_a_file"},

    {"Return confirms clearing", "press:clearAllButton Return",
     "overlay=- rows=0 count=0 clearAll=0 empty=复制内容后将自动记录"},
    {"confirming clears", "press:clearAllButton press:confirmClearButton", "overlay=- rows=0"},
    {"Escape cancels clearing", "press:clearAllButton Esc", "overlay=- rows=3 closed=0"},
    {"the dimming layer cancels clearing", "press:clearAllButton press:clearConfirmOverlay",
     "overlay=- rows=3"},
    {"clearing asks; its card ignores clicks", "press:clearAllButton press:clearConfirmCard",
     "overlay=确认清空所有剪贴板记录？/取消/清空 focus=clearConfirmOverlay rows=3"},

    {"clicks copy and flash", "hover:1 snap:1 click:1", "paste=old flash=1 same=0", "old|new"},
    {"delete removes", "hover:0 delete:0", "rows=1 first=stay count=1 paste=-", "stay|gone"},
    // Without a move onto it, the row under a click shows no controls: entries moved under a
    // resting pointer.
    {"unhovered, delete copies", "hover:1 delete:0", "rows=2 paste=target flash=0", "stay|target"},

    {"an image has no conversions", "hover:0 Down Menu", "items=- paste=-", "png"},
    {"markdown conversions", "menu:0", "items=纯文本 paste=-", "# Title\n\n- one\n- two"},
    {"json conversions", "menu:0", "items=格式化_JSON/压缩_JSON/纯文本", "{\"a\": [1, 2]}"},
    {"url conversions", "menu:0", "items=URL_→_Markdown_链接/纯文本", "https://example.com/path"},
    {"plain text conversions", "menu:0", "items=包裹代码块/HTML_→_Markdown/纯文本", "words"},
    {"the same conversion again changes nothing, above a later confirmation",
     "Ctrl+End Shift+F10 Down Return Ctrl+End Menu Down Return press:clearAllButton",
     "toast=转换无变化 paste={\"a\":1} items=- closed=0"},
    {"the toast leaves after its time", "Ctrl+End Menu Down Return wait:1500", "toast=-"},

    {"drags select", "drag:0.6-1.6 Ctrl+C", "clip=line\nsecond paste=-", "first line\nsecond line"},
    {"below the text is the end", "drag:0.0-9.0 Ctrl+C", "clip=short\ntext", "short\ntext"},
    {"a cut preview's ellipsis is no text", "drag:0.0-2.9 Ctrl+C", "clip=a\nb\nc", "a\nb\nc\nd"},
    {"no move copies the row", "drag:0.6-0.6 Ctrl+C", "clip= paste=alpha_beta", "alpha beta"},
    {"the delete button's tip stays on the screen", "tip:delete", "tip=删除", "{}"},
    {"the menu button's tip stays on the screen", "tip:menu", "tip=智能转换", "{}"},
    {"a tip goes as the pointer leaves its button", "tip:delete hover:0", "tip=-", "{}"},
    {"the pin button's tip", "tip:pin", "tip=置顶", "{}"},
    {"a pinned row's pin button's tip", "pin:0 tip:pin", "tip=取消置顶 pins=0", "{}"},

    // The pinned rows stand first under their label, parted from the others by the divider.
    {"Ctrl+P pins the selected row on top; the selection goes with it", "Down Down Ctrl+P",
     "sel=0 first=beta pins=0 bands=0tb misfit=- count=3 paste=-"},
    {"Ctrl+P again puts it back by its time", "Down Down Ctrl+P Ctrl+P",
     "sel=1 first=gamma pins=- bands=- misfit=-"},
    {"Ctrl+P without a selection leaves the rows", "Ctrl+P", "pins=- first=gamma"},
    {"the pin button pins; the latest pin comes first", "pin:2 pin:2",
     "pins=0,1 first=beta bands=0t,1b misfit=- paste=-"},
    {"Alt+1..9 count the rows as shown", "Down Down Ctrl+P Alt+2", "paste=gamma"},
    {"a new copy goes below the pins", "Down Down Ctrl+P watch more:1",
     "changes=+1 first=beta bands=0tb pins=0"},
    {"only pinned rows: no divider", "pin:0 pin:1 pin:2", "pins=0,1,2 bands=0t misfit=-"},
    {"search filters the pinned rows too", "Down Down Ctrl+P type:gam", "rows=1 pins=- bands=-"},
    {"a pinned match keeps its label", "Down Down Ctrl+P type:et", "rows=1 pins=0 bands=0t"},
    {"clearing with pins says how many stay", "Down Ctrl+P press:clearAllButton",
     "overlay=确认清空所有剪贴板记录？置顶的_1_条会保留。/取消/清空"},
    {"clearing keeps the pinned rows", "Down Ctrl+P pin:2 press:clearAllButton Return",
     "overlay=- rows=2 count=2 pins=0,1 clearAll=1 empty=-"},
    // An application's copies can be turned off from its rows' menu.
    {"the row menu stops recording the row's application",
     "from:Kate more:1 menu:0 Up Return more:1", "ignored=Kate rows=4 first=entry_0 paste=-"},
    {"a row without an application has no such item", "menu:0",
     "items=包裹代码块/HTML_→_Markdown/纯文本"},
    {"a right click opens an image's menu with only that item", "from:GIMP png:1 rightclick:0",
     "items=不再记录此应用 popup=conversionMenu"},
    {"the row menu lists the item after the conversions", "from:Kate more:1 menu:0",
     "items=包裹代码块/HTML_→_Markdown/纯文本//不再记录此应用"},
    {"a tip goes as the pointer leaves its row", "tip:menu hover:1", "tip=-", "{}|[]"},

    {"an image row shows its picture, never enlarged", "image:small",
     "picture=44,8_64x32 texts=0秒前", ""},
    {"a wide picture fits the text column", "image:wide", "picture=44,8_250x25", ""},
    {"a transparent picture lies on squares", "image:clear", "picture=- texts=0秒前", ""},
    {"a missing picture says so", "image:missing", "picture=- texts=图片已丢失/0秒前", ""},
    {"a decompression bomb is refused", "image:bomb", "texts=图片已丢失/0秒前", ""},
    {"nothing is drawn while the picture is read", "image:small hold paint", "picture=-", ""},
    {"the picture shows once read", "image:small hold paint release", "picture=44,8_64x32", ""},
    {"an image row's tip is its path", "image:small tip:row", "tip=~/clipboard_small.png", ""},
    {"search finds pictures by their path", "image:small more:2 type:png", "rows=1", ""},
    {"Ctrl+Y shows the newest entry whole, keeping the keyboard", "Ctrl+Y",
     "preview=gamma:5:wrapped sel=0 focus=searchField"},
    {"Ctrl+Y again closes it", "Ctrl+Y Ctrl+Y", "preview=- sel=0"},
    {"Escape closes the preview, then the panel", "Ctrl+Y Esc", "preview=- closed=0"},
    {"the preview follows the selection", "Ctrl+Y Down Down", "preview={\"a\":_1}:8:mono"},
    {"nothing to preview", "Ctrl+Y", "preview=- sel=-", ""},
    {"the pointer resting on a preview opens it", "hover:1", "preview=beta:4:wrapped"},
    {"the pointer leaving the row closes it", "hover:1 rest leave", "preview=-"},
    {"a picture is shown up to 360 wide", "image:wide Ctrl+Y", "preview=picture:360x36", ""},
    {"a missing picture in the preview", "image:missing Ctrl+Y", "preview=图片已丢失", ""},
    {"a long text shows its start and its length", "long:150000 Ctrl+Y",
     "preview=xxxxxxxxxxxx:100000:wrapped:仅显示前_100,000_个字符，全文共_150,000_个字符", ""},
    // Last, as the pointer stays where it was put.
    {"hover after the menu", "point:0 snap:0 menu:0 leave Esc", "items=- same=1", "plain words"},
};

}  // namespace

void ClipboardHistoryViewTest::stepsAndWhatTheyLeave_data() {
    QTest::addColumn<int>("index");
    for (int index = 0; index < int(std::size(panelCases)); ++index) {
        QTest::newRow(panelCases[index].tag) << index;
    }
}

void ClipboardHistoryViewTest::stepsAndWhatTheyLeave() {
    QFETCH(int, index);
    const PanelCase& c = panelCases[index];
    PanelDriver panel(QString::fromUtf8(c.entries).split(u'|', Qt::SkipEmptyParts));
    QVERIFY(QTest::qWaitForWindowActive(panel.view.get()));
    for (const QString& step : QString::fromUtf8(c.steps).split(u' ', Qt::SkipEmptyParts)) {
        panel.step(step);
    }
    for (const QString& expected : QString::fromUtf8(c.after).split(u' ', Qt::SkipEmptyParts)) {
        const QString name = expected.section(u'=', 0, 0);
        QString shown;
        const bool reached = QTest::qWaitFor([&] {
            shown = name + u'=' + panel.state().value(name, u"?"_s).replace(u' ', u'_');
            return shown == expected;
        });
        QVERIFY2(reached, qPrintable(shown));
    }
    while (QWidget* popup = QApplication::activePopupWidget()) {
        popup->close();
    }
}

}  // namespace nimbrook

QTEST_MAIN(nimbrook::ClipboardHistoryViewTest)
#include "ClipboardHistoryViewTest.moc"
