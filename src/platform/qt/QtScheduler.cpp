#include "platform/qt/QtScheduler.h"

#include <QTimer>

namespace nimbrook {
namespace {

// Owns its timer, so a cancelled or destroyed handle leaves no timeout queued behind it.
class QtTaskHandle final : public TaskHandle {
public:
    QtTaskHandle(std::chrono::milliseconds interval, bool singleShot,
                 std::function<void()> action) {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setSingleShot(singleShot);
        timer_.setInterval(interval);
        QObject::connect(&timer_, &QTimer::timeout, [this, action = std::move(action)] {
            // The action may destroy this handle (a task that replaces itself), so
            // it runs from a copy and the handle is not touched afterwards.
            const auto run = action;
            run();
        });
        timer_.start();
    }

    void cancel() override { timer_.stop(); }

private:
    QTimer timer_;
};

}  // namespace

std::unique_ptr<TaskHandle> QtScheduler::repeat(std::chrono::milliseconds interval,
                                                std::function<void()> action) {
    return std::make_unique<QtTaskHandle>(interval, false, std::move(action));
}

std::unique_ptr<TaskHandle> QtScheduler::after(std::chrono::milliseconds delay,
                                               std::function<void()> action) {
    return std::make_unique<QtTaskHandle>(delay, true, std::move(action));
}

}  // namespace nimbrook
