#include "results/CurveArea.h"
#include "results/ReportNames.h"
#include "storage/Schema.h"
#include "support/TempAppDir.h"

#include <QtTest>

using namespace springtest;
using springtest::testing::TempAppDir;

class TestReportSettings : public QObject {
    Q_OBJECT
private slots:
    void reportNamesSaveOpenDelete();
    void curveArea_data();
    void curveArea();
    void stepsAsStored();
};

void TestReportSettings::reportNamesSaveOpenDelete() {
    TempAppDir dir;
    QVERIFY(ensureDatabaseFiles(dir.path(), 0).error.isEmpty());
    const QString db = schemeDatabasePath(dir.path());
    int asked = 0;
    auto no = [&](const QString& q) {
        ++asked;
        return q == "该报表名称已经存在，是否覆盖!!" ? false : true;
    };
    QCOMPARE(saveReportName(db, {"", "A9", true}, no).messages, QStringList{"报表名称不能为空!!"});
    QVERIFY(saveReportName(db, {"出厂报告", "A9", true}, no).changed);
    QCOMPARE(reportNames(db), QStringList{"出厂报告"});
    QVERIFY(!saveReportName(db, {"出厂报告", "B2", false}, no).changed);  // "No" leaves it
    QCOMPARE(asked, 1);
    auto loaded = loadReportName(db, "出厂报告");
    QVERIFY(loaded);
    QCOMPARE(loaded->chartRange, QString("A9"));
    QVERIFY(loaded->chartFlag);
    QVERIFY(saveReportName(db, {"出厂报告", "B2", false}, [](const QString&) { return true; }).changed);
    QCOMPARE(loadReportName(db, "出厂报告")->chartRange, QString("B2"));
    QCOMPARE(reportNames(db), QStringList{"出厂报告"});  // overwritten, not added twice
    QVERIFY(!loadReportName(db, "nobody's"));
    QCOMPARE(deleteReportName(db, "nobody's").messages, QStringList{"该报表名称已经删除!!"});
    QVERIFY(deleteReportName(db, "出厂报告").changed);
    QVERIFY(reportNames(db).isEmpty());
}

void TestReportSettings::curveArea_data() {
    QTest::addColumn<QStringList>("fields");   // xMin xMax xStep yMin yMax yStep
    QTest::addColumn<QList<double>>("axes");   // bottom min max step, left min max step
    QTest::addColumn<QList<double>>("steps");  // x and y as applied and as read back from the file
    QTest::addColumn<QString>("message");
    QTest::newRow("empty minimum means 0")
        << QStringList{"", "50", "0.5", "10", "110", "5"} << QList<double>{0, 50, 5, 10, 110, 10}
        << QList<double>{0.5, 5} << "";
    QTest::newRow("maximum below minimum as typed")
        << QStringList{"20", "10", "1", "0", "1", "1"} << QList<double>{20, 10, -1, 0, 1, 0.1}
        << QList<double>{1, 1} << "";
    QTest::newRow("empty maximum keeps the axes, stores the steps")
        << QStringList{"0", "", "0.5", "0", "100", "5"} << QList<double>{1, 2, 0.1, 3, 4, 0.1}
        << QList<double>{0.5, 5} << "最大值不能为空!!!";
    QTest::newRow("a maximum that is no number stops at once")
        << QStringList{"0", "abc", "0.5", "0", "100", "5"} << QList<double>{1, 2, 0.1, 3, 4, 0.1}
        << QList<double>{2, 2} << "'abc' is not a valid floating point value";
    QTest::newRow("the Y minimum: the X axis stays set")
        << QStringList{"0", "50", "0.5", "y", "100", "5"} << QList<double>{0, 50, 5, 3, 4, 0.1}
        << QList<double>{2, 2} << "'y' is not a valid floating point value";
    QTest::newRow("the Y step: the X step stays stored, the text is not")
        << QStringList{"0", "50", "0.5", "0", "100", "x"} << QList<double>{0, 50, 5, 0, 100, 10}
        << QList<double>{0.5, 2} << "'x' is not a valid floating point value";
}

void TestReportSettings::curveArea() {
    QFETCH(QStringList, fields);
    QFETCH(QList<double>, axes);
    QFETCH(QList<double>, steps);
    QFETCH(QString, message);
    TempAppDir dir;
    ResultChart chart;
    chart.bottom = {1, 2, 0.1};
    chart.left = {3, 4, 0.1};
    AxisSteps applied;
    const auto out = applyCurveArea(
        dir.path(), {fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]}, chart, applied);
    QCOMPARE(out.messages, message.isEmpty() ? QStringList{} : QStringList{message});
    QCOMPARE(chart.bottom.min, axes[0]);
    QCOMPARE(chart.bottom.max, axes[1]);
    QCOMPARE(chart.bottom.step, axes[2]);
    QCOMPARE(chart.left.min, axes[3]);
    QCOMPARE(chart.left.max, axes[4]);
    QCOMPARE(chart.left.step, axes[5]);
    QCOMPARE(applied.x, steps[0]);
    QCOMPARE(applied.y, steps[1]);
    QCOMPARE(readAxisSteps(dir.path()).x, steps[0]);
    QCOMPARE(readAxisSteps(dir.path()).y, steps[1]);
    QVERIFY(!storedStepText(dir.path(), false).contains('x'));
}

void TestReportSettings::stepsAsStored() {
    TempAppDir dir;
    QCOMPARE(storedStepText(dir.path(), true), QString("2"));
    QCOMPARE(readAxisSteps(dir.path()).x, 2.0);
    dir.write("init.ini", "[坐标范围]\nX轴按钮调节量=0.5\nY轴按钮调节量=abc\n");
    QCOMPARE(storedStepText(dir.path(), true), QString("0.5"));
    QCOMPARE(readAxisSteps(dir.path()).x, 0.5);
    QCOMPARE(readAxisSteps(dir.path()).y, 2.0);  // not a number reads as 2
}

QTEST_GUILESS_MAIN(TestReportSettings)
#include "tst_report_settings.moc"
