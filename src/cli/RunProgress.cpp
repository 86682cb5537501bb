#include "cli/RunProgress.h"

#include "cli/ConsoleOutput.h"
#include "measurement/TDisplacement.h"
#include "platform/NumberFormat.h"
#include "platform/OperatorTexts.h"
#include "sequencer/PointReadout.h"
#include "sequencer/TTestStyle.h"
#include "sequencer/TestStateText.h"
#include "sequencer/procedures/StandardStorage.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <optional>

namespace springtest {

namespace {

void emitJson(const QJsonObject& o) {
    printOut(QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)));
}

QString orDash(const QString& text) {
    return text.isEmpty() ? QStringLiteral("-") : text;
}

QString pointLine(const QString& stroke, int k, double target, const PointReadout& point) {
    QString line = QStringLiteral("  %1 %2 at %3: %4  stiffness %5")
                       .arg(stroke)
                       .arg(k)
                       .arg(schemeNumberText(target), orDash(point.value), orDash(point.stiffness));
    QString verdicts = verdictText(point.valueVerdict);
    if (point.stiffnessVerdict != Verdict::None)
        verdicts += QStringLiteral(" / 刚度") + verdictText(point.stiffnessVerdict);
    if (!verdicts.isEmpty()) line += QStringLiteral("  ") + verdicts;
    return line;
}

void appendOffset(QString& line, const PointOffset& offset) {
    line += QStringLiteral("  X %1  Y %2  offset %3")
                .arg(orDash(offset.x), orDash(offset.y), orDash(offset.offset));
}

bool isTurntableState(TestState state) {
    return state == TestState::TurntableStarted || state == TestState::TurntableRefused ||
           state == TestState::TurntablePositioned;
}

// As the lateral control panel's status bar shows them.
QString turntableStateText(TestState state) {
    return state == TestState::TurntableStarted ? QStringLiteral("试验状态：定位开始")
                                                : QStringLiteral("试验状态：定位停止");
}

const QString kTurntableRefused = QStringLiteral("轴向负荷在受力状态，转盘不能进行旋转！！");

}  // namespace

RunProgress::RunProgress(TTestStyle& sequencer, const CardSlot& card, bool json)
    : m_sequencer(sequencer), m_card(card), m_json(json) {}

void RunProgress::onTestState() {
    const TestState state = m_sequencer.state();
    // A leaf spring is pressed several times in one test, each pressing starting anew.
    if (state == TestState::Started && m_sequencer.cycle() > 1) {
        printPressing();
        return;
    }
    if (isTurntableState(state)) {
        printTurntable(state);
        return;
    }
    if (state == TestState::Started) m_started << m_sequencer.testSerial();
    if (state == TestState::PointCaptured) {
        printCapturedPoint();
        return;
    }
    if (state == TestState::StoreFailed) m_lastStoreError = m_sequencer.lastStoreError();
    printState();
    if (state == TestState::Stored) {
        m_stored << (lateralMachine()
                         ? reportStoredLateralTest(m_sequencer.storingTest())
                         : reportStoredTest(m_sequencer.storingTest(), m_sequencer.machineType() == 3));
        printStoredTest(m_stored.last());
    }
}

void RunProgress::onOverload() {
    m_overloaded = true;
    if (m_sequencer.running()) {
        m_sequencer.StopTest();
        printErr(kOverloadStoppedTheTest);
    } else {
        printErr(kOverloadTripped);
    }
}

