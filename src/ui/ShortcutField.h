#pragma once

#include <QKeySequence>
#include <QLineEdit>

namespace nimbrook {

// The field that records a global key chord. Keys typed elsewhere in the window, or while it
// merely has the focus, must never change the chord: it records only once asked, by a click
// or by Return or Space, until the first full chord, and Escape or leaving it keeps the chord
// it had. Its clear button turns the chord off.
class ShortcutField final : public QLineEdit {
    Q_OBJECT

public:
    explicit ShortcutField(QWidget* parent = nullptr);

    // The first chord of `chord` as the Linux desktops name it: Super where the toolkit says
    // Meta.
    static QString chordText(const QKeySequence& chord);

    // Shows `chord` without telling anyone.
    void setChord(const QKeySequence& chord);

signals:
    void recordingStarted();
    // Told as a recording ends, with the chord it had when it was cancelled, and with an
    // empty chord when the clear button turns it off.
    void chordChosen(const QKeySequence& chord);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override { mousePressEvent(event); }
    // Keeps the text from being selected.
    void mouseMoveEvent(QMouseEvent*) override {}
    void focusOutEvent(QFocusEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    void startRecording();
    // Ends any recording with `chord`.
    void choose(const QKeySequence& chord);
    void showChord();

    QKeySequence chord_;
    QAction* clearAction_ = nullptr;
    bool recording_ = false;
};

}  // namespace nimbrook
