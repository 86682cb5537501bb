#pragma once

#include <QObject>

#include <atomic>
#include <functional>

namespace springtest {

// Message numbers of the measurement and sequencing layers.
inline constexpr int kMsgLoadChannel = 0x464;  // gear changed (gear target) or protection tripped (overload target)
inline constexpr int kMsgMotorState = 0x465;   // motion state changed
inline constexpr int kMsgTestState = 0x4C8;    // sequencer notification

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
    static std::atomic<bool> s_blockingStopped;
};

// Runs fn on the thread of `owner`: at once when called there, else queued to its event loop.
// The way timer starts and stops asked from other threads reach the GUI thread.
void runOnOwnerThread(QObject* owner, std::function<void()> fn);

}  // namespace springtest
