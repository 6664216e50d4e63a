#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <array>
#include <optional>

namespace nimbrook {

// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the main thread, so that the
// program ends through its event loop and writes what is pending. The handler only writes
// one byte into a socket pair (async-signal-safe); a notifier reads it in the event loop.
// One instance per process.
class QuitSignals final : public QObject {
    Q_OBJECT

public:
    QuitSignals();
    // Restores the default actions.
    ~QuitSignals() override;
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

signals:
    void quitRequested();

private:
    void drain();

    std::array<int, 2> sockets_{-1, -1};
    std::optional<QSocketNotifier> notifier_;
};

}  // namespace nimbrook
