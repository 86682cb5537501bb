#include "cli/RunCommand.h"

#include "cli/BatchArgument.h"
#include "cli/CommandOptions.h"
#include "cli/ConsoleOutput.h"
#include "cli/TerminalPrompts.h"
#include "measurement/TDisplacement.h"
#include "measurement/TMotor.h"
#include "measurement/Tbankhk.h"
#include "measurement/Tload.h"
#include "platform/NumberFormat.h"
#include "platform/WindowTarget.h"
#include "sequencer/BatchOpening.h"
#include "sequencer/ResultGrid.h"
#include "sequencer/TestStateText.h"
#include "sequencer/Verdict.h"
#include "sequencer/procedures/StandardStorage.h"
#include "session/MachineSession.h"
#include "storage/Batch.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

namespace springtest {

namespace {

// The scheme table as the control panel's grid would show it, kept as text for printing.
class TextGrid : public ResultGrid {
public:
    void setColumnWidths(const QList<int>&) override {}
    void setRowCount(int rows) override { m_rows = QList<QStringList>(rows, QStringList(6)); }
    void setCell(int row, int column, const QString& text) override {
        if (row >= 0 && row < m_rows.size() && column >= 0 && column < 6) m_rows[row][column] = text;
    }
    void print() const {
        for (const QStringList& r : m_rows)
            printOut(QStringLiteral("  ") + r.mid(0, 4).join(QLatin1Char('\t')));
    }

private:
    QList<QStringList> m_rows;
};

struct Options {
    QString batch;
    float speed = 0;
    bool variable = false;
    int series = 0;
    int pause_s = 0;
    int card = 0;
    std::optional<double> displacement;
    bool json = false;
    bool assumeYes = false;
    double timeout_s = 1800;
};

void emitJson(const QJsonObject& o) {
    printOut(QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)));
}

// Waits on the event loop until `done` or the timeout; false on timeout.
bool waitUntil(const std::function<bool()>& done, int timeout_ms) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeout_ms) return false;
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

}  // namespace

