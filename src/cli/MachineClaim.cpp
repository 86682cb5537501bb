#include "cli/MachineClaim.h"

#include "cli/ConsoleOutput.h"
#include "session/ApplicationFolder.h"

#include <QDir>

namespace springtest {

bool claimMachine(const QString& applicationFolder, SingleInstance& lock) {
    if (!isApplicationFolderSetUp(applicationFolder)) {
        printErr(QStringLiteral("%1 is not a set-up application folder (it has no init0.dat, the machine's "
                                "configuration and calibration); make one with: springtest init %1")
                     .arg(QDir::toNativeSeparators(applicationFolder)));
        return false;
    }
    switch (lock.tryClaim()) {
        case SingleInstance::Claim::Claimed:
            return true;
        case SingleInstance::Claim::HeldElsewhere:
            printErr(kProgramRunningText);
            return false;
        case SingleInstance::Claim::Failed:
            printErr(lock.failureText());
            return false;
    }
    return false;
}

}  // namespace springtest
