#include "cli/ExportCommand.h"
#include "session/ApplicationFolder.h"
#include "support/LateralBatch.h"
#include "support/PngPicture.h"
#include "support/TempAppDir.h"
#include "workbook/Workbook.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace springtest;
using namespace springtest::testing;

namespace {

// A lateral-stiffness machine's application folder with batch H1 of two axial tests with both strokes.
struct LateralFolder {
    TempAppDir app;
    QString batch;
    int pictures = 0;  // how often the report asked for the load curve's picture
    LateralFolder() {
        initialiseApplicationFolder(app.path(), 5);
        batch = makeLateralBatch(app.path(), lateralScheme(true, 2, 1), "H1");
        QList<LateralStoredTest> tests;
        for (int serial : {1, 2}) {
            const QVariantMap forward{{"jinhuicheng", "进"},
                                      {"result1", QStringLiteral("1%1.00").arg(serial)}};
            const QVariantMap back{{"jinhuicheng", "回"}, {"result1", "9.50"}};
            QList<LateralSample> curve;
            for (int i = 0; i < serial + 2; ++i) curve << LateralSample{10.0 * i, 1.0 * i, 1, "0.01", "0.02"};
            tests << LateralStoredTest{serial, {forward, back}, curve, "张工", "45.00"};
        }
        if (batch.isEmpty() || !storeLateralTests(batch, tests)) qFatal("no batch");
    }
    int run(const QStringList& args) {
        return runExportCommand(app.path(), 5, args, [this](const ResultChart& chart) {
            ++pictures;
            // The picture is of the reported test's own curve: test 2 has four samples.
            return chart.series[ResultChart::Curve].points.size() == 4 ? pngPicture(200, 100) : QByteArray();
        });
    }
    QStringList written(const QString& pattern) const {
        return QDir(app.file("report")).entryList({pattern}, QDir::Files);
    }
};

}  // namespace

class TestLateralExport : public QObject {
    Q_OBJECT
private slots:
    void refusals_data();
    void refusals();
    void everyKindWritesItsFile_data();
    void everyKindWritesItsFile();
    void reportOfTheGivenTest();
};

void TestLateralExport::refusals_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("the leaf-spring record") << QStringList{"record", "--batch", "H1", "--test", "1"} << 2;
    QTest::newRow("a named report") << QStringList{"report", "--batch", "H1", "--name", "示例报表"} << 2;
    QTest::newRow("points without a test") << QStringList{"points", "--batch", "H1"} << 2;
    QTest::newRow("selected without tests") << QStringList{"selected", "--batch", "H1"} << 2;
    QTest::newRow("test not stored") << QStringList{"report", "--batch", "H1", "--test", "7"} << 1;
    QTest::newRow("no such batch") << QStringList{"all", "--batch", "H9"} << 1;
    QTest::newRow("bad separator") << QStringList{"csv", "--batch", "H1", "--separator", "tab"} << 2;
}

void TestLateralExport::refusals() {
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    LateralFolder f;
    QCOMPARE(f.run(args), exitCode);
    QVERIFY(f.written("*").isEmpty());
}

void TestLateralExport::everyKindWritesItsFile_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("pattern");
    QTest::newRow("all") << QStringList{"all", "--batch", "H1"} << "H1_全部_*.xlsx";
    QTest::newRow("selected") << QStringList{"selected", "--batch", "H1", "--tests", "2"} << "H1_选择_*.xlsx";
    QTest::newRow("points") << QStringList{"points", "--batch", "H1", "--test", "1"}
                            << "H1_采集数据_1_*.xlsx";
    QTest::newRow("results csv") << QStringList{"csv", "--batch", "H1"} << "H1_结果_*.csv";
    QTest::newRow("curve csv") << QStringList{"csv", "--batch", "H1", "--test", "2"} << "H1_采集数据_2_*.csv";
}

void TestLateralExport::everyKindWritesItsFile() {
    QFETCH(QStringList, args);
    QFETCH(QString, pattern);
    LateralFolder f;
    QCOMPARE(f.run(args), 0);
    QCOMPARE(f.written(pattern).size(), 1);
}

void TestLateralExport::reportOfTheGivenTest() {
    LateralFolder f;
    QCOMPARE(f.run({"report", "--batch", "H1", "--test", "2"}), 0);
    QCOMPARE(f.pictures, 1);
    const QStringList written = f.written("H1_横向报表_2_*.xlsx");
    QCOMPARE(written.size(), 1);
    Workbook book;
    QCOMPARE(book.open(QDir(f.app.file("report")).filePath(written.first())), QString());
    QCOMPARE(book.activeSheet(), 3);  // both strokes
    QCOMPARE(book.cellText(4, 2), QStringLiteral("2"));
    QCOMPARE(book.cellText(36, 4), QStringLiteral("12"));
    QCOMPARE(book.cellText(36, 5), QStringLiteral("9.5"));
}

QTEST_GUILESS_MAIN(TestLateralExport)
#include "tst_lateral_export.moc"