int runTestsCommand(const QString& applicationFolder, const QStringList& args) {
    CommandOptions o(
        args,
        {QStringLiteral("batch"), QStringLiteral("speed"), QStringLiteral("series"), QStringLiteral("pause"),
         QStringLiteral("card"), QStringLiteral("displacement"), QStringLiteral("timeout")},
        {QStringLiteral("variable"), QStringLiteral("json"), QStringLiteral("yes")});
    Options opt;
    opt.batch = o.text(QStringLiteral("batch"));
    const auto speed = o.number(QStringLiteral("speed"), 0.001, 10000);
    const auto series = o.integer(QStringLiteral("series"), 1, 10000);
    const auto pause = o.integer(QStringLiteral("pause"), 0, 86400);
    const auto card = o.integer(QStringLiteral("card"), 0, 4);
    opt.displacement = o.number(QStringLiteral("displacement"), -100000, 100000);
    const auto timeout = o.number(QStringLiteral("timeout"), 1, 1e6);
    if (!o.ok()) return usageError(o.error());
    if (opt.batch.isEmpty()) return usageError(QStringLiteral("run needs --batch FILE_OR_NUMBER"));
    // Without a speed the control panel refuses to start: the same here, in its words.
    if (!speed) return operatorError(QStringLiteral("试验速度尚未设置！！"));
    opt.speed = static_cast<float>(*speed);
    opt.variable = o.has(QStringLiteral("variable"));
    opt.series = series.value_or(0);
    opt.pause_s = pause.value_or(0);
    opt.card = card.value_or(0);
    opt.json = o.has(QStringLiteral("json"));
    opt.assumeYes = o.has(QStringLiteral("yes"));
    if (timeout) opt.timeout_s = *timeout;

    MachineSession session(applicationFolder);
    TerminalPrompts prompts(opt.assumeYes);
    if (session.start(prompts) != MachineSession::Outcome::Running) return 1;
    const int machineType = session.config().machineType;
    if (opt.card >= session.cards().count)
        return usageError(
            QStringLiteral("--card %1: the machine has %2 card(s)").arg(opt.card).arg(session.cards().count));

    QString error;
    const QString batchPath = resolveBatch(applicationFolder, machineType, opt.batch, error);
    if (!error.isEmpty()) return operatorError(error);

    CardSlot& slot = session.cards().cards[static_cast<size_t>(opt.card)];
    TTestStyle seq(machineType, session.cards());
    installProceduresForMachineType(seq);

    struct TestReport {
        int serial = 0;
        QJsonArray points;
        bool stored = false;
    };
    QList<TestReport> tests;
    bool overload = false;
    QString lastStoreError;
    const bool kN = slot.load->Units() == QLatin1String("kN");

    // The control panel's part: every state as it happens, each captured point with its verdicts.
    WindowTarget panel([&](int) {
        const TestState state = seq.state();
        const ttest_info scheme = seq.scheme();
        if (state == TestState::Started) tests.append(TestReport{seq.xuhao(), {}, false});
        if (state == TestState::PointCaptured && !tests.isEmpty()) {
            const int k = seq.pointIndex();
            const int s = seq.stroke();
            const ResultArray r = seq.results();
            const int decimals =
                scheme.scheme_style <= 1 ? slot.load->decimals() : slot.displacement->decimals();
            const QString value = FormatByDecimals(decimals, r.value(s, k));
            float stiffness = r.stiffness(s, k);
            if (kN) stiffness *= 1000.0f;
            const QString stiffnessText =
                ResultArray::isEmpty(stiffness) ? QString() : FormatByDecimals(2, stiffness);
            // Judged on the texts as shown, as the panel judges them.
            const QString verdict =
                pointVerdict(value.toDouble(), scheme.upper.value(k - 1), scheme.lower.value(k - 1));
            QString stiffnessVerdict;
            if (!stiffnessText.isEmpty()) {
                switch (judgeStiffness(stiffnessText.toDouble(), scheme.scheme_gangdu_max,
                                       scheme.scheme_gangdu_min)) {
                    case StiffnessJudgement::High:
                        stiffnessVerdict = QStringLiteral("强");
                        break;
                    case StiffnessJudgement::Pass:
                        stiffnessVerdict = QStringLiteral("合格");
                        break;
                    case StiffnessJudgement::Low:
                        stiffnessVerdict = QStringLiteral("弱");
                        break;
                }
            }
            QJsonObject p{{"point", k},         {"target", scheme.points.value(k - 1)},
                          {"value", value},     {"stiffness", stiffnessText},
                          {"verdict", verdict}, {"stiffness_verdict", stiffnessVerdict}};
            tests.last().points.append(p);
            if (opt.json)
                emitJson(QJsonObject{{"event", "point"}, {"serial", tests.last().serial}, {"data", p}});
            else
                printOut(QStringLiteral("  point %1 at %2: %3  stiffness %4  %5%6")
                             .arg(k)
                             .arg(schemeNumberText(scheme.points.value(k - 1)))
                             .arg(value)
                             .arg(stiffnessText.isEmpty() ? QStringLiteral("-") : stiffnessText)
                             .arg(verdict)
                             .arg(stiffnessVerdict.isEmpty() ? QString()
                                                             : QStringLiteral(" / 刚度") + stiffnessVerdict));
            return;
        }
        if (state == TestState::Stored && !tests.isEmpty()) tests.last().stored = true;
        if (state == TestState::StoreFailed) lastStoreError = seq.lastStoreError();
        const QString text = testStateText(state, seq.IsAutoRepeat(), seq.repeatCount(), seq.repeatsDone());
        if (opt.json) {
            QJsonObject e{{"event", "state"},
                          {"state", static_cast<int>(state)},
                          {"text", text},
                          {"serial", seq.xuhao()}};
            if (state == TestState::StoreFailed) e.insert("error", lastStoreError);
            emitJson(e);
        } else {
            QString line = QStringLiteral("[%1] %2").arg(static_cast<int>(state)).arg(text);
            if (state == TestState::Started) line += QStringLiteral("  serial %1").arg(seq.xuhao());
            if (state == TestState::Stored)
                line += QStringLiteral("  serial %1").arg(tests.isEmpty() ? 0 : tests.last().serial);
            if (state == TestState::StoreFailed && !lastStoreError.isEmpty())
                line += QStringLiteral("  (") + lastStoreError + QLatin1Char(')');
            printOut(line);
        }
    });
    seq.setPanelTarget(&panel);

    // The control panel's overload handling: a running test stops, the motor is already stopped.
    WindowTarget overloadTarget([&](int) {
        overload = true;
        if (seq.running()) {
            seq.StopTest();
            printErr(QStringLiteral("负荷过载，试验停止!!"));
        } else {
            printErr(QStringLiteral("负荷过载!!!!"));
        }
    });
    slot.load->setOverloadTarget(&overloadTarget);

    session.startAcquisition(&seq.sampleSlot());

    TextGrid grid;
    const OpenBatchOutcome opened = openBatchForTesting(seq, &grid, batchPath);
    if (!opened.ok) {
        session.shutdown();
        return operatorError(opened.message);
    }
    // The test direction follows the scheme's spring kind, as opening a batch in the console sets it.
    slot.displacement->setSide(opened.compression ? 1 : -1);
    if (opt.displacement) slot.displacement->SetDisplacement(static_cast<float>(*opt.displacement));
    // The start position is read from the record: let the loop read the new side and preset first.
    const uint64_t cycles = session.acquisition()->cycles();
    waitUntil([&] { return session.acquisition()->cycles() > cycles + 3; }, 5000);

    const ttest_info scheme = seq.scheme();
    if (!opt.json) {
        printOut(QStringLiteral("batch %1: %2 spring, next serial %3")
                     .arg(QDir::toNativeSeparators(batchPath),
                          opened.compression ? QStringLiteral("compression") : QStringLiteral("tension"))
                     .arg(scheme.xuhao));
        grid.print();
    }

    seq.SetTestSpeed(opt.speed);
    seq.SetSpeedMode(opt.variable ? 2 : 1);
    if (opt.series > 0) {
        seq.SetAutoRepeat(true);
        seq.SetRepeatCount(opt.series);
        seq.SetRepeatPause(opt.pause_s);
    }
    seq.SetCurveChart(nullptr);
    seq.StartTest(opt.card);

    const bool finished = waitUntil([&] { return seq.isIdle(); }, static_cast<int>(opt.timeout_s * 1000));
    if (!finished) {
        seq.StopTest();
        printErr(QStringLiteral("the test did not end within %1 s; stopped").arg(opt.timeout_s));
    }

    int storedCount = 0;
    QJsonArray storedSerials;
    for (const TestReport& t : tests)
        if (t.stored) {
            ++storedCount;
            storedSerials.append(t.serial);
        }
    const bool allStored = finished && !overload && !tests.isEmpty() && storedCount == tests.size();
    if (opt.json) {
        QJsonArray list;
        for (const TestReport& t : tests)
            list.append(QJsonObject{{"serial", t.serial}, {"stored", t.stored}, {"points", t.points}});
        emitJson(QJsonObject{{"event", "summary"},
                             {"batch", batchPath},
                             {"tests", list},
                             {"stored", storedSerials},
                             {"ok", allStored}});
    } else {
        QStringList serials;
        for (const auto& s : storedSerials) serials << QString::number(s.toInt());
        printOut(QStringLiteral("stored %1 of %2 test(s)%3")
                     .arg(storedCount)
                     .arg(tests.size())
                     .arg(serials.isEmpty()
                              ? QString()
                              : QStringLiteral(": serial ") + serials.join(QStringLiteral(", "))));
    }
    for (const QString& problem : session.shutdown()) printErr(problem);
    return allStored ? 0 : 1;
}

}  // namespace springtest
