#include <QtTest>

#include "storage/Database.h"
#include "storage/Schema.h"
#include "support/TempAppDir.h"

using namespace springtest;
using springtest::testing::TempAppDir;

class TestSchema : public QObject {
    Q_OBJECT
private slots:
    void columnsInOrder_data();
    void columnsInOrder();
    void filesHoldExactlyTheirTablesEmpty_data();
    void filesHoldExactlyTheirTablesEmpty();
    void numbersKeepTheirText_data();
    void numbersKeepTheirText();
    void namesAnyCaseInStatements_data();
    void namesAnyCaseInStatements();
    void initMakesMissingFilesAndKeepsTheRest();
    void existingFileIsNeverReplaced();
};

namespace {

QStringList numbered(const QString& stem, int from = 1, int to = 10) {
    QStringList names;
    for (int k = from; k <= to; ++k) names << stem + QString::number(k);
    return names;
}

QStringList schemePoints() {
    QStringList names;
    for (int k = 1; k <= 10; ++k) {
        names << QString("schemedata%1").arg(k) << QString("schemedata%1_max").arg(k)
              << QString("schemedata%1_min").arg(k);
    }
    return names;
}

QStringList testInformation() {
    return QStringList{"scheme_name",   "scheme_style", "scheme_jh",
                       "scheme_height", "scheme_load",  "scheme_sum"} +
           schemePoints() + QStringList{"scheme_gangdu_max", "scheme_gangdu_min", "scheme_type", "scheme_yb"};
}

QStringList gbthInformation() {
    return QStringList{"scheme_name",   "scheme_style", "scheme_jh",
                       "scheme_height", "scheme_load",  "scheme_sum"} +
           schemePoints() +
           QStringList{"scheme_sdload", "scheme_th_height", "scheme_xc_height", "scheme_xbbj",
                       "scheme_yyload", "scheme_yzload",    "scheme_returnLOAD"};
}

QStringList standardResult() {
    return QStringList{"xuhao", "jinhuicheng"} + numbered("result") + numbered("gangdu") +
           QStringList{"height", "yb_height", "date"} + numbered("x_value") + numbered("y_value") +
           numbered("pianyi_value");
}

QStringList lateralResult() {
    QStringList names{"xuhao", "jinhuicheng"};
    for (int k = 1; k <= 10; ++k) {
        for (const char* stem : {"result", "gangdu", "x_value", "y_value", "pianyi_value"})
            names << stem + QString::number(k);
    }
    return names << "height"
                 << "date";
}

QStringList gbthResult() {
    return QStringList{"xuhao", "jinhuicheng"} + numbered("result1-") + numbered("result2-") +
           numbered("jingzai_height1-") + numbered("jingzai_height2-") + numbered("gangdu") +
           QStringList{"ziyou_height", "yahou_height", "SD_HEIGHT", "height", "date"};
}

const QStringList kTestPoint{"xuhao", "number", "load", "weiyi", "bianxing", "jinhuicheng", "X", "Y"};

enum File { SchemeDb, Template, LateralTemplate };

QString make(const TempAppDir& dir, File file) {
    const QString path = dir.file(file == SchemeDb ? "test_information.mdb" : "temp.mdb");
    const bool ok = file == SchemeDb
                        ? createSchemeDatabase(path)
                        : createDatabaseTemplate(path, file == LateralTemplate ? TemplateLayout::Lateral
                                                                               : TemplateLayout::Standard);
    return ok ? path : QString();
}

}  // namespace

Q_DECLARE_METATYPE(File)

void TestSchema::columnsInOrder_data() {
    QTest::addColumn<File>("file");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("columns");
    QTest::newRow("scheme db test_information") << SchemeDb << "test_information" << testInformation();
    QTest::newRow("scheme db GBTH_information") << SchemeDb << "GBTH_information" << gbthInformation();
    QTest::newRow("scheme db report_name")
        << SchemeDb << "report_name" << QStringList{"name", "CHART", "CHART_FLAG"};
    QTest::newRow("scheme db load_gz")
        << SchemeDb << "load_gz" << QStringList{"number", "load_max", "gz_time"};
    QTest::newRow("template test_information") << Template << "test_information" << testInformation();
    QTest::newRow("template GBTH_information") << Template << "GBTH_information" << gbthInformation();
    QTest::newRow("template test_result") << Template << "test_result" << standardResult();
    QTest::newRow("template test_point") << Template << "test_point" << kTestPoint;
    QTest::newRow("template gbth_result") << Template << "gbth_result" << gbthResult();
    QTest::newRow("lateral test_information") << LateralTemplate << "test_information" << testInformation();
    QTest::newRow("lateral test_result") << LateralTemplate << "test_result" << lateralResult();
    QTest::newRow("lateral test_point") << LateralTemplate << "test_point" << kTestPoint;
    QTest::newRow("lateral gbth_result") << LateralTemplate << "gbth_result" << gbthResult();
}

void TestSchema::columnsInOrder() {
    QFETCH(File, file);
    QFETCH(QString, table);
    QFETCH(QStringList, columns);
    TempAppDir dir;
    const QString path = make(dir, file);
    QVERIFY(!path.isEmpty());
    Database db(path);
    QCOMPARE(db.columns(table), columns);
}

void TestSchema::filesHoldExactlyTheirTablesEmpty_data() {
    QTest::addColumn<File>("file");
    QTest::addColumn<QStringList>("tables");
    const QStringList templ{"GBTH_information", "gbth_result", "test_information", "test_point",
                            "test_result"};
    QTest::newRow("scheme database") << SchemeDb
                                     << QStringList{"GBTH_information", "load_gz", "report_name",
                                                    "test_information"};
    QTest::newRow("template") << Template << templ;
    QTest::newRow("lateral template") << LateralTemplate << templ;
}

