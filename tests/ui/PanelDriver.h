#pragma once

#include <QAbstractButton>
#include <QAbstractItemModelTester>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCursor>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>
#include <QTextEdit>
#include <QToolTip>
#include <memory>

#include "ControllerHarness.h"
#include "TestImages.h"
#include "TextRecorder.h"
#include "support/Files.h"
#include "ui/ClipboardHistoryView.h"
#include "ui/ClipboardItemRow.h"
#include "ui/EntryPreview.h"
#include "ui/HistoryListModel.h"
#include "ui/ItemRowPainter.h"
#include "ui/Theme.h"
#include "ui/ToastOverlay.h"

namespace nimbrook {

using namespace Qt::StringLiterals;

// A shown panel over a real controller, driven by steps written as text (see step()), and
// what it then shows, by name (see state()).
struct PanelDriver {
    ControllerHarness harness;
    std::unique_ptr<ClipboardHistoryView> view =
        std::make_unique<ClipboardHistoryView>(harness.viewModel);
    // The theme a step may switch, put back for the next panel.
    QPalette palette = QApplication::palette();
    QSignalSpy closes{view.get(), &ClipboardHistoryView::closeRequested};
    QAbstractItemModelTester tester{list()->model(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest};
    QRect snapped;
    QImage snapshot;
    QStringList changes;
    int numbered = 0;

    // Entries copied oldest first; "png" stands for an image, "wide" for a long JSON text.
    explicit PanelDriver(const QStringList& entries = {},
                         Timestamp start = ManualClock::defaultStart)
        : harness(start) {
        for (const QString& entry : entries) {
            if (entry == u"png") {
                harness.pasteboard.copy({.png = "\x89PNG"});
                harness.clock.advance(std::chrono::milliseconds(500));
            } else if (entry == u"wide") {
                harness.copy("[" + std::string(20000, ' ') + "1]");
            } else {
                harness.copy(entry.toStdString());
            }
        }
        QGuiApplication::clipboard()->clear();
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
    }
    ~PanelDriver() { QApplication::setPalette(palette); }
    template <typename T>
    T* find(const char* name) const {
        return view->findChild<T*>(QString::fromUtf8(name));
    }
    QListView* list() const { return find<QListView>("historyList"); }
    QWidget* viewport() const { return list()->viewport(); }
    QRect rowRect(int row) const { return list()->visualRect(list()->model()->index(row, 0)); }
    // The part of the row that shows its entry, without its divider: where the controls sit.
    QRect entryRect(int row) const {
        return ClipboardItemRow::entryRect(rowRect(row), list()->model()->index(row, 0))
            .adjusted(0, 0, 0, -ItemRowPainter::dividerHeight);
    }
    ContentType typeAt(int row) const {
        return ContentType(
            list()->model()->index(row, 0).data(HistoryListModel::ContentTypeRole).toInt());
    }
    QImage grab(const QRect& area) const { return viewport()->grab(area).toImage(); }
    void click(const QPoint& position) const {
        QTest::mouseClick(viewport(), Qt::LeftButton, {}, position);
    }
    // QTest::mouseMove does not reach a widget under the offscreen platform, so the move is sent
    // as the window system would deliver it.
    void move(const QPoint& position, Qt::MouseButtons buttons = Qt::NoButton) const {
        QMouseEvent event(QEvent::MouseMove, position, viewport()->mapToGlobal(position),
                          Qt::NoButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(viewport(), &event);
    }
    void hover(int row) const { move(rowRect(row).center()); }
    // The point of the first row's preview just before column "c" of shown line "l" given as
    // "l.c"; a line past the third is below the text.
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
    // The path of a picture file for an entry: "small" 64 x 32 and "wide" 1000 x 100 of the test
    // colour, "clear" a transparent one, "bomb" the header of 20000 x 20000, "missing" none.
    QString imageFile(const QString& kind) const {
        const QString path = harness.folder.filePath(u"clipboard_"_s + kind + u".png"_s);
        if (kind == u"small" || kind == u"wide") {
            testImages::writeSolidPng(path, kind == u"small" ? QSize(64, 32) : QSize(1000, 100));
        } else if (kind == u"clear") {
            testImages::writeSolidPng(path, QSize(300, 60), Qt::transparent);
        } else if (kind == u"bomb") {
            QFile file(path);
            file.open(QIODevice::WriteOnly);
            file.write(testImages::pngClaiming(20000, 20000));
        }
        return path;
    }
    // A key by name, or a verb below and its argument after a colon, mostly a row; "drag:"
    // goes over the first row's preview from "line.column" to "line.column".
    void step(const QString& step) {
        const QString verb = step.section(u':', 0, 0);
        const QString argument = step.section(u':', 1);
        const int row = argument.toInt();
        if (verb == u"type") {
            QTest::keyClicks(find<QLineEdit>("searchField"), argument);
        } else if (verb == u"more") {
            for (int index = 0; index < row; ++index) {
                harness.copy("entry " + std::to_string(numbered++));
            }
        } else if (verb == u"words") {
            // Unbroken words from 60 to 99 letters: some fill two lines exactly at one width
            // and need a third at a slightly narrower one.
            for (int index = 0; index < row; ++index) {
                harness.copy(std::string(60 + index % 40, 'w') + std::to_string(index / 40));
            }
        } else if (verb == u"dark") {
            QApplication::setPalette(Theme(Appearance::dark).palette());
        } else if (verb == u"unreadable") {
            view->setCaptureUnavailable();
        } else if (verb == u"reopen") {
            view->hide();
            view->show();
        } else if (verb == u"press") {
            // Near the corner: on the dimming layer, off the card it holds.
            QTest::mouseClick(find<QWidget>(qPrintable(argument)), Qt::LeftButton, {},
                              QPoint(5, 5));
        } else if (verb == u"hover") {
            hover(row);
        } else if (verb == u"click") {
            click(rowRect(row).center());
        } else if (verb == u"delete") {
            click(ClipboardItemRow::deleteButtonRect(entryRect(row)).center());
        } else if (verb == u"pin") {
            hover(row);
            click(ClipboardItemRow::pinButtonRect(entryRect(row), typeAt(row)).center());
        } else if (verb == u"png") {
            harness.pasteboard.copy({.png = "\x89PNG" + std::to_string(numbered++)});
            harness.clock.advance(std::chrono::milliseconds(500));
        } else if (verb == u"rightclick") {
            QTest::mouseClick(viewport(), Qt::RightButton, {}, rowRect(row).center());
        } else if (verb == u"ignore") {
            std::vector<std::string> names;
            for (const QString& name : argument.split(u',')) {
                names.push_back(name.toStdString());
            }
            harness.viewModel.setIgnoredApplications(names);
        } else if (verb == u"from") {
            // The application in front for the copies of later steps.
            harness.activeApplication.setFrontmostName(argument.toStdString());
        } else if (verb == u"menu") {
            hover(row);
            click(ClipboardItemRow::menuButtonRect(entryRect(row), typeAt(row)).center());
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
            // A file where the data folder belongs fails every save.
            std::filesystem::remove_all(harness.folder.path().toStdString());
            writeFile(harness.folder.path().toStdString(), "not a folder");
        } else if (verb == u"watch") {
            // Notes the list model's signals from now on: "+row" inserted, "-row" removed, "~row"
            // changed, "reset".
            const auto* model = list()->model();
            const auto note = [this](QChar kind) {
                return [this, kind](const QModelIndex&, int first) {
                    changes << kind + QString::number(first);
                };
            };
            QObject::connect(model, &QAbstractItemModel::rowsInserted, view.get(), note(u'+'));
            QObject::connect(model, &QAbstractItemModel::rowsRemoved, view.get(), note(u'-'));
            QObject::connect(model, &QAbstractItemModel::dataChanged, view.get(),
                             [this](const QModelIndex& index) {
                                 changes << u'~' + QString::number(index.row());
                             });
            QObject::connect(model, &QAbstractItemModel::modelReset, view.get(),
                             [this] { changes << u"reset"_s; });
        } else if (verb == u"image") {
            harness.copy(imageFile(argument).toStdString());
        } else if (verb == u"long") {
            harness.copy(std::string(row, 'x'));
        } else if (verb == u"hold") {
            harness.workQueue.hold();
        } else if (verb == u"release") {
            harness.workQueue.release();
        } else if (verb == u"paint") {
            grab(rowRect(0));
        } else if (verb == u"rest") {
            // The pointer rests until the preview opens.
            QVERIFY(QTest::qWaitFor([this] { return previewState() != u"-"; }));
        } else if (verb == u"wait") {
            harness.clock.advance(std::chrono::milliseconds(row));
        } else if (verb == u"tip") {
            // The panel hangs from the screen's top right corner, as from a tray icon there;
            // the pointer rests on the first row's "menu" or "delete" button.
            const QRect screen = view->screen()->availableGeometry();
            view->move(screen.topRight() - QPoint(view->width() - 1, 0));
            const QRect row = entryRect(0);
            QRect button = argument == u"menu"
                               ? ClipboardItemRow::menuButtonRect(row, ContentType::json)
                           : argument == u"pin" ? ClipboardItemRow::pinButtonRect(row, typeAt(0))
                                                : ClipboardItemRow::deleteButtonRect(row);
            if (argument == u"row") {
                button = QRect(row.topLeft() + QPoint(60, 10), QSize(1, 1));
            }
            move(button.center());
            QHelpEvent help(QEvent::ToolTip, button.center(),
                            viewport()->mapToGlobal(button.center()));
            QApplication::sendEvent(viewport(), &help);
        } else if (verb == u"menukey") {
            // The Menu key as X11 delivers it: a context menu request to the focused widget,
            // then the key itself.
            QWidget* focus = QApplication::focusWidget();
            const QPoint center = focus->rect().center();
            QContextMenuEvent request(QContextMenuEvent::Keyboard, center,
                                      focus->mapToGlobal(center));
            QApplication::sendEvent(focus, &request);
            QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_Menu);
        } else if (verb == u"drag") {
            const QPoint start = textPoint(argument.section(u'-', 0, 0));
            const QPoint end = textPoint(argument.section(u'-', 1));
            QTest::mousePress(viewport(), Qt::LeftButton, {}, start);
            move(end, Qt::LeftButton);
            QTest::mouseRelease(viewport(), Qt::LeftButton, {}, end);
        } else {
            // Without a widget the key goes where the window system would send it.
            QTest::keySequence(static_cast<QWidget*>(nullptr), QKeySequence::fromString(step));
        }
    }
    // What the panel shows and did, by short names: the keyboard's "sel"ection, the rows,
    // the writes to the pasteboard ("paste"), the open menu, the focus, the footer and more.
    QMap<QString, QString> state() const {
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
        const QWidget* popup = QApplication::activePopupWidget();
        const auto* warning = find<QLabel>("saveWarning");
        return {
            {u"sel"_s, selected.isValid() ? QString::number(selected.row()) : u"-"_s},
            {u"shown"_s,
             QString::number(viewport()->rect().contains(list()->visualRect(selected)))},
            {u"top"_s, QString::number(list()->indexAt(QPoint(1, 1)).row())},
            {u"first"_s, model->index(0, 0).data(HistoryListModel::PreviewRole).toString()},
            {u"rows"_s, QString::number(model->rowCount())},
            {u"bar"_s, QString::number(list()->verticalScrollBar()->isVisible())},
            {u"misfit"_s, misfits()},
            {u"changes"_s, changes.join(u',')},
            {u"flash"_s, rowsWith(HistoryListModel::CopiedRole)},
            {u"times"_s, relativeTimes()},
            {u"busy"_s, rowsWith(HistoryListModel::BusyRole)},
            {u"pins"_s, rowsWith(HistoryListModel::PinnedRole)},
            {u"bands"_s, bands()},
            {u"ignored"_s, ignored()},
            // What the panel wrote: the pasteboard holds the last copy of another program before.
            {u"paste"_s, harness.pasteboard.writeCount() > 0 && pasted
                             ? QString::fromStdString(*pasted)
                             : u"-"_s},
            {u"clip"_s, QGuiApplication::clipboard()->text()},
            {u"search"_s, field == search ? search : u"field "_s + field},
            {u"hint"_s, find<QLineEdit>("searchField")->placeholderText()},
            {u"clearSearch"_s, QString::number(find<QWidget>("clearSearchButton")->isVisible())},
            {u"count"_s, labelText("itemCount")},
            {u"clearAll"_s, QString::number(find<QWidget>("clearAllButton")->isEnabled())},
            {u"empty"_s, empty ? labelText("emptyStateText") : u"-"_s},
            {u"closed"_s, QString::number(closes.size())},
            {u"items"_s, items.isEmpty() ? u"-"_s : items.join(u'/')},
            {u"focus"_s, focus != nullptr ? focus->objectName() : u"-"_s},
            {u"popup"_s, popup != nullptr ? popup->objectName() : u"-"_s},
            {u"tip"_s, tipState()},
            {u"monitor"_s,
             find<QAbstractButton>("monitoringSwitch")->text() + u',' +
                 (find<QWidget>("pausedLabel")->isVisible() ? labelText("pausedText") : u"-"_s)},
            {u"unsaved"_s, warning->isVisible() ? warning->text() + u',' +
                                                      warning->toolTip().section(u" in "_s, 0, 0)
                                                : u"-"_s},
            {u"title"_s, view->windowTitle()},
            {u"overlay"_s, overlayState()},
            {u"toast"_s, toastState()},
            {u"same"_s, snapshot.isNull() ? u"-"_s : QString::number(grab(snapped) == snapshot)},
            {u"picture"_s, pictureState()},
            {u"texts"_s, paintedTexts()},
            {u"preview"_s, previewState()},
        };
    }
    // Where the first row shows the test colour, relative to the row: "x,y WxH".
    QString pictureState() const {
        const QImage row = grab(rowRect(0));
        QRect found;
        for (int y = 0; y < row.height(); ++y) {
            for (int x = 0; x < row.width(); ++x) {
                if (row.pixelColor(x, y) == testImages::solid) {
                    found |= QRect(x, y, 1, 1);
                }
            }
        }
        return found.isNull() ? u"-"_s
                              : u"%1,%2_%3x%4"_s.arg(found.x())
                                    .arg(found.y())
                                    .arg(found.width())
                                    .arg(found.height());
    }
    // The texts the first row paints, its icons' glyphs left out, joined by '/'.
    QString paintedTexts() const {
        TextRecorder recorder;
        QPainter painter(&recorder);
        QStyleOptionViewItem option;
        option.rect = QRect(QPoint(), rowRect(0).size());
        option.widget = list();
        list()->itemDelegate()->paint(&painter, option, list()->model()->index(0, 0));
        QStringList texts;
        for (const QString& text : recorder.texts) {
            if (text.front().category() != QChar::Other_PrivateUse) {
                texts << text;
            }
        }
        return texts.join(u'/');
    }
    // The preview window: "picture:WxH", "lost", or the text's start, length, "mono" or
    // "wrapped", and its note; "-" when hidden.
    QString previewState() const {
        const auto* preview = view->findChild<EntryPreview*>();
        if (preview == nullptr || !preview->isVisible()) {
            return u"-"_s;
        }
        QString shown;
        const auto* picture = preview->findChild<QLabel*>(u"previewPicture"_s);
        const auto* text = preview->findChild<QTextEdit*>(u"previewText"_s);
        if (picture->isVisible()) {
            const QSize size = picture->pixmap().deviceIndependentSize().toSize();
            shown = picture->pixmap().isNull()
                        ? picture->text()
                        : u"picture:%1x%2"_s.arg(size.width()).arg(size.height());
        } else {
            const QString all = text->toPlainText();
            shown = all.left(12) + u':' + QString::number(all.size()) + u':' +
                    (text->lineWrapMode() == QTextEdit::NoWrap ? u"mono"_s : u"wrapped"_s);
            const auto* note = preview->findChild<QLabel*>(u"previewNote"_s);
            if (note->isVisible()) {
                shown += u':' + note->text();
            }
        }
        if (!view->screen()->availableGeometry().contains(preview->frameGeometry())) {
            shown += u" off the screen"_s;
        }
        return shown;
    }
    // The rows not laid out as wide as the viewport, right below the row above, and as high
    // as their preview needs at that width.
    QString misfits() const {
        const ItemRowPainter painter;
        const int width = viewport()->width();
        const auto* model = list()->model();
        QStringList rows;
        int top = rowRect(0).top();
        for (int row = 0; row < model->rowCount(); ++row) {
            const QStringList lines = PreviewLayout::lines(
                model->index(row, 0).data(HistoryListModel::PreviewRole).toString(),
                painter.previewFont(), ItemRowPainter::previewWidth(width));
            const QModelIndex index = model->index(row, 0);
            const QRect bands = ClipboardItemRow::entryRect(QRect(0, 0, width, 1000), index);
            const int extra = 1000 - bands.height();
            const QRect needed(0, top, width, painter.rowHeight(lines.size()) + extra);
            if (rowRect(row) != needed) {
                rows << QString::number(row);
            }
            top = needed.bottom() + 1;
        }
        return rows.isEmpty() ? u"-"_s : rows.join(u',');
    }
    // The rows that carry the section label ("t") or the section divider ("b").
    QString bands() const {
        QStringList rows;
        for (int row = 0; row < list()->model()->rowCount(); ++row) {
            const QRect whole = rowRect(row);
            const QRect entry = ClipboardItemRow::entryRect(whole, list()->model()->index(row, 0));
            const QString marks = (entry.top() > whole.top() ? u"t"_s : u""_s) +
                                  (entry.bottom() < whole.bottom() ? u"b"_s : u""_s);
            if (!marks.isEmpty()) {
                rows << QString::number(row) + marks;
            }
        }
        return rows.isEmpty() ? u"-"_s : rows.join(u',');
    }
    QString ignored() const {
        QStringList names;
        for (const std::string& name : harness.viewModel.ignoredApplications()) {
            names << QString::fromStdString(name);
        }
        return names.isEmpty() ? u"-"_s : names.join(u',');
    }
    QString tipState() const {
        if (!QToolTip::isVisible()) {
            return u"-"_s;
        }
        const QRect screen = view->screen()->availableGeometry();
        for (const QWidget* window : QApplication::topLevelWidgets()) {
            if (window->windowType() == Qt::ToolTip && window->isVisible() &&
                !screen.contains(window->frameGeometry())) {
                return QToolTip::text() + u" off the screen"_s;
            }
        }
        // The folder of the test's files reads as "~".
        return QToolTip::text().replace(harness.folder.path(), u"~"_s);
    }
    QString relativeTimes() const {
        const auto* model = list()->model();
        QStringList times;
        for (int row = 0; row < model->rowCount(); ++row) {
            times << model->index(row, 0).data(HistoryListModel::RelativeTimeRole).toString();
        }
        return times.join(u',');
    }
    QString rowsWith(int role) const {
        QStringList rows;
        const auto* model = list()->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            if (model->index(row, 0).data(role).toBool()) {
                rows << QString::number(row);
            }
        }
        return rows.isEmpty() ? u"-"_s : rows.join(u',');
    }
    QString overlayState() const {
        const auto* overlay = find<QWidget>("clearConfirmOverlay");
        if (!overlay->isVisible()) {
            return u"-"_s;
        }
        return (overlay->geometry() == view->rect() ? QString() : u"misplaced "_s) +
               labelText("clearConfirmText") + u'/' +
               find<QAbstractButton>("cancelClearButton")->text() + u'/' +
               find<QAbstractButton>("confirmClearButton")->text();
    }
    QString toastState() const {
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
};

}  // namespace nimbrook
