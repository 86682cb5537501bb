#include "session/TerminationSignals.h"

#include <sys/socket.h>
#include <unistd.h>

namespace springtest {

TerminationSignals::TerminationSignals(std::function<void(int signal)> onSignal)
    : m_onSignal(std::move(onSignal)) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, s_socket) != 0) {
        s_socket[0] = s_socket[1] = -1;
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(s_socket[1], QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] {
        unsigned char number = 0;
        if (::read(s_socket[1], &number, 1) != 1) return;
        if (m_received == 0) m_received = number;
        if (m_onSignal) m_onSignal(number);
    });
    struct sigaction action = {};
    action.sa_handler = &TerminationSignals::handle;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(kSignals); ++i) ::sigaction(kSignals[i], &action, &m_previous[i]);
}

TerminationSignals::~TerminationSignals() {
    if (s_socket[0] < 0) return;
    for (size_t i = 0; i < std::size(kSignals); ++i) ::sigaction(kSignals[i], &m_previous[i], nullptr);
    m_notifier.reset();
    ::close(s_socket[0]);
    ::close(s_socket[1]);
    s_socket[0] = s_socket[1] = -1;
}

void TerminationSignals::handle(int signal) {
    const auto number = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(s_socket[0], &number, 1);
}

}  // namespace springtest