void RunProgress::printCapturedPoint() {
    const ttest_info scheme = m_sequencer.scheme();
    const int k = m_sequencer.pointIndex();
    const PointReadout point =
        readPoint(m_sequencer.results(), scheme, m_sequencer.stroke(), k, readoutFormat(m_card));
    const double target = scheme.points.value(k - 1);
    const int stroke = m_sequencer.stroke();
    // The top of an axially pressed spring moves sideways on the lateral machine: where to, at each point.
    std::optional<PointOffset> offset;
    if (lateralMachine() && scheme.scheme_type && stroke == 1)
        offset = readPointOffset(m_sequencer.results(), k, lateralDecimals());
    if (m_json) {
        QJsonObject data = pointJson(k, target, point);
        if (offset) addOffsetJson(data, *offset);
        emitJson(QJsonObject{
            {"event", "point"}, {"serial", m_sequencer.testSerial()}, {"stroke", stroke}, {"data", data}});
        return;
    }
    QString line = pointLine(
        lateralMachine() && stroke == 2 ? QStringLiteral("stroke 2 point") : QStringLiteral("point"), k,
        target, point);
    if (offset) appendOffset(line, *offset);
    printOut(line);
}

void RunProgress::printTurntable(TestState state) {
    if (state == TestState::TurntablePositioned) ++m_turntablePositioned;
    if (state == TestState::TurntableRefused) {
        ++m_turntableRefused;
        printErr(kTurntableRefused);
    }
    QString text = testStateText(state, m_sequencer.IsAutoRepeat(), m_sequencer.repeatCount(),
                                 m_sequencer.repeatsDone());
    if (text.isEmpty()) text = turntableStateText(state);
    // Where the turntable stopped, as its angle channel reads it.
    const CardTables& cards = m_sequencer.cards();
    const TDisplacement* turntable = cards.count > 2 ? cards.cards[2].displacement.get() : nullptr;
    const bool stopped = state == TestState::TurntablePositioned && turntable;
    if (m_json) {
        QJsonObject e{{"event", "turntable"},
                      {"state", static_cast<int>(state)},
                      {"text", text},
                      {"serial", m_sequencer.testSerial()}};
        if (stopped) e.insert("angle", static_cast<double>(turntable->displacement()));
        if (state == TestState::TurntableRefused) e.insert("error", kTurntableRefused);
        emitJson(e);
        return;
    }
    QString line = QStringLiteral("[%1] %2").arg(static_cast<int>(state)).arg(text);
    if (stopped)
        line += QStringLiteral("  turntable at %1°")
                    .arg(FormatByDecimals(turntable->decimals(), turntable->displacement()));
    printOut(line);
}

bool RunProgress::lateralMachine() const {
    return m_sequencer.machineType() == 5;
}

LateralDecimals RunProgress::lateralDecimals() const {
    LateralDecimals decimals;
    const CardTables& cards = m_sequencer.cards();
    if (cards.count > 3 && cards.cards[3].displacement) decimals.x = cards.cards[3].displacement->decimals();
    if (cards.count > 1 && cards.cards[1].displacement) decimals.y = cards.cards[1].displacement->decimals();
    return decimals;
}

void RunProgress::printStoredTest(const StoredTestReport& test) {
    if (m_json) {
        QJsonObject event = storedTestJson(test);
        event.insert("event", "result");
        emitJson(event);
        return;
    }
    if (test.arcHeights) {
        printOut(
            QStringLiteral("  height at contact %1 mm  free arc height %2 mm  arc height after pressing %3 "
                           "mm  arc height at the set load %4 mm")
                .arg(orDash(test.freeHeight), orDash(test.arcHeights->free),
                     orDash(test.arcHeights->afterPressing), orDash(test.arcHeights->atSetLoad)));
    } else if (!test.lateralTest) {
        QString heights = QStringLiteral("  free height %1 mm").arg(orDash(test.freeHeight));
        if (!test.solidHeight.isEmpty())
            heights += QStringLiteral("  solid height %1 mm").arg(test.solidHeight);
        printOut(heights);
    }
    // A lateral test's second stroke was told point by point as it was pushed.
    if (!test.lateralTest)
        for (int k = 1; k <= test.returnPoints.size(); ++k)
            printOut(pointLine(QStringLiteral("return point"), k, test.target(k), test.returnPoints[k - 1]));
    if (test.offsets)
        printOut(test.offsets->angle_deg.isEmpty()
                     ? QStringLiteral("  offset angle: none, the spring's top did not move sideways")
                     : QStringLiteral("  offset angle %1°").arg(test.offsets->angle_deg));
}

