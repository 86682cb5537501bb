#include "cli/AlignCommand.h"

#include "calibration/PlatenAlignment.h"
#include "cli/CalibrationMachine.h"
#include "cli/CommandOptions.h"
#include "cli/ConsoleOutput.h"
#include "cli/TestWait.h"
#include "measurement/CardSlot.h"
#include "measurement/TDisplacement.h"
#include "measurement/TMotor.h"
#include "measurement/Tbankhk.h"
#include "measurement/Tload.h"
#include "platform/NumberFormat.h"
#include "session/MachineSession.h"

#include <functional>
#include <variant>

namespace springtest {

namespace {

struct Options {
    float returnHeight_mm = 0;
    int card = 0;
    double timeout_s = 600;
    bool assumeYes = false;
};

std::variant<Options, int> readOptions(const QStringList& args) {
    CommandOptions o(args,
                     {QStringLiteral("return-height"), QStringLiteral("card"), QStringLiteral("timeout")},
                     {QStringLiteral("yes")});
    const auto returnHeight = o.number(QStringLiteral("return-height"), 0, 10000);
    const auto card = o.integer(QStringLiteral("card"), 0, 4);
    const auto timeout = o.number(QStringLiteral("timeout"), 1, 1e6);
    if (!o.ok()) return usageError(o.error());
    if (!returnHeight) return usageError(QStringLiteral("align needs --return-height MM"));
    Options opt;
    opt.returnHeight_mm = static_cast<float>(*returnHeight);
    opt.card = card.value_or(0);
    if (timeout) opt.timeout_s = *timeout;
    opt.assumeYes = o.has(QStringLiteral("yes"));
    return opt;
}

// Why the crosshead no longer moves as the stage needs.
QString stallText(AlignmentStage stage, MotionState s) {
    if (s == MotionState::AtLowerLimit) return QStringLiteral("the crosshead reached its lower limit");
    if (s == MotionState::AtUpperLimit) return QStringLiteral("the crosshead reached its upper limit");
    if (s == MotionState::BlockedByOverload) return QStringLiteral("the load trip blocks the crosshead");
    return stage == AlignmentStage::Approaching
               ? QStringLiteral("the crosshead stopped before the platens touched")
               : QStringLiteral("the crosshead stopped before the return height");
}

int align(MachineSession& session, CardSlot& slot, const Options& opt, std::function<void()>& onSignal) {
    const Tbankhk& acquisition = *session.acquisition();
    awaitFreshReadings(acquisition);

    const int loadDecimals = slot.load->decimals();  // of the gear that decides the contact
    const int displacementDecimals = slot.displacement->decimals();
    const float range = slot.load->GetGearRecord(slot.load->currentGear()).range;
    printOut(
        QStringLiteral("approaching: contact at %1 %2 (0.5 % of the gear's range %3), returning to %4 mm")
            .arg(FormatByDecimals(loadDecimals, PlatenAlignment::kContactShare * range), slot.load->Units(),
                 FormatByDecimals(loadDecimals, range),
                 FormatByDecimals(displacementDecimals, opt.returnHeight_mm)));

    PlatenAlignment alignment(slot);
    if (alignment.Start(opt.returnHeight_mm) != PlatenAlignment::StartResult::Started)
        return operatorError(QStringLiteral("the crosshead would not move down: nothing was done"));

    QString failure;
    bool contactTold = false;
    const TestEnd end = ProcedureWait(session, onSignal, opt.timeout_s).until([&] {
        const AlignmentStage stage = alignment.stage();
        if (stage == AlignmentStage::Returning && !contactTold) {
            contactTold = true;
            printOut(QStringLiteral("platens touched: displacement zeroed, returning"));
        }
        if (alignment.stalled()) failure = stallText(stage, slot.motor->state());
        return stage == AlignmentStage::Idle || !failure.isEmpty();
    });
    alignment.Stop();
    if (end != TestEnd::Idle) return 1;
    if (!failure.isEmpty()) return operatorError(failure + QStringLiteral(": stopped"));
    awaitFreshReadings(acquisition);
    printOut(QStringLiteral("back at %1 mm")
                 .arg(FormatByDecimals(displacementDecimals, slot.record.displacement.load())));
    return 0;
}

}  // namespace

int runAlignCommand(const QString& applicationFolder, const QStringList& args) {
    const std::variant<Options, int> read = readOptions(args);
    if (const int* exitCode = std::get_if<int>(&read)) return *exitCode;
    const Options& opt = std::get<Options>(read);
    return runProcedureOnCard(
        applicationFolder, opt.card, opt.assumeYes,
        [&](MachineSession& session, CardSlot& card, const LoadDrive::Pause&,
            std::function<void()>& onSignal) { return align(session, card, opt, onSignal); });
}

}  // namespace springtest
