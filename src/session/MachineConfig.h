#pragma once

#include <QString>

namespace springtest {

// The machine configuration: section `system` of "init0.dat". The program writes only the operator's
// full-rate switch into it (writeFullRateCurve); everything else is the installer's.
struct MachineConfig {
    int cardType = 2;
    int machineType = 0;
    QString machineName;
    int cardCount = 1;  // clamped to the five card slots
    QString logoPath;
    // How old a force verification may be before the console reminds of it at start
    // (`VerificationIntervalMonths`).
    int verificationIntervalMonths = 12;
    // Whether each test keeps every reading of its curve besides the 100 ms rows (`FullRateCurve`, 1 on);
    // off unless switched on.
    bool fullRateCurve = false;

    static MachineConfig read(const QString& applicationFolder);
};

// `FullRateCurve` as written: on only for 1. Anything else ("yes", "nan", "2", nothing) reads as off, so a
// mistyped file never fills the disk behind the operator's back.
bool fullRateCurveFromText(const QString& text);

// Switches the full-rate curve in the machine configuration of `applicationFolder`. False, with the
// operator's message in `error`, when the file could not be written (it is left as it was).
bool writeFullRateCurve(const QString& applicationFolder, bool on, QString* error = nullptr);

}  // namespace springtest
