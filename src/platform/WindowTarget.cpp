#include "WindowTarget.h"

#include <QMetaObject>
#include <QSemaphore>
#include <QThread>

#include <memory>

namespace springtest {

std::atomic<bool> WindowTarget::s_blockingStopped{false};

WindowTarget::WindowTarget(Handler handler, QObject* parent) : QObject(parent), m_handler(std::move(handler)) {}

void WindowTarget::send(int code) {
    if (QThread::currentThread() == thread()) {
        if (m_handler) m_handler(code);
        return;
    }
    auto done = std::make_shared<QSemaphore>();
    QMetaObject::invokeMethod(
        this,
        [this, code, done] {
            if (m_handler) m_handler(code);
            done->release();
        },
        Qt::QueuedConnection);
    // Wait in short slices so that a shutdown that stops blocking frees a waiting sender.
    while (!done->tryAcquire(1, 20)) {
        if (s_blockingStopped.load(std::memory_order_acquire)) return;
    }
}

void WindowTarget::stopBlocking() { s_blockingStopped.store(true, std::memory_order_release); }
void WindowTarget::allowBlocking() { s_blockingStopped.store(false, std::memory_order_release); }

void runOnOwnerThread(QObject* owner, std::function<void()> fn) {
    if (!owner) return;
    if (QThread::currentThread() == owner->thread()) {
        fn();
        return;
    }
    QMetaObject::invokeMethod(owner, std::move(fn), Qt::QueuedConnection);
}

}  // namespace springtest
