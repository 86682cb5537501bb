#pragma once

#include "calibration/LoadDrive.h"
#include "cli/TestWait.h"
#include "measurement/Tload.h"

#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace springtest {

class CommandOptions;
class MachineSession;
class ReferenceForce;
struct CardSlot;

// What the commands that run one procedure on one card share (`calibrate`, `verify`, `align`,
// `compensate`): the machine started, watched and shut down around the procedure; for the force procedures
// how fast and how long they hold the machine, where the standard's reading comes from, and lists of forces
// on the command line.

// The options every force procedure takes besides its own.
inline const QStringList kDriveOptions{QStringLiteral("speed"), QStringLiteral("approach-speed"),
                                       QStringLiteral("settle")};

// --speed (loading, mm/min), --approach-speed (mm/min) and --settle (ms) over the defaults; records an
// error in `options` for a bad value.
LoadDriveSettings driveSettings(CommandOptions& options);

// "1000,2000,3000": forces above 0; nothing, with the reason in `error`, for anything else.
std::optional<std::vector<double>> parseForceList(const QString& text, QString& error);

// The simulator's reference transducer when the machine is simulated, else the operator typing the
// standard's reading on the terminal (standard input; its end gives up). Nothing, with the reason in `error`,
// for a simulated machine without its proving ring.
std::unique_ptr<ReferenceForce> referenceForCard(const MachineSession& session, int card, QString& error);

// Records in the audit trail what the procedure changed in the card's load calibration (`before`: the gear
// records when it began). False, after telling why, when the trail could not be written.
bool recordCalibrationChanges(const QString& applicationFolder, const CardSlot& card,
                              const std::array<GearRecord, kMaxGears>& before, const QString& operatorName);

// A procedure on one card of the started machine: gets the session, the card and the pause between its
// looks at the record; sets `onSignal` to what stops it. Returns the exit code.
using CardProcedure = std::function<int(MachineSession& session, CardSlot& card,
                                        const LoadDrive::Pause& pause, std::function<void()>& onSignal)>;

// Claims the machine, starts it, records overload trips in the overload log, runs the procedure on the card
// and shuts the machine down again, every motor stopped. SIGINT, SIGTERM and SIGHUP stop the procedure, are
// told, and end with 128 + the signal. When the acquisition ends with an error the procedure is stopped and
// the error told.
int runProcedureOnCard(const QString& applicationFolder, int card, bool assumeYes,
                       const CardProcedure& procedure);

// A procedure's wait on the machine in the event loop (where the signals arrive), until its own end, a
// signal, an acquisition that ended or the timeout. The runner tells the signal and the acquisition's end;
// the timeout is told here. While it lives, a signal ends the wait through `onSignal`.
class ProcedureWait {
public:
    ProcedureWait(const MachineSession& session, std::function<void()>& onSignal, double timeout_s);
    ~ProcedureWait();
    ProcedureWait(const ProcedureWait&) = delete;
    ProcedureWait& operator=(const ProcedureWait&) = delete;

    TestEnd until(const std::function<bool()>& done);

private:
    const Tbankhk& m_acquisition;
    std::function<void()>& m_onSignal;
    double m_timeout_s;
    bool m_signalled = false;
};

}  // namespace springtest
