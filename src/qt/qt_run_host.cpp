#include "qt/qt_run_host.h"

#include <QMetaObject>
#include <utility>

void QtRunHost::Start(RunJob job) {
    Wait();
    // The window owns this host and joins the worker before it goes, so the context
    // outlives every post. A piece still queued when the window is destroyed is
    // dropped by the event loop with it.
    QObject* context = context_;
    worker_ = std::thread([job = std::move(job), context] {
        job([context](std::function<void()> piece) {
            QMetaObject::invokeMethod(context, std::move(piece), Qt::QueuedConnection);
        });
    });
}

void QtRunHost::Wait() {
    if (worker_.joinable()) {
        worker_.join();
    }
}
