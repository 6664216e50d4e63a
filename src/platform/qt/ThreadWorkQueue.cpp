#include "platform/qt/ThreadWorkQueue.h"

#include <QMetaObject>
#include <exception>
#include <iostream>

namespace nimbrook {

ThreadWorkQueue::ThreadWorkQueue() : worker_([this] { work(); }) {}

ThreadWorkQueue::~ThreadWorkQueue() {
    {
        const std::scoped_lock lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    worker_.join();
}

void ThreadWorkQueue::post(std::function<void()> job, std::function<void()> completion) {
    {
        const std::scoped_lock lock(mutex_);
        jobs_.emplace_back(std::move(job), std::move(completion));
    }
    changed_.notify_all();
}

void ThreadWorkQueue::drain() {
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return jobs_.empty() && !running_; });
    }
    deliver();
}

void ThreadWorkQueue::work() {
    std::unique_lock lock(mutex_);
    while (true) {
        changed_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
        if (jobs_.empty()) {
            return;
        }
        auto [job, completion] = std::move(jobs_.front());
        jobs_.pop_front();
        running_ = true;
        lock.unlock();
        try {
            job();
        } catch (const std::exception& error) {
            // Jobs report their own failures; one that throws anyway must not end the program.
            std::cerr << "nimbrook: background work failed: " << error.what() << '\n';
        }
        // Whatever the job holds (a snapshot of the history) is let go of here, off the
        // owner's thread.
        job = nullptr;
        lock.lock();
        running_ = false;
        completions_.push_back(std::move(completion));
        changed_.notify_all();
        QMetaObject::invokeMethod(this, &ThreadWorkQueue::deliver, Qt::QueuedConnection);
    }
}

void ThreadWorkQueue::deliver() {
    while (true) {
        std::function<void()> completion;
        {
            const std::scoped_lock lock(mutex_);
            if (completions_.empty()) {
                return;
            }
            completion = std::move(completions_.front());
            completions_.pop_front();
        }
        completion();
    }
}

}  // namespace nimbrook
