#include "cli/RecordExportCommand.h"
#include "results/LeafReportSettings.h"
#include "session/ApplicationFolder.h"
#include "support/LeafBatch.h"
#include "support/PngPicture.h"
#include "support/TempAppDir.h"
#include "support/WorkbookReader.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QtTest>

using namespace springtest;
using namespace springtest::testing;

namespace {

// A leaf-spring machine's application folder with batch G1 of tests 1 and 2, and the record's settings.
struct RecordFolder {
    TempAppDir app;
    QString batch;
    int pictures = 0;  // how often the record asked for the chart's picture
    RecordFolder() {
        initialiseApplicationFolder(app.path(), 3);
        LeafSpringScheme s;
        s.scheme_name = "L";
        s.scheme_sum = "3";
        for (int k = 0; k < 3; ++k) s.points[static_cast<size_t>(k)].value = QString::number(k + 1);
        batch = makeLeafBatch(app.path(), s, "G1");
        QList<LeafStoredTest> tests;
        for (int serial : {1, 2}) {
            QList<QVariantMap> curve;
            for (int i = 1; i <= 5; ++i)
                curve << QVariantMap{
                    {"number", i}, {"load", QString::number(i)}, {"bianxing", QString::number(10 * i)}};
            tests << LeafStoredTest{serial,
                                    {{"result1-2", "20"},
                                     {"result2-2", "20"},
                                     {"ziyou_height", QString::number(100 + serial)},
                                     {"yahou_height", "100"}},
                                    curve};
        }
        if (batch.isEmpty() || !storeLeafTests(batch, tests)) qFatal("no batch");
        LeafReportSettings settings;
        settings[ReportField::StiffnessNominal] = "100";
        settings[ReportField::StiffnessTolerance] = "5";
        writeLeafReportSettings(app.path(), settings);
    }
    int run(const QStringList& args) {
        return runRecordExport(app.path(), 3, args, [this](const ResultChart& chart) {
            ++pictures;
            return chart.series[ResultChart::Curve].points.size() == 5 ? pngPicture(200, 100) : QByteArray();
        });
    }
    QStringList written() const { return QDir(app.file("report")).entryList({"*.xlsx"}, QDir::Files); }
};

}  // namespace

class TestRecordExport : public QObject {
    Q_OBJECT
private slots:
    void refusals_data();
    void refusals();
    void recordOfTheGivenTest();
};

void TestRecordExport::refusals_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("no test") << QStringList{"--batch", "G1"} << 2;
    QTest::newRow("no batch") << QStringList{"--test", "1"} << 2;
    QTest::newRow("test not stored") << QStringList{"--batch", "G1", "--test", "7"} << 1;
    QTest::newRow("no such batch") << QStringList{"--batch", "G9", "--test", "1"} << 1;
    QTest::newRow("unknown option") << QStringList{"--batch", "G1", "--test", "1", "--name", "x"} << 2;
}

void TestRecordExport::refusals() {
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    RecordFolder folder;
    QCOMPARE(folder.run(args), exitCode);
    QCOMPARE(folder.written(), QStringList{});
}

void TestRecordExport::recordOfTheGivenTest() {
    if (pythonWithOpenpyxl().isEmpty()) QSKIP("python3 with openpyxl is needed to read the record back");
    RecordFolder folder;
    QCOMPARE(folder.run({"--batch", "G1", "--test", "2"}), 0);
    QCOMPARE(folder.pictures, 1);
    QCOMPARE(folder.written().size(), 1);
    const QJsonObject book = readWorkbook(SPRINGTEST_WORKBOOK_READER,
                                          QDir(folder.app.file("report")).filePath(folder.written().first()));
    const QJsonObject sheet = book["cells"].toObject()["性能试验记录"].toObject();
    const auto v = [&](const char* address) { return sheet[address].toObject()["v"].toString(); };
    QCOMPARE(v("F41"), QString("102"));
    QCOMPARE(v("F44"), QString("2.00"));
    // 2 kN over 20 mm: 100 N/mm, inside 100 ± 5.
    QCOMPARE(v("F43"), QString("100.00"));
    QCOMPARE(v("I43"), QString("合格"));
    QCOMPARE(book["images"].toObject()["性能试验记录"].toArray().size(), 1);
}

QTEST_MAIN(TestRecordExport)
#include "tst_record_export.moc"
