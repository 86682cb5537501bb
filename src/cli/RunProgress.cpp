#include "cli/RunProgress.h"

#include "cli/ConsoleOutput.h"
#include "platform/OperatorTexts.h"
#include "sequencer/PointReadout.h"
#include "sequencer/TTestStyle.h"
#include "sequencer/TestStateText.h"
#include "sequencer/procedures/StandardStorage.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

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
    if (state == TestState::Started) m_started << m_sequencer.testSerial();
    if (state == TestState::PointCaptured) {
        printCapturedPoint();
        return;
    }
    if (state == TestState::StoreFailed) m_lastStoreError = m_sequencer.lastStoreError();
    printState();
    if (state == TestState::Stored) {
        m_stored << reportStoredTest(m_sequencer.storingTest(), m_sequencer.machineType() == 3);
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
    if (m_json)
        emitJson(QJsonObject{
            {"event", "point"}, {"serial", m_sequencer.testSerial()}, {"data", pointJson(k, target, point)}});
    else
        printOut(pointLine(QStringLiteral("point"), k, target, point));
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
    } else {
        QString heights = QStringLiteral("  free height %1 mm").arg(orDash(test.freeHeight));
        if (!test.solidHeight.isEmpty())
            heights += QStringLiteral("  solid height %1 mm").arg(test.solidHeight);
        printOut(heights);
    }
    for (int k = 1; k <= test.returnPoints.size(); ++k)
        printOut(pointLine(QStringLiteral("return point"), k, test.target(k), test.returnPoints[k - 1]));
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
    const int exitCode =
        runExitCode(endedByItself && !m_overloaded, static_cast<int>(m_started.size()), m_stored);
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
        emitJson(QJsonObject{{"event", "summary"},
                             {"batch", batchPath},
                             {"started", static_cast<int>(m_started.size())},
                             {"stored", stored},
                             {"tests", tests},
                             {"ok", exitCode == 0 || exitCode == kExitOutsideLimits},
                             {"within_limits", exitCode == 0},
                             {"exit_code", exitCode}});
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
}

}  // namespace springtest