void RunProgress::printPressing() {
    const int cycle = m_sequencer.cycle();
    const bool measuring = m_sequencer.inMeasuringCycle();
    if (m_json) {
        emitJson(QJsonObject{{"event", "pressing"},
                             {"cycle", cycle},
                             {"measuring", measuring},
                             {"serial", m_sequencer.testSerial()}});
        return;
    }
    printOut(measuring ? QStringLiteral("  pressing %1: the measuring cycle").arg(cycle)
                       : QStringLiteral("  pressing %1: pre-compression").arg(cycle));
}

void RunProgress::printState() {
    const TestState state = m_sequencer.state();
    const QString text = testStateText(state, m_sequencer.IsAutoRepeat(), m_sequencer.repeatCount(),
                                       m_sequencer.repeatsDone());
    if (m_json) {
        QJsonObject e{{"event", "state"},
                      {"state", static_cast<int>(state)},
                      {"text", text},
                      {"serial", m_sequencer.testSerial()}};
        if (state == TestState::StoreFailed) e.insert("error", m_lastStoreError);
        emitJson(e);
        return;
    }
    QString line = QStringLiteral("[%1] %2").arg(static_cast<int>(state)).arg(text);
    if (state == TestState::Started || state == TestState::Stored)
        line += QStringLiteral("  serial %1").arg(m_sequencer.testSerial());
    if (state == TestState::StoreFailed && !m_lastStoreError.isEmpty())
        line += QStringLiteral("  (") + m_lastStoreError + QLatin1Char(')');
    printOut(line);
}

int RunProgress::finish(const QString& batchPath, bool endedByItself) {
    int exitCode = runExitCode(endedByItself && !m_overloaded, static_cast<int>(m_started.size()), m_stored);
    if (m_turntableRefused > 0) exitCode = 1;
    printSummary(batchPath, exitCode);
    return exitCode;
}

void RunProgress::printSummary(const QString& batchPath, int exitCode) {
    QStringList serials;
    for (const StoredTestReport& t : m_stored) serials << QString::number(t.serial);
    if (m_json) {
        QJsonArray tests, stored;
        for (const StoredTestReport& t : m_stored) {
            tests.append(storedTestJson(t));
            stored.append(t.serial);
        }
        QJsonObject summary{{"event", "summary"},
                            {"batch", batchPath},
                            {"started", static_cast<int>(m_started.size())},
                            {"stored", stored},
                            {"tests", tests},
                            {"ok", exitCode == 0 || exitCode == kExitOutsideLimits},
                            {"within_limits", exitCode == 0},
                            {"exit_code", exitCode}};
        if (m_turntableExpected) {
            summary.insert("turntable_positioned", m_turntablePositioned);
            summary.insert("turntable_refused", m_turntableRefused);
        }
        emitJson(summary);
        return;
    }
    printOut(QStringLiteral("stored %1 of %2 test(s)%3")
                 .arg(m_stored.size())
                 .arg(m_started.size())
                 .arg(serials.isEmpty() ? QString()
                                        : QStringLiteral(": serial ") + serials.join(QStringLiteral(", "))));
    for (const StoredTestReport& t : m_stored) {
        const QStringList outside = outOfLimits(t);
        printOut(outside.isEmpty() ? QStringLiteral("  serial %1: within limits").arg(t.serial)
                                   : QStringLiteral("  serial %1: outside the limits: %2")
                                         .arg(t.serial)
                                         .arg(outside.join(QStringLiteral(", "))));
    }
    if (m_turntableExpected)
        printOut(QStringLiteral("turntable positioned %1 time(s), refused %2 time(s)")
                     .arg(m_turntablePositioned)
                     .arg(m_turntableRefused));
}

}  // namespace springtest
