#pragma once

#include <QAbstractItemModelTester>
#include <QImage>
#include <QLabel>
#include <QListView>
#include <QSignalSpy>
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
    void click(const QPoint& position) const;
    void move(const QPoint& position, Qt::MouseButtons buttons = Qt::NoButton) const;
    void hover(int row) const { move(rowRect(row).center()); }
    // The point of the preview of `row` just before column "c" of shown line "l" given as
    // "l.c"; a line past the third is below the text.
    QPoint textPoint(int row, const QString& at) const;
    QString labelText(const char* name) const { return find<QLabel>(name)->text(); }
    // A key, or "type:" text into the search field, "more:" copies of numbered entries,
    // "unreadable" clipboard, "reopen", "press:" a button, a click on the "dim"ming layer or
    // the "card" of the confirmation, "hover:", "click:", "delete:" (its button), "menu:"
    // (its button) or "snap:" (a picture of) a row, "point:" the pointer at a row, the
    // pointer's "leave", "watch" the model's signals, "jam" and "unjam" the data folder,
    // "hold" and "release" the worker's jobs, "wait:" milliseconds, and "drag:" over a row's
    // preview from "line.column" to "line.column", "@row" after (the first when left out).
    void step(const QString& step);
    void watch();
    void key(const QString& key) const;
    // What the panel shows and did, by short names: the keyboard's "sel"ection, the rows,
    // the writes to the pasteboard ("paste"), the open menu, the focus, the footer and more.
    QMap<QString, QString> state() const;
    // The rows whose `role` is true, or "-".
    QString rowsWith(int role) const;
    QString overlayState() const;
    QString toastState() const;
};

}  // namespace nimbrook
