#include "qt/qt_latest_job_host.h"

#include <QMetaObject>
#include <utility>

QtLatestJobHost::QtLatestJobHost(QObject* context)
    : context_(context), worker_([this] { Work(); }) {}

QtLatestJobHost::~QtLatestJobHost() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        quitting_ = true;
        waiting_ = nullptr;
    }
    changed_.notify_all();
    worker_.join();
}

void QtLatestJobHost::Start(RunJob job) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        waiting_ = std::move(job);
    }
    changed_.notify_all();
}

void QtLatestJobHost::Wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !busy_ && !waiting_; });
}

void QtLatestJobHost::Work() {
    QObject* context = context_;
    const PostToInterface post = [context](std::function<void()> piece) {
        QMetaObject::invokeMethod(context, std::move(piece), Qt::QueuedConnection);
    };
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return quitting_ || waiting_; });
        if (quitting_) {
            return;
        }
        RunJob job = std::move(waiting_);
        waiting_ = nullptr;
        busy_ = true;
        lock.unlock();
        job(post);
        job = nullptr;
        lock.lock();
        busy_ = false;
        changed_.notify_all();
    }
}
