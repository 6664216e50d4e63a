#include "ui/ShortcutField.h"

#include <QAction>
#include <QKeyEvent>
#include <QStyle>
#include <algorithm>
#include <array>
#include <utility>

#include "ui/Theme.h"

namespace nimbrook {

namespace {

constexpr Qt::KeyboardModifiers chordModifiers =
    Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier | Qt::MetaModifier;

// In the toolkit's order.
constexpr std::array<std::pair<Qt::KeyboardModifier, const char*>, 4> modifierNames = {{
    {Qt::MetaModifier, "Super"},
    {Qt::ControlModifier, "Ctrl"},
    {Qt::AltModifier, "Alt"},
    {Qt::ShiftModifier, "Shift"},
}};

// A modifier held alone waits for the key of its chord, as does a key the toolkit cannot name.
bool endsChord(int key) {
    constexpr std::array waiting = {
        Qt::Key_Shift,   Qt::Key_Control, Qt::Key_Meta,    Qt::Key_Alt,     Qt::Key_AltGr,
        Qt::Key_Super_L, Qt::Key_Super_R, Qt::Key_Hyper_L, Qt::Key_Hyper_R, Qt::Key_unknown};
    return key != 0 && std::ranges::find(waiting, key) == waiting.end();
}

}  // namespace

ShortcutField::ShortcutField(QWidget* parent) : QLineEdit(parent) {
    setReadOnly(true);
    setContextMenuPolicy(Qt::NoContextMenu);
    // A read-only field hides the toolkit's own clear button.
    clearAction_ = addAction(style()->standardIcon(QStyle::SP_LineEditClearButton, nullptr, this),
                             TrailingPosition);
    clearAction_->setToolTip(QStringLiteral("关闭快捷键"));
    connect(clearAction_, &QAction::triggered, this, [this] { choose({}); });
    showChord();
}

QString ShortcutField::chordText(const QKeySequence& chord) {
    if (chord.isEmpty()) {
        return {};
    }
    QString text;
    for (const auto& [modifier, name] : modifierNames) {
        if (chord[0].keyboardModifiers().testFlag(modifier)) {
            text += QLatin1StringView(name) + u'+';
        }
    }
    return text + QKeySequence(chord[0].key()).toString(QKeySequence::NativeText);
}

void ShortcutField::setChord(const QKeySequence& chord) {
    chord_ = chord;
    showChord();
}

bool ShortcutField::event(QEvent* event) {
    // While recording, every key is the chord's and none a shortcut of the window.
    if (recording_ && event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    return QLineEdit::event(event);
}

void ShortcutField::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (!recording_) {
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
            startRecording();
        } else {
            // Left to the window, as by a widget that takes no keys.
            QWidget::keyPressEvent(event);
        }
        return;
    }
    if (key == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        choose(chord_);
    } else if (endsChord(key)) {
        choose(QKeySequence(QKeyCombination(event->modifiers() & chordModifiers, Qt::Key(key))));
    }
}

void ShortcutField::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        startRecording();
    }
}

void ShortcutField::focusOutEvent(QFocusEvent* event) {
    if (recording_) {
        choose(chord_);
    }
    QLineEdit::focusOutEvent(event);
}

void ShortcutField::inputMethodEvent(QInputMethodEvent* event) {
    // A read-only field still shows an input method's text; that text is no chord either.
    event->ignore();
}

void ShortcutField::startRecording() {
    if (recording_) {
        return;
    }
    recording_ = true;
    showChord();
    emit recordingStarted();
}

void ShortcutField::choose(const QKeySequence& chord) {
    recording_ = false;
    setChord(chord);
    emit chordChosen(chord);
}

void ShortcutField::showChord() {
    setText(recording_ ? QStringLiteral("请按下快捷键…") : chordText(chord_));
    // A chord too long for the field shows its modifiers rather than its key.
    setCursorPosition(0);
    clearAction_->setVisible(!chord_.isEmpty());
    // The accent says that the keys pressed now are recorded.
    QPalette colors;
    if (recording_) {
        colors.setColor(QPalette::Text,
                        Theme(Theme::appearanceOf(palette())).color(NamedColor::accent));
    }
    setPalette(colors);
}

}  // namespace nimbrook
