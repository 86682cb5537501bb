#include "results/FullRateReplay.h"
#include "results/StoredDate.h"
#include "results/TestCertificate.h"
#include "storage/Database.h"
#include "storage/FullRateCurve.h"
#include "storage/Schemes.h"
#include "storage/TestOperator.h"
#include "support/BatchMaker.h"
#include "support/PdfText.h"
#include "support/TempAppDir.h"

#include <QtTest>

using namespace springtest;
using namespace springtest::testing;

namespace {

// Two points with load limits, stiffness limits 9 … 11 N/mm, the solid height measured.
StandardScheme limitedScheme(int points = 2, int strokes = 1) {
    StandardScheme s;
    s.scheme_name = QStringLiteral("压簧A-01");
    s.scheme_style = QStringLiteral("0");
    s.scheme_jh = strokes;
    s.scheme_sum = QString::number(points);
    for (int k = 0; k < points; ++k)
        s.points[static_cast<size_t>(k)] = {QString::number(50 - 5 * k), QString::number(110 + 50 * k),
                                            QString::number(90 + 50 * k)};
    s.scheme_gangdu_max = QStringLiteral("11");
    s.scheme_gangdu_min = QStringLiteral("9");
    s.scheme_yb = true;
    return s;
}

ReportContext context() {
    ReportContext c;
    c.lab = {QStringLiteral("华东弹簧检测中心"), QStringLiteral("上海市闵行区东川路 800 号")};
    c.machine = QStringLiteral("微机控制弹簧拉压测试系统");
    c.card = QStringLiteral("RX720");
    c.units = {QStringLiteral("N"), QStringLiteral("mm")};
    return c;
}

StoredTest storedTest(int serial, const QStringList& results, const QStringList& stiffness,
                      const QString& stroke = QStringLiteral("进"), int samples = 5) {
    StoredTest t{serial,
                 {{"jinhuicheng", stroke},
                  {"height", "59.90"},
                  {"yb_height", "29.98"},
                  {"date", "2024-05-06 10:11:12.000"}},
                 {}};
    for (int k = 0; k < results.size(); ++k)
        t.result.insert(QStringLiteral("result%1").arg(k + 1), results[k]);
    for (int k = 0; k < stiffness.size(); ++k)
        t.result.insert(QStringLiteral("gangdu%1").arg(k + 1), stiffness[k]);
    if (stroke == QStringLiteral("进")) t.curve = serialCurve(serial, samples);
    return t;
}

}  // namespace

class TestTestCertificate : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void verdicts_data();
    void verdicts();
    void pdfReadsBack_data();
    void pdfReadsBack();
    void fullSchemeStaysOnOnePage();
    void fullRateCurveIsPrinted_data();
    void fullRateCurveIsPrinted();
    void refusals();
    void storedDates_data();
    void storedDates();
    void neverWritesOverAFile();
};

void TestTestCertificate::initTestCase() {
    if (!havePdfReader())
        QSKIP("pdftotext/pdfinfo (poppler-utils) are not installed: scripts/install-deps.sh");
}

void TestTestCertificate::verdicts_data() {
    QTest::addColumn<QString>("measured");
    QTest::addColumn<double>("upper");
    QTest::addColumn<double>("lower");
    QTest::addColumn<bool>("hasLimits");
    QTest::addColumn<QString>("verdict");
    QTest::newRow("within") << "100.0" << 110.0 << 90.0 << true << "合格";
    QTest::newRow("at the upper limit") << "110.00" << 110.0 << 90.0 << true << "合格";
    QTest::newRow("at the lower limit") << "90" << 110.0 << 90.0 << true << "合格";
    QTest::newRow("above") << "110.01" << 110.0 << 90.0 << true << "不合格";
    QTest::newRow("below") << "89.99" << 110.0 << 90.0 << true << "不合格";
    QTest::newRow("no limits") << "500" << 0.0 << 0.0 << false << "";
    QTest::newRow("not measured") << "" << 110.0 << 90.0 << true << "";
    QTest::newRow("no number") << "abc" << 110.0 << 90.0 << true << "";
}

void TestTestCertificate::verdicts() {
    QFETCH(QString, measured);
    QFETCH(double, upper);
    QFETCH(double, lower);
    QFETCH(bool, hasLimits);
    QFETCH(QString, verdict);
    QCOMPARE(judgedText(measured, upper, lower, hasLimits), verdict);
}

