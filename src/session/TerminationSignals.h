#pragma once

#include <QSocketNotifier>

#include <csignal>
#include <functional>
#include <iterator>
#include <memory>

namespace springtest {

// Ctrl+C in the terminal, a terminal that closes, or a service manager stopping the program: each must end it
// in order, motors stopped and the displacement's state saved, never by the process vanishing with a
// crosshead still moving. While an object of this class lives, SIGINT, SIGTERM and SIGHUP no longer end the
// process; `onSignal` is called with the signal's number on the thread that created the object, from its
// event loop. The handler itself only writes that number to a socket, the one thing a signal handler may
// safely do. One object at a time.
class TerminationSignals {
public:
    explicit TerminationSignals(std::function<void(int signal)> onSignal);
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // The first signal received, 0 while none came.
    int received() const { return m_received; }

private:
    static void handle(int signal);

    static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
    static inline int s_socket[2] = {-1, -1};
    std::function<void(int)> m_onSignal;
    std::unique_ptr<QSocketNotifier> m_notifier;
    struct sigaction m_previous[std::size(kSignals)] = {};
    int m_received = 0;
};

// The exit code of a program ended by a signal, as a shell reports one: 128 + the signal's number.
inline int exitCodeForSignal(int signal) {
    return 128 + signal;
}

}  // namespace springtest
