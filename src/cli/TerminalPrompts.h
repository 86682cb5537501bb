#pragma once

#include "session/MachineSession.h"

namespace springtest {

// Asks "是/否 (y/n)?" on the terminal and reads the operator's answer: true for one that starts with y.
// Only for when standard input is a terminal.
bool terminalAnswersYes();

// Start-up questions on the terminal: messages go to standard error; the card question is asked on the
// terminal when there is one, and otherwise answered by --yes (or No).
class TerminalPrompts : public StartupPrompts {
public:
    explicit TerminalPrompts(bool assumeYes) : m_assumeYes(assumeYes) {}
    void driverMissing(const QString& message) override;
    bool continueWithUnopenedCard(const QString& message) override;

private:
    bool m_assumeYes;
};

}  // namespace springtest