void TestTestCertificate::pdfReadsBack_data() {
    QTest::addColumn<QStringList>("results");
    QTest::addColumn<QStringList>("stiffness");
    QTest::addColumn<QString>("operatorName");  // none: a batch from before operators were recorded
    QTest::addColumn<QStringList>("lines");     // lines the extracted text must hold, in this order
    QTest::addColumn<QString>("overall");

    QTest::newRow("within limits") << QStringList{"99.90", "149.90"} << QStringList{"10.09", "10.00"}
                                   << "张工"
                                   << QStringList{"测试点1 进 50 110 90 99.90 合格 10.09 合格",
                                                  "测试点2 进 45 160 140 149.90 合格 10.00 合格"}
                                   << "合格";
    QTest::newRow("a point below its limit")
        << QStringList{"89.50", "149.90"} << QStringList{"10.09", "10.00"} << "李四"
        << QStringList{"测试点1 进 50 110 90 89.50 不合格 10.09 合格"} << "不合格";
    QTest::newRow("a stiffness above its limit")
        << QStringList{"99.90", "149.90"} << QStringList{"11.20", "10.00"} << "李四"
        << QStringList{"测试点1 进 50 110 90 99.90 合格 11.20 不合格"} << "不合格";
    // A point the test did not reach proves nothing: no verdict for it, and none for the spring.
    QTest::newRow("a point not reached") << QStringList{"99.90", ""} << QStringList{"10.09", ""} << "李四"
                                         << QStringList{"测试点2 进 45 160 140 — — — —"} << "未判定";
    QTest::newRow("stored before operators were recorded")
        << QStringList{"99.90", "149.90"} << QStringList{"10.09", "10.00"} << QString() << QStringList{}
        << "合格";
}

void TestTestCertificate::pdfReadsBack() {
    QFETCH(QStringList, results);
    QFETCH(QStringList, stiffness);
    QFETCH(QString, operatorName);
    QFETCH(QStringList, lines);
    QFETCH(QString, overall);
    TempAppDir dir;
    const QString batch = makeBatch(dir, limitedScheme());
    QVERIFY(!batch.isEmpty());
    QVERIFY(
        storeTests(batch, {storedTest(1, {"100", "150"}, {"10", "10"}), storedTest(2, results, stiffness)}));
    if (!operatorName.isEmpty()) {
        Database db(batch);
        QVERIFY(storeTestOperator(db, 1, QStringLiteral("someone else")));
        QVERIFY(storeTestOperator(db, 2, operatorName));
    }

    QString error;
    const auto certificate = readTestCertificate(batch, 2, context(), &error);
    QVERIFY2(certificate, qPrintable(error));
    QCOMPARE(certificate->verdict, overall);
    QCOMPARE(certificate->curve.points.size(), 5);
    const QByteArray pdf = certificatePdf(*certificate, &error);
    QVERIFY2(!pdf.isEmpty(), qPrintable(error));
    const QString file = dir.file("certificate.pdf");
    QCOMPARE(writePdfFile(file, pdf), QString());

    QCOMPARE(pdfPageCount(file), 1);
    const QString text = pdfText(file);
    QStringList expected{"华东弹簧检测中心",
                         "上海市闵行区东川路 800 号",
                         "设备 Machine 微机控制弹簧拉压测试系统 采集卡 Card RX720",
                         "方案 Scheme 压簧A-01 批次 Batch B1",
                         "序号 Serial 2 操作员 Operator " + (operatorName.isEmpty() ? "—" : operatorName),
                         "试验时间 Tested 2024-05-06 10:11:12",
                         "刚度上限 11 N/mm 刚度下限 9 N/mm",
                         "测试点 行程 设定值(mm) 上限(N) 下限(N) 实测值(N) 判定 刚度(N/mm) 判定"};
    expected << lines
             << QStringList{"弹簧高度 Free height 59.90 mm 压并高度 Solid height 29.98 mm",
                            "总判定 Overall verdict: " + overall, "位移(mm)", "负荷(N)", "检验 Tested by"};
    const QString missing = firstMissingInOrder(text, expected);
    QVERIFY2(missing.isEmpty(),
             qPrintable(QStringLiteral("'%1' not found in order in:\n%2").arg(missing, text)));
    QVERIFY(!text.contains(QStringLiteral("someone else")));
}

// Ten points on both strokes and a long curve: the most a standard scheme holds still fits one page, and the
// curve is drawn reduced, not point by point.
void TestTestCertificate::fullSchemeStaysOnOnePage() {
    TempAppDir dir;
    const QString batch = makeBatch(dir, limitedScheme(10, 2));
    QStringList results, stiffness;
    for (int k = 1; k <= 10; ++k) {
        results << QString::number(100 + 50 * (k - 1)) + QStringLiteral(".00");
        stiffness << QStringLiteral("10.00");
    }
    QVERIFY(storeTests(batch, {storedTest(1, results, stiffness, QStringLiteral("进"), 0),
                               storedTest(1, results, stiffness, QStringLiteral("回"))}));
    {
        // A minute at a thousand readings a second, stored in one go as a test is.
        Database db(batch);
        Transaction tx(db);
        for (int i = 1; i <= 60000; ++i)
            QVERIFY(db.insertRow("test_point", {{"xuhao", 1},
                                                {"number", i},
                                                {"load", QString::number(i * 0.01 + (i % 7) * 0.3, 'f', 2)},
                                                {"weiyi", QString::number(60 - i * 0.0005, 'f', 4)},
                                                {"bianxing", QString::number(i * 0.0005, 'f', 4)},
                                                {"jinhuicheng", "1"}}));
        QVERIFY(tx.commit());
    }
    QString error;
    const auto certificate = readTestCertificate(batch, 1, context(), &error);
    QVERIFY2(certificate, qPrintable(error));
    QCOMPARE(certificate->points.size(), 20);
    QCOMPARE(certificate->curve.points.size(), 60000);
    const QByteArray pdf = certificatePdf(*certificate, &error);
    QVERIFY(!pdf.isEmpty());
    QVERIFY2(pdf.size() < 400 * 1024, qPrintable(QString::number(pdf.size())));
    const QString file = dir.file("full.pdf");
    QCOMPARE(writePdfFile(file, pdf), QString());
    QCOMPARE(pdfPageCount(file), 1);
    const QString text = pdfText(file);
    QVERIFY(text.contains(QStringLiteral("测试点10 回 5 560 540 550.00 合格 10.00 合格")));
    QVERIFY(text.contains(QStringLiteral("检验 Tested by")));
}

