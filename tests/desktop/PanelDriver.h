#pragma once

#include <QAbstractItemModelTester>
#include <QImage>
#include <QLabel>
#include <QListView>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "ControllerHarness.h"
#include "ui/ClipboardHistoryView.h"

namespace nimbrook {

// A shown panel over a real controller, driven by steps written as text (see step()), and
// what it then shows, by name (see state()).
struct PanelDriver {
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

    // Entries copied oldest first; "png" stands for an image, "wide" for a long JSON text.
    explicit PanelDriver(const QStringList& entries = {},
                         Timestamp start = ManualClock::defaultStart);
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
    void move(const QPoint& position, Qt::MouseButtons buttons = Qt::NoButton) const;
    void hover(int row) const { move(rowRect(row).center()); }
    // The point of the first row's preview just before column "c" of shown line "l" given as
    // "l.c"; a line past the third is below the text.
    QPoint textPoint(const QString& at) const;
    QString labelText(const char* name) const { return find<QLabel>(name)->text(); }
    // A key by name, or a verb of PanelDriver.cpp and its argument after a colon, mostly a
    // row; "drag:" goes over the first row's preview from "line.column" to "line.column".
    void step(const QString& step);
    // What the panel shows and did, by short names: the keyboard's "sel"ection, the rows,
    // the writes to the pasteboard ("paste"), the open menu, the focus, the footer and more.
    QMap<QString, QString> state() const;
};

}  // namespace nimbrook
