#pragma once

#include <QKeySequence>
#include <QObject>

namespace nimbrook {

// A key chord that reaches the program whichever window has the keyboard.
class GlobalShortcut : public QObject {
    Q_OBJECT

public:
    enum class State {
        off,
        active,
        // Another program holds the chord; this one holds nothing.
        taken,
        // The key has no place on this keyboard, or the chord has no Ctrl, Alt or Super.
        unsupported,
    };

    using QObject::QObject;

    // Lets go of the chord held now and takes the first chord of `sequence` instead; an
    // empty sequence only lets go.
    State setSequence(const QKeySequence& sequence);
    QKeySequence sequence() const { return sequence_; }
    State state() const { return state_; }

signals:
    void activated();

protected:
    // Takes `chord` for the program: active, taken or unsupported.
    virtual State grab(QKeyCombination chord) = 0;
    virtual void release() = 0;

private:
    QKeySequence sequence_;
    State state_ = State::off;
};

}  // namespace nimbrook
