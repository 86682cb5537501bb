#include "platform/WindowTarget.h"

#include <QtTest>

#include <atomic>
#include <thread>

using namespace springtest;

class TestWindowTarget : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { WindowTarget::allowBlocking(); }
    void sameThreadRunsAtOnce();
    void otherThreadWaitsForHandler();
    void stoppedBlockingFreesSender();
    void courierRunsOnItsOwnersThread();
};

void TestWindowTarget::sameThreadRunsAtOnce() {
    int received = -1;
    WindowTarget target([&](int code) { received = code; });
    target.send(kMsgMotorState);
    QCOMPARE(received, kMsgMotorState);
}

void TestWindowTarget::otherThreadWaitsForHandler() {
    std::atomic<int> handled{0};
    std::atomic<bool> sawHandledAfterSend{false};
    std::atomic<bool> senderDone{false};
    WindowTarget target([&](int) { handled.fetch_add(1); });
    std::thread sender([&] {
        target.send(kMsgLoadChannel);
        sawHandledAfterSend = handled.load() == 1;
        senderDone = true;
    });
    QTRY_VERIFY(senderDone.load());
    sender.join();
    QVERIFY(sawHandledAfterSend.load());
}

void TestWindowTarget::stoppedBlockingFreesSender() {
    // The GUI thread is busy (joining the sender) and never runs its event loop: without stopBlocking()
    // this would deadlock.
    std::atomic<int> handled{0};
    WindowTarget target([&](int) { handled.fetch_add(1); });
    std::atomic<bool> started{false};
    std::thread sender([&] {
        started = true;
        target.send(kMsgTestState);
    });
    while (!started.load()) std::this_thread::yield();
    WindowTarget::stopBlocking();
    sender.join();
    QCoreApplication::processEvents();
    QCOMPARE(handled.load(), 1);  // still delivered, only later
}

void TestWindowTarget::courierRunsOnItsOwnersThread() {
    QObject owner;
    ThreadCourier courier(&owner);
    int ranHere = 0;
    courier.post([&] { ++ranHere; });  // on the owner's thread: at once
    QCOMPARE(ranHere, 1);
    std::atomic<int> ranOnOwner{0};
    QThread* const mainThread = QThread::currentThread();
    std::thread other([&] {
        for (int i = 0; i < 3; ++i)
            courier.post([&] { ranOnOwner += QThread::currentThread() == mainThread ? 1 : 100; });
    });
    other.join();
    QTRY_COMPARE(ranOnOwner.load(), 3);
}

QTEST_GUILESS_MAIN(TestWindowTarget)
#include "tst_windowtarget.moc"
