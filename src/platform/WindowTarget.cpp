#include "platform/WindowTarget.h"

#include <QMetaObject>
#include <QThread>

#include <chrono>
#include <condition_variable>
#include <memory>

namespace springtest {

ThreadCourier::ThreadCourier(QObject* owner) {
    moveToThread(owner ? owner->thread() : QThread::currentThread());
}

void ThreadCourier::post(std::function<void()> job) {
    if (QThread::currentThread() == thread()) {
        job();
        return;
    }
    bool wake = false;
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
        wake = !m_wakeQueued;
        m_wakeQueued = true;
    }
    // Only the wake-up goes through Qt's queue; by name, so nothing of ours is carried across by it.
    if (wake) QMetaObject::invokeMethod(this, "drain", Qt::QueuedConnection);
}

void ThreadCourier::drain() {
    std::deque<std::function<void()>> jobs;
    {
        std::lock_guard lock(m_mutex);
        jobs.swap(m_jobs);
        m_wakeQueued = false;
    }
    for (auto& job : jobs) job();
}

std::atomic<bool> WindowTarget::s_blockingStopped{false};

WindowTarget::WindowTarget(Handler handler, QObject* parent)
    : QObject(parent), m_handler(std::move(handler)) {}

void WindowTarget::send(int code) {
    if (QThread::currentThread() == thread()) {
        if (m_handler) m_handler(code);
        return;
    }
    struct Done {
        std::mutex mutex;
        std::condition_variable cv;
        bool done = false;
    };
    auto done = std::make_shared<Done>();
    m_courier.post([this, code, done] {
        if (m_handler) m_handler(code);
        {
            std::lock_guard lock(done->mutex);
            done->done = true;
        }
        done->cv.notify_all();
    });
    // Wait in short slices so that a shutdown that stops blocking frees a waiting sender.
    std::unique_lock lock(done->mutex);
    while (!done->cv.wait_for(lock, std::chrono::milliseconds(20), [&] { return done->done; })) {
        if (s_blockingStopped.load(std::memory_order_acquire)) return;
    }
}

void WindowTarget::stopBlocking() {
    s_blockingStopped.store(true, std::memory_order_release);
}
void WindowTarget::allowBlocking() {
    s_blockingStopped.store(false, std::memory_order_release);
}

}  // namespace springtest
