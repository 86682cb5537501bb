#pragma once

#include <QObject>

#include <atomic>
#include <deque>
#include <functional>
#include <mutex>

namespace springtest {

// Message numbers of the measurement and sequencing layers.
inline constexpr int kMsgLoadChannel =
    0x464;  // gear changed (gear target) or protection tripped (overload target)
inline constexpr int kMsgMotorState = 0x465;  // motion state changed
inline constexpr int kMsgTestState = 0x4C8;   // sequencer notification

// Runs work on the thread of the object it belongs to: at once when asked there, otherwise queued to that
// thread's event loop. Every hand-off between threads in the program goes through one of these, so it is made
// explicit in one place: the work itself travels through a queue under our own lock, and Qt's event loop only
// carries the wake-up.
class ThreadCourier : public QObject {
    Q_OBJECT
public:
    explicit ThreadCourier(QObject* owner);
    void post(std::function<void()> job);

private:
    Q_INVOKABLE void drain();

    std::mutex m_mutex;
    std::deque<std::function<void()>> m_jobs;
    bool m_wakeQueued = false;
};

// The receiving end of a synchronous message: an object living on the GUI thread. send() runs the
// handler at once when called on that thread; from any other thread it blocks the caller until the
// GUI thread has run it. Once blocking has been stopped (at shutdown, before the acquisition thread
// is joined) a send from another thread is only posted, so exit cannot deadlock.
class WindowTarget : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(int code)>;

    explicit WindowTarget(Handler handler, QObject* parent = nullptr);

    void send(int code);

    // Called on the GUI thread before it waits for other threads to end.
    static void stopBlocking();
    // Allows blocking again; for a new run within one process (tests).
    static void allowBlocking();

private:
    Handler m_handler;
    ThreadCourier m_courier{this};
    static std::atomic<bool> s_blockingStopped;
};

}  // namespace springtest
