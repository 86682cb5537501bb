#include <QtTest>

#include "storage/Batch.h"
#include "storage/Schema.h"
#include "storage/Schemes.h"
#include "support/TempAppDir.h"

using namespace springtest;
using springtest::testing::TempAppDir;

class TestSchemes : public QObject {
    Q_OBJECT
private slots:
    void standardSchemeRoundTrip_data();
    void standardSchemeRoundTrip();
    void leafSpringSchemeRoundTrip();
    void existenceIsExact_data();
    void existenceIsExact();
    void namesInTableOrder();
    void missingDatabaseIsAnError();
    void nextSerial_data();
    void nextSerial();
};

namespace {

StandardScheme scheme(const QString& name, int points) {
    StandardScheme s;
    s.scheme_name = name;
    s.scheme_style = "1";
    s.scheme_jh = 2;
    s.scheme_load = "5.0";
    s.scheme_sum = QString::number(points);
    for (int k = 1; k <= points; ++k) {
        s.points[k - 1] = {QString("%1.0").arg(10 * k), QString("%1.50").arg(100 * k), "0"};
    }
    s.scheme_gangdu_max = "12.30";
    s.scheme_gangdu_min = "0";
    s.scheme_type = false;
    s.scheme_yb = true;
    return s;
}

QString schemeDatabase(const TempAppDir& dir) {
    const QString path = dir.file("test_information.mdb");
    return createSchemeDatabase(path) ? path : QString();
}

}  // namespace

void TestSchemes::standardSchemeRoundTrip_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("points");
    QTest::newRow("ten points") << "S" << 10;
    QTest::newRow("three points leave the rest empty") << "S3" << 3;
    QTest::newRow("name with a quote") << "O'Brien's 'x'" << 2;
    QTest::newRow("Chinese name") << "压簧-1 (试验)" << 1;
}

void TestSchemes::standardSchemeRoundTrip() {
    QFETCH(QString, name);
    QFETCH(int, points);
    TempAppDir dir;
    const QString path = schemeDatabase(dir);
    const StandardScheme stored = scheme(name, points);
    QString error;
    QVERIFY(insertScheme(path, scheme("other", 1)));
    QVERIFY2(insertScheme(path, stored, &error), qPrintable(error));

    const std::optional<StandardScheme> loaded = loadStandardScheme(path, name, &error);
    QVERIFY2(loaded, qPrintable(error));
    QVERIFY(*loaded == stored);

    // Points beyond the count are empty in the file, not "" or 0.
    Database db(path);
    const auto rows = db.select("SELECT * FROM test_information WHERE scheme_name = ?", {name});
    QVERIFY(rows && rows->size() == 1);
    for (int k = 1; k <= 10; ++k) {
        QCOMPARE(rows->first().value(schemePointColumn(k)).isNull(), k > points);
        QCOMPARE(rows->first().value(schemePointMinColumn(k)).isNull(), k > points);
    }
    QVERIFY(rows->first().value("scheme_height").isNull());
}

void TestSchemes::leafSpringSchemeRoundTrip() {
    TempAppDir dir;
    const QString path = schemeDatabase(dir);
    LeafSpringScheme stored;
    stored.scheme_name = "GB 1";
    stored.scheme_load = "100";
    stored.points[0] = {"10.0", "1", "0"};
    stored.scheme_sdload = "2000.0";
    stored.scheme_th_height = "36.5";
    stored.scheme_xbbj = "20";
    stored.scheme_returnLOAD = "5000";
    QVERIFY(insertScheme(path, stored));
    QVERIFY(!loadStandardScheme(path, "GB 1"));
    const auto loaded = loadLeafSpringScheme(path, "GB 1");
    QVERIFY(loaded);
    QVERIFY(*loaded == stored);
    QVERIFY(schemeExists(path, SchemeTable::LeafSpring, "GB 1"));
    QVERIFY(!schemeExists(path, SchemeTable::Standard, "GB 1"));
}

void TestSchemes::existenceIsExact_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("exists");
    QTest::newRow("same") << "ABC" << true;
    QTest::newRow("other case") << "abc" << false;
    QTest::newRow("trailing blank") << "ABC " << false;
    QTest::newRow("prefix") << "AB" << false;
    QTest::newRow("with quote") << "it's" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("statement in the name") << "x' OR '1'='1" << false;
    QTest::newRow("wildcard") << "%" << false;
}

void TestSchemes::existenceIsExact() {
    QFETCH(QString, name);
    QFETCH(bool, exists);
    TempAppDir dir;
    const QString path = schemeDatabase(dir);
    QVERIFY(insertScheme(path, scheme("ABC", 1)));
    QVERIFY(insertScheme(path, scheme("it's", 1)));
    QString error;
    QCOMPARE(schemeExists(path, SchemeTable::Standard, name, &error), exists);
    QCOMPARE(error, QString());
    QCOMPARE(loadStandardScheme(path, name).has_value(), exists);
}

void TestSchemes::namesInTableOrder() {
    TempAppDir dir;
    const QString path = schemeDatabase(dir);
    for (const char* name : {"b", "A", "a", "c'"}) QVERIFY(insertScheme(path, scheme(name, 1)));
    QCOMPARE(schemeNames(path, SchemeTable::Standard), (QStringList{"b", "A", "a", "c'"}));
    QCOMPARE(schemeNames(path, SchemeTable::LeafSpring), QStringList());
}