void TestSchema::filesHoldExactlyTheirTablesEmpty() {
    QFETCH(File, file);
    QFETCH(QStringList, tables);
    TempAppDir dir;
    const QString path = make(dir, file);
    QVERIFY(!path.isEmpty());
    {
        Database db(path);
        const auto rows =
            db.select("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name COLLATE NOCASE");
        QVERIFY(rows);
        QStringList found;
        for (const DbRow& row : *rows) {
            found << row.text("name");
            const auto count =
                db.select(QString("SELECT count(*) AS c FROM %1").arg(Database::quoteName(row.text("name"))));
            QVERIFY(count);
            QCOMPARE(count->first().toInt("c", -1), 0);
        }
        QCOMPARE(found, tables);
    }
    // Nothing of the build is left beside the file once it is closed.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QFileInfo(path).fileName()});
}

void TestSchema::numbersKeepTheirText_data() {
    QTest::addColumn<File>("file");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("text");
    QTest::newRow("point typed with a zero decimal") << SchemeDb << "test_information"
                                                     << "schemedata1"
                                                     << "40.0";
    QTest::newRow("initial force") << SchemeDb << "test_information"
                                   << "scheme_load"
                                   << "5.00";
    QTest::newRow("stiffness limit") << SchemeDb << "test_information"
                                     << "scheme_gangdu_max"
                                     << "1e3";
    QTest::newRow("leaf set load") << SchemeDb << "GBTH_information"
                                   << "scheme_sdload"
                                   << "100.50";
    QTest::newRow("overload value") << SchemeDb << "load_gz"
                                    << "load_max"
                                    << "2000.0";
    QTest::newRow("stiffness two decimals") << Template << "test_result"
                                            << "gangdu1"
                                            << "12.30";
    QTest::newRow("curve load") << Template << "test_point"
                                << "load"
                                << "0.100";
    QTest::newRow("leaf arc height") << Template << "gbth_result"
                                     << "result1-1"
                                     << "7.50";
}

void TestSchema::numbersKeepTheirText() {
    QFETCH(File, file);
    QFETCH(QString, table);
    QFETCH(QString, column);
    QFETCH(QString, text);
    TempAppDir dir;
    Database db(make(dir, file));
    QVERIFY2(db.insertRow(table, {{column, text}}), qPrintable(db.lastError()));
    const auto rows = db.select(QString("SELECT %1 FROM %2").arg(Database::quoteName(column), table));
    QVERIFY(rows && rows->size() == 1);
    QCOMPARE(rows->first().text(column), text);
}

void TestSchema::namesAnyCaseInStatements_data() {
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("column");
    QTest::newRow("GBTH_result") << "select xuhao from GBTH_result order by xuhao asc"
                                 << "XUHAO";
    QTest::newRow("gbth_information") << "select scheme_SDload, scheme_yyLOAD from gbth_information"
                                      << "scheme_sdload";
    QTest::newRow("TEST_POINT") << "select * from TEST_POINT where XUHAO = ? order by NUMBER"
                                << "x";
    QTest::newRow("quoted minus name") << "select \"RESULT1-1\" from gbth_result"
                                       << "result1-1";
}

void TestSchema::namesAnyCaseInStatements() {
    QFETCH(QString, statement);
    QFETCH(QString, column);
    TempAppDir dir;
    Database db(make(dir, Template));
    QVERIFY(db.insertRow("gbth_result", {{"xuhao", 1}, {"result1-1", "3.5"}}));
    QVERIFY(db.insertRow("gbth_information", {{"scheme_sdload", "9"}}));
    QVERIFY(db.insertRow("test_point", {{"xuhao", 1}, {"number", 1}, {"X", "0.5"}}));
    const auto rows = db.select(statement, statement.contains('?') ? QVariantList{"1"} : QVariantList{});
    QVERIFY2(rows, qPrintable(db.lastError()));
    QCOMPARE(rows->size(), 1);
    QVERIFY(!rows->first().isEmpty(column));
}

void TestSchema::initMakesMissingFilesAndKeepsTheRest() {
    TempAppDir dir;
    const QString app = dir.file("new/app");
    DatabaseFilesResult first = ensureDatabaseFiles(app, 5);
    QVERIFY2(first.error.isEmpty(), qPrintable(first.error));
    QCOMPARE(first.created, (QStringList{"test_information.mdb", "temp.mdb"}));
    {
        Database templ(databaseTemplatePath(app));
        QCOMPARE(templ.columns("test_result").mid(2, 3), (QStringList{"result1", "gangdu1", "x_value1"}));
        Database schemes(schemeDatabasePath(app));
        QVERIFY(schemes.insertRow("test_information", {{"scheme_name", "kept"}}));
    }
    DatabaseFilesResult second = ensureDatabaseFiles(app, 0);
    QVERIFY(second.error.isEmpty());
    QCOMPARE(second.created, QStringList());
    QCOMPARE(second.kept, (QStringList{"test_information.mdb", "temp.mdb"}));
    Database schemes(schemeDatabasePath(app));
    QCOMPARE(schemes.select("SELECT * FROM test_information")->size(), 1);
    Database templ(databaseTemplatePath(app));
    QCOMPARE(templ.columns("test_result").mid(2, 3), (QStringList{"result1", "gangdu1", "x_value1"}));
}

void TestSchema::existingFileIsNeverReplaced() {
    TempAppDir dir;
    dir.write("temp.mdb", "not a database");
    QString error;
    QVERIFY(!createDatabaseTemplate(dir.file("temp.mdb"), TemplateLayout::Standard, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(dir.read("temp.mdb"), QByteArray("not a database"));
}

QTEST_GUILESS_MAIN(TestSchema)
#include "tst_schema.moc"
