#include "cli/TerminalPrompts.h"

#include <cstdio>
#include <iostream>
#include <string>

#include <unistd.h>

namespace springtest {

bool terminalAnswersYes() {
    std::fprintf(stderr, "是/否 (y/n)? ");
    std::string answer;
    std::getline(std::cin, answer);
    return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
}

void TerminalPrompts::driverMissing(const QString& message) {
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

bool TerminalPrompts::continueWithUnopenedCard(const QString& message) {
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    if (m_assumeYes) return true;
    if (!isatty(STDIN_FILENO)) return false;
    return terminalAnswersYes();
}

}  // namespace springtest
