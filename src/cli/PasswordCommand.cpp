#include "cli/PasswordCommand.h"

#include "cli/CommandOptions.h"
#include "cli/ConsoleOutput.h"
#include "session/OperatorLogin.h"

#include <cstdio>
#include <iostream>
#include <optional>
#include <string>

#include <termios.h>
#include <unistd.h>

namespace springtest {

namespace {

std::optional<QString> readPassword(const char* prompt) {
    const bool terminal = isatty(STDIN_FILENO);
    termios saved{};
    if (terminal) {
        std::fputs(prompt, stderr);
        tcgetattr(STDIN_FILENO, &saved);
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
    }
    std::string line;
    const bool read = static_cast<bool>(std::getline(std::cin, line));
    if (terminal) {
        tcsetattr(STDIN_FILENO, TCSANOW, &saved);
        std::fputs("\n", stderr);
    }
    if (!read) return std::nullopt;
    return QString::fromLocal8Bit(line.c_str());
}

}  // namespace

int runPasswordCommand(const QString& applicationFolder, const QStringList& args) {
    CommandOptions o(args, {QStringLiteral("user")}, {});
    if (!o.ok()) return usageError(o.error());
    const QString user = o.text(QStringLiteral("user"));
    if (user.trimmed().isEmpty()) return usageError(QStringLiteral("password needs --user NAME"));
    // Refused before the password is asked for, not after it was typed twice.
    if (const QString refusal = operatorNameError(user); !refusal.isEmpty()) return operatorError(refusal);
    const auto password = readPassword("new password: ");
    if (!password) return usageError(QStringLiteral("no password given"));
    if (isatty(STDIN_FILENO)) {
        const auto again = readPassword("again: ");
        if (!again || *again != *password)
            return operatorError(QStringLiteral("the two passwords differ; nothing changed"));
    }
    const AccountChange change = changeOperatorPassword(applicationFolder, user, *password);
    if (!change.error.isEmpty()) return operatorError(change.error);
    printOut(QStringLiteral("password of %1 set").arg(user.trimmed()));
    if (!change.unrecorded.isEmpty()) return operatorError(change.unrecorded);
    return 0;
}

}  // namespace springtest
