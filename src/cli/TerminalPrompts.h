#pragma once

#include "session/MachineSession.h"

namespace springtest {

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
