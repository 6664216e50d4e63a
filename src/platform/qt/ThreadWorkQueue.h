#pragma once

#include <QObject>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/WorkQueue.h"

namespace nimbrook {

// One worker thread; completions come back through the event loop of the thread that made
// the queue. Destruction runs the jobs still queued (a save is never lost), drops the
// completions not yet delivered and joins the worker.
class ThreadWorkQueue final : public QObject, public WorkQueue {
    Q_OBJECT

public:
    ThreadWorkQueue();
    ~ThreadWorkQueue() override;
    ThreadWorkQueue(const ThreadWorkQueue&) = delete;
    ThreadWorkQueue& operator=(const ThreadWorkQueue&) = delete;

    void post(std::function<void()> job, std::function<void()> completion) override;
    void drain() override;

private:
    using Work = std::pair<std::function<void()>, std::function<void()>>;

    void work();
    void deliver();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Work> jobs_;
    std::deque<std::function<void()>> completions_;
    // A job taken off jobs_ that has not finished yet.
    bool running_ = false;
    bool stopping_ = false;
    std::thread worker_;
};

}  // namespace nimbrook
