#pragma once

#include <QString>

namespace springtest {

// The machine configuration: section `system` of "init0.dat". Read only; the program never writes it.
struct MachineConfig {
    int cardType = 2;
    int machineType = 0;
    QString machineName;
    int cardCount = 1;  // clamped to the five card slots
    QString logoPath;
    // How old a force verification may be before the console reminds of it at start
    // (`VerificationIntervalMonths`).
    int verificationIntervalMonths = 12;

    static MachineConfig read(const QString& applicationFolder);
};

}  // namespace springtest