void TestTestCertificate::fullRateCurveIsPrinted_data() {
    QTest::addColumn<QString>("blob");  // "curve", "damaged"
    QTest::newRow("a minute of readings") << "curve";
    QTest::newRow("a damaged recording") << "damaged";
}

void TestTestCertificate::fullRateCurveIsPrinted() {
    QFETCH(QString, blob);
    TempAppDir dir;
    const QString batch = makeBatch(dir, limitedScheme());
    QVERIFY(storeTests(batch, {storedTest(1, {"100", "150"}, {"10", "10"})}));
    {
        FullRateCurve curve;
        for (int i = 0; i < 60000; ++i)
            curve.push_back({i * 0.001f, -(i * 0.01f + (i % 7) * 0.3f), 60 - i * 0.0005f, i * 0.0005f, 1});
        Database db(batch);
        QVERIFY(storeFullRateCurve(db, 1, curve));
        if (blob == "damaged") QVERIFY(db.exec("UPDATE test_fullrate SET curve = substr(curve, 1, 100)"));
    }
    QString error;
    const auto certificate = readTestCertificate(batch, 1, context(), &error);
    if (blob == "damaged") {
        // Said, not passed over: the certificate would otherwise show a coarser curve than the test recorded.
        QVERIFY(!certificate);
        QVERIFY2(error.startsWith(kFullRateCurveUnreadable), qPrintable(error));
        return;
    }
    QVERIFY2(certificate, qPrintable(error));
    // Every reading, not the 5 rows of 100 ms; the load by its magnitude, as the rows hold it.
    QCOMPARE(certificate->curve.points.size(), 60000);
    QCOMPARE(certificate->curve.points[7], QPointF(60 - 7 * 0.0005f, 7 * 0.01f));
    const QByteArray pdf = certificatePdf(*certificate, &error);
    QVERIFY2(!pdf.isEmpty(), qPrintable(error));
    QVERIFY2(pdf.size() < 400 * 1024, qPrintable(QString::number(pdf.size())));
    const QString file = dir.file("full.pdf");
    QCOMPARE(writePdfFile(file, pdf), QString());
    QCOMPARE(pdfPageCount(file), 1);
}

void TestTestCertificate::refusals() {
    TempAppDir dir;
    const QString batch = makeBatch(dir, limitedScheme());
    QVERIFY(storeTests(batch, {storedTest(1, {"100", "150"}, {"10", "10"})}));
    QString error;
    QVERIFY(!readTestCertificate(batch, 9, context(), &error));
    QCOMPARE(error, QStringLiteral("test 9 is not in this batch"));
    QVERIFY(!readTestCertificate(dir.file("nothing.mdb"), 1, context(), &error));
    QVERIFY(error.contains(QStringLiteral("does not exist")));
    dir.write("garbage.mdb", "this is no database");
    QVERIFY(!readTestCertificate(dir.file("garbage.mdb"), 1, context(), &error));
    QVERIFY(error.startsWith(QStringLiteral("文件读取错误!!")));
}

void TestTestCertificate::storedDates_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("iso");
    QTest::newRow("as stored now") << "2024-05-06 10:11:12"
                                   << "2024-05-06 10:11:12";
    QTest::newRow("with milliseconds") << "2024-05-06 10:11:12.345"
                                       << "2024-05-06 10:11:12";
    QTest::newRow("ISO with T") << "2024-05-06T10:11:12"
                                << "2024-05-06 10:11:12";
    QTest::newRow("C locale, as rows used to be dated") << "6 May 2024 10:11:12 UTC"
                                                        << "2024-05-06 10:11:12";
    QTest::newRow("no date: kept as stored") << "昨天下午"
                                             << "昨天下午";
    QTest::newRow("empty") << ""
                           << "";
}

void TestTestCertificate::storedDates() {
    QFETCH(QString, stored);
    QFETCH(QString, iso);
    QCOMPARE(isoDateTimeText(stored), iso);
}

void TestTestCertificate::neverWritesOverAFile() {
    TempAppDir dir;
    dir.write("kept.pdf", "an earlier certificate");
    QVERIFY(!writePdfFile(dir.file("kept.pdf"), "%PDF-new").isEmpty());
    QCOMPARE(dir.read("kept.pdf"), QByteArray("an earlier certificate"));
}

QTEST_MAIN(TestTestCertificate)
#include "tst_test_certificate.moc"
