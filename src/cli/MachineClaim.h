#pragma once

#include "session/SingleInstance.h"

#include <QString>

namespace springtest {

// What a command checks before it opens the cards: an application folder made by `springtest init` (else
// the channels would run uncalibrated), and no other program driving the machine. False after telling the
// operator why; the command then ends with exit code 1. On true, `lock` holds the machine until it is
// destroyed.
bool claimMachine(const QString& applicationFolder, SingleInstance& lock);

}  // namespace springtest
