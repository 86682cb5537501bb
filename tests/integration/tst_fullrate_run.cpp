// A test run through the command line on the simulated machine with the full-rate curve on: every reading of
// the test is stored with it, each load where the simulated spring puts it for that reading's displacement.

#include "platform/ProfileFile.h"
#include "session/MachineConfig.h"
#include "storage/Database.h"
#include "storage/FullRateCurve.h"
#include "support/ProgramRun.h"
#include "support/TempAppDir.h"

#include <QtTest>

#include <cmath>

using namespace springtest;
using springtest::testing::runSpringtest;
using springtest::testing::TempAppDir;

class TestFullRateRun : public QObject {
    Q_OBJECT
private slots:
    void everyReadingIsStored_data();
    void everyReadingIsStored();
};

void TestFullRateRun::everyReadingIsStored_data() {
    QTest::addColumn<bool>("option");   // --full-rate
    QTest::addColumn<bool>("setting");  // FullRateCurve=1 in the machine configuration
    QTest::newRow("--full-rate") << true << false;
    QTest::newRow("the machine's setting") << false << true;
    QTest::newRow("neither") << false << false;
}

void TestFullRateRun::everyReadingIsStored() {
    QFETCH(bool, option);
    QFETCH(bool, setting);
    const double rate = 10, freeHeight = 60;
    TempAppDir dir;
    QCOMPARE(springtest::testing::runProgram({"init", dir.path()}).exitCode, 0);
    ProfileFile sim(dir.file("simcard.ini"));
    QVERIFY(sim.writeString("card0", "noise_seed", "4711"));
    QVERIFY(sim.writeString("card0", "start_position_mm", "61"));
    QVERIFY(sim.writeString("card0", "rate_n_per_mm", QString::number(rate)));
    QVERIFY(sim.writeString("card0", "free_height_mm", QString::number(freeHeight)));
    if (setting) QVERIFY(writeFullRateCurve(dir.path(), true));
    QCOMPARE(runSpringtest(dir.path(), {"scheme", "add", "--name", "F", "--points", "58,56",
                                        "--initial-force", "0.5", "--return"})
                 .exitCode,
             0);
    QCOMPARE(runSpringtest(dir.path(), {"batch", "new", "--batch", "F", "--scheme", "F"}).exitCode, 0);
    QStringList run{"run", "--batch", "F", "--speed", "300", "--displacement", "61"};
    if (option) run << "--full-rate";
    const auto ran = runSpringtest(dir.path(), run);
    QVERIFY2(ran.exitCode == 0, qPrintable(ran.out + ran.err));

    Database db(dir.file("database/F.mdb"));
    const StoredFullRateCurve stored = readFullRateCurve(db, 1);
    QVERIFY2(stored.error.isEmpty(), qPrintable(stored.error));
    if (!option && !setting) {
        // Off by default: the batch stays as it always was.
        QVERIFY(!stored.curve);
        QVERIFY(db.columns("test_fullrate").isEmpty());
        return;
    }
    QVERIFY(stored.curve);
    const FullRateCurve& curve = *stored.curve;
    const auto rows = db.select("select count(*) as n from test_point where xuhao = 1");
    QVERIFY(rows && !rows->isEmpty());
    const int curveRows = rows->first().toInt("n");
    QVERIFY(curveRows > 10);
    // Many readings to each 100 ms row (about a hundred at the loop's pace; a slowed build still many).
    QVERIFY2(int(curve.size()) > 20 * curveRows,
             qPrintable(QString("%1 readings, %2 rows").arg(curve.size()).arg(curveRows)));

    int returns = 0;
    for (size_t i = 1; i < curve.size(); ++i) {
        const FullRateReading& r = curve[i];
        QVERIFY(r.time_s >= curve[i - 1].time_s);
        QVERIFY(r.stroke >= curve[i - 1].stroke);  // forward, then back
        if (r.stroke == 2) ++returns;
        if (r.displacement_mm > freeHeight - 0.1) continue;  // the spring barely touched
        // Load and displacement of one reading belong together: the spring's law holds reading by reading,
        // within the travel of a few readings and the converter's noise.
        const double travel = std::fabs(r.displacement_mm - curve[i - 1].displacement_mm);
        const double expected = rate * (freeHeight - r.displacement_mm);
        QVERIFY2(
            std::fabs(std::fabs(r.load) - expected) <= rate * (3 * travel + 0.02) + 0.3,
            qPrintable(QString("reading %1: load %2 at %3 mm").arg(i).arg(r.load).arg(r.displacement_mm)));
    }
    QVERIFY(returns > 0);
    QCOMPARE(curve.front().stroke, 1);
}

QTEST_GUILESS_MAIN(TestFullRateRun)
#include "tst_fullrate_run.moc"