void TestSchemes::missingDatabaseIsAnError() {
    TempAppDir dir;
    QString error;
    QVERIFY(!schemeExists(dir.file("test_information.mdb"), SchemeTable::Standard, "S", &error));
    QVERIFY(!error.isEmpty());
    error.clear();
    QVERIFY(!insertScheme(dir.file("test_information.mdb"), scheme("S", 1), &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!QFile::exists(dir.file("test_information.mdb")));
}

void TestSchemes::nextSerial_data() {
    QTest::addColumn<bool>("leaf");
    QTest::addColumn<bool>("textColumn");  // a file from a program that declared the serial column text
    QTest::addColumn<QVariantList>("serials");
    QTest::addColumn<QVariantList>("deleted");
    QTest::addColumn<int>("next");  // 0: the batch takes no more tests
    constexpr qint64 kLast = 2147483647;
    const QVariantList none;
    for (const bool leaf : {false, true}) {
        const char* kind = leaf ? "leaf: " : "standard: ";
        QTest::addRow("%sempty", kind) << leaf << false << none << none << 1;
        QTest::addRow("%s1 to 7", kind) << leaf << false << QVariantList{1, 2, 3, 4, 5, 6, 7} << none << 8;
        QTest::addRow("%searlier ones deleted", kind)
            << leaf << false << QVariantList{1, 2, 3, 4, 5} << QVariantList{2, 3} << 6;
        QTest::addRow("%slargest deleted", kind)
            << leaf << false << QVariantList{1, 2, 3, 4, 5} << QVariantList{5} << 5;
        QTest::addRow("%sall deleted", kind)
            << leaf << false << QVariantList{1, 2} << QVariantList{1, 2} << 1;
        QTest::addRow("%stwo strokes per test", kind)
            << leaf << false << QVariantList{1, 1, 2, 2} << none << 3;
        QTest::addRow("%sserials written as text sort as numbers", kind)
            << leaf << false << QVariantList{"9", "10"} << none << 11;
        // What older programs and hand edits leave in a file: SQLite orders every word after every number
        // and every blob after every word.
        QTest::addRow("%sa word", kind) << leaf << false << QVariantList{1, 2, "abc"} << none << 3;
        QTest::addRow("%sa blob", kind)
            << leaf << false << QVariantList{4, QByteArray("\x01\x02", 2)} << none << 5;
        QTest::addRow("%sNULL", kind)
            << leaf << false << QVariantList{QVariant(), 3, QVariant()} << none << 4;
        QTest::addRow("%sonly NULL", kind) << leaf << false << QVariantList{QVariant()} << none << 1;
        QTest::addRow("%snegative", kind) << leaf << false << QVariantList{-5} << none << 1;
        QTest::addRow("%snegative and positive", kind) << leaf << false << QVariantList{-5, 2} << none << 3;
        QTest::addRow("%sa fraction", kind) << leaf << false << QVariantList{2.5} << none << 3;
        QTest::addRow("%sthe last but one", kind)
            << leaf << false << QVariantList{kLast - 1} << none << int(kLast);
        QTest::addRow("%sthe last", kind) << leaf << false << QVariantList{kLast} << none << 0;
        QTest::addRow("%sbeyond 32 bits", kind)
            << leaf << false << QVariantList{qint64(5000000000)} << none << 0;
        QTest::addRow("%sbeyond 64 bits", kind) << leaf << false << QVariantList{1e30} << none << 0;
        QTest::addRow("%stexts compare as numbers", kind)
            << leaf << true << QVariantList{"7", "10", "9"} << none << 11;
        QTest::addRow("%stext with blanks", kind) << leaf << true << QVariantList{" 12 "} << none << 13;
        QTest::addRow("%stext fraction", kind) << leaf << true << QVariantList{"3.0"} << none << 4;
        QTest::addRow("%stext of many digits", kind)
            << leaf << true << QVariantList{"99999999999999999999"} << none << 0;
        QTest::addRow("%stext that is no number", kind)
            << leaf << true << QVariantList{"12abc", "4"} << none << 5;
    }
}

void TestSchemes::nextSerial() {
    QFETCH(bool, leaf);
    QFETCH(bool, textColumn);
    QFETCH(QVariantList, serials);
    QFETCH(QVariantList, deleted);
    QFETCH(int, next);
    TempAppDir dir;
    QVERIFY(createDatabaseTemplate(dir.file("B.mdb"), TemplateLayout::Standard));
    Database batch(dir.file("B.mdb"));
    const QString table = leaf ? "gbth_result" : "test_result";
    if (textColumn) {
        QVERIFY(batch.exec("DROP TABLE " + table));
        QVERIFY(batch.exec("CREATE TABLE " + table + " (xuhao TEXT, jinhuicheng TEXT)"));
    }
    QVariantList forward;  // a test's second row is its return stroke
    for (const QVariant& serial : serials) {
        QVERIFY2(batch.insertRow(
                     table, {{"xuhao", serial}, {"jinhuicheng", forward.contains(serial) ? "回" : "进"}}),
                 qPrintable(batch.lastError()));
        forward << serial;
    }
    for (const QVariant& serial : deleted)
        QVERIFY(batch.exec("DELETE FROM " + table + " WHERE xuhao = ?", {serial}));
    // The other kind's table does not count.
    QVERIFY(batch.insertRow(leaf ? "test_result" : "gbth_result", {{"xuhao", 99}}));

    QString error;
    const std::optional<int> serial =
        springtest::nextSerial(batch, leaf ? ResultTable::LeafSpring : ResultTable::Standard, error);
    if (next == 0) {
        QVERIFY(!serial);
        QCOMPARE(error, QString("试验序号已满，请新建批次!!"));
    } else {
        QVERIFY2(serial, qPrintable(error));
        QCOMPARE(*serial, next);
    }
}

QTEST_GUILESS_MAIN(TestSchemes)
#include "tst_schemes.moc"
