#include "platform/qt/GlobalShortcut.h"

namespace nimbrook {

namespace {

// A chord of a plain key would take that key from every program.
bool leavesTypingAlone(QKeyCombination chord) {
    const bool functionKey = chord.key() >= Qt::Key_F1 && chord.key() <= Qt::Key_F35;
    return functionKey || (chord.keyboardModifiers() &
                           (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0;
}

}  // namespace

GlobalShortcut::State GlobalShortcut::setSequence(const QKeySequence& sequence) {
    if (state_ == State::active) {
        release();
    }
    sequence_ = sequence;
    if (sequence.isEmpty()) {
        state_ = State::off;
    } else {
        state_ = leavesTypingAlone(sequence[0]) ? grab(sequence[0]) : State::unsupported;
    }
    return state_;
}

}  // namespace nimbrook
