#include <QDirIterator>
#include <QtTest>

#include "storage/Batch.h"
#include "storage/BatchHold.h"
#include "storage/Schema.h"
#include "storage/Schemes.h"
#include "support/TempAppDir.h"

using namespace springtest;
using springtest::testing::TempAppDir;

class TestBatch : public QObject {
    Q_OBJECT
private slots:
    void foldersPerMachineType_data();
    void foldersPerMachineType();
    void numberTypedWithItsExtension_data();
    void numberTypedWithItsExtension();
    void batchHoldsTheScheme_data();
    void batchHoldsTheScheme();
    void leafSpringBatch();
    void editorChecks_data();
    void editorChecks();
    void refusedBatchNumbersTouchNothing_data();
    void refusedBatchNumbersTouchNothing();
    void unusualButValidBatchNumbers_data();
    void unusualButValidBatchNumbers();
    void existingBatch_data();
    void existingBatch();
    void missingTemplate();
    void databaseErrorLeavesTheCopy();
    void damagedSchemeDatabase();
};

namespace {

const QString kDone = "批次数据库建立完成!!";
const QString kFailed = "批次数据库建立失败!!";

// An application folder with both shipped files and a few schemes.
struct App {
    TempAppDir dir;
    QStringList questions;  // caption + question, one entry per question asked
    bool answer = true;

    App() {
        ensureDatabaseFiles(dir.path(), 0);
        insertScheme(schemeDatabasePath(dir.path()), standard("S", 10));
    }
    QString path() const { return dir.path(); }
    YesNoQuestion ask() {
        return [this](const QString& caption, const QString& question) {
            questions << caption + "|" + question;
            return answer;
        };
    }
    QStringList files() const {
        QStringList found;
        QDirIterator it(dir.path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) found << it.next();
        found.sort();
        return found;
    }

    static StandardScheme standard(const QString& name, int points) {
        StandardScheme s;
        s.scheme_name = name;
        s.scheme_style = "0";
        s.scheme_jh = 2;
        s.scheme_load = "5.0";
        s.scheme_sum = QString::number(points);
        for (int k = 1; k <= points; ++k)
            s.points[k - 1] = {QString("%1.0").arg(k), QString("%1.50").arg(k), "0"};
        s.scheme_gangdu_max = "12.30";
        s.scheme_gangdu_min = "0";
        s.scheme_type = true;
        s.scheme_yb = true;
        return s;
    }
};

QList<DbRow> rowsOf(const QString& path, const QString& table) {
    Database db(path);
    return db.select("SELECT * FROM " + table).value_or(QList<DbRow>());
}

}  // namespace

void TestBatch::foldersPerMachineType_data() {
    QTest::addColumn<int>("machineType");
    QTest::addColumn<QString>("folder");
    QTest::newRow("0") << 0 << "database/";
    QTest::newRow("1") << 1 << "database/";
    QTest::newRow("2") << 2 << "database/";
    QTest::newRow("3 leaf springs") << 3 << "databaseGBTH/";
    QTest::newRow("4") << 4 << "database/";
    QTest::newRow("5 lateral stiffness") << 5 << "database_HXGD/";
    QTest::newRow("6") << 6 << "database/";
    QTest::newRow("7") << 7 << "database/";
}

void TestBatch::foldersPerMachineType() {
    QFETCH(int, machineType);
    QFETCH(QString, folder);
    App app;
    const BatchKind kind = batchKindForMachineType(machineType);
    if (kind == BatchKind::LeafSpring) {
        LeafSpringScheme leaf;
        leaf.scheme_name = "S";
        leaf.scheme_sum = "1";
        leaf.points[0] = {"10", "20", "0"};
        QVERIFY(insertScheme(schemeDatabasePath(app.path()), leaf));
    }
    // Where the file commands look and where the batch commands make batches.
    QCOMPARE(batchFolderForMachineType(machineType), folder);
    const BatchOutcome made = newBatch(app.path(), kind, "A1", "S", app.ask());
    QVERIFY2(made.ok, qPrintable(made.messages.join(' ')));
    QCOMPARE(made.path, app.dir.file(folder + "A1.mdb"));
}

void TestBatch::numberTypedWithItsExtension_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("file");
    QTest::newRow("A1.mdb") << "A1.mdb"
                            << "A1.mdb";
    QTest::newRow("upper case") << "A1.MDB"
                                << "A1.mdb";
    QTest::newRow("only the last one") << "A1.mdb.mdb"
                                       << "A1.mdb.mdb";
    QTest::newRow("nothing but the extension") << ".mdb"
                                               << "";
}

void TestBatch::numberTypedWithItsExtension() {
    QFETCH(QString, typed);
    QFETCH(QString, file);
    App app;
    const BatchOutcome outcome = newBatch(app.path(), BatchKind::Standard, typed, "S", app.ask());
    QCOMPARE(outcome.ok, !file.isEmpty());
    if (file.isEmpty()) {
        QCOMPARE(outcome.messages, QStringList{"批次号不能为空!!"});
        QCOMPARE(outcome.failure, BatchFailure::Refused);
    } else {
        QCOMPARE(outcome.path, app.dir.file("database/" + file));
        QVERIFY(QFile::exists(outcome.path));
    }
}

void TestBatch::batchHoldsTheScheme_data() {
    QTest::addColumn<BatchKind>("kind");
    QTest::addColumn<QString>("scheme");
    QTest::addColumn<int>("points");
    QTest::addColumn<QString>("file");
    QTest::newRow("standard A1 from S") << BatchKind::Standard << "S" << 10 << "database/A1.mdb";
    QTest::newRow("lateral") << BatchKind::Lateral << "S" << 10 << "database_HXGD/A1.mdb";
    QTest::newRow("three points") << BatchKind::Standard << "S3" << 3 << "database/A1.mdb";
    QTest::newRow("scheme name with a quote") << BatchKind::Standard << "it's" << 1 << "database/A1.mdb";
}

void TestBatch::batchHoldsTheScheme() {
    QFETCH(BatchKind, kind);
    QFETCH(QString, scheme);
    QFETCH(int, points);
    QFETCH(QString, file);
    App app;
    const StandardScheme s = App::standard(scheme, points);
    if (scheme != "S") QVERIFY(insertScheme(schemeDatabasePath(app.path()), s));

    const BatchOutcome outcome = newBatch(app.path(), kind, "A1", scheme, app.ask());
    QCOMPARE(outcome.messages, QStringList{kDone});
    QVERIFY(outcome.ok);
    QCOMPARE(outcome.path, app.dir.file(file));
    QVERIFY(app.questions.isEmpty());

    const QList<DbRow> rows = rowsOf(app.dir.file(file), "test_information");
    QCOMPARE(rows.size(), 1);
    QVERIFY(standardSchemeFromRow(rows.first()) == s);
    for (int k = points + 1; k <= 10; ++k) {
        QVERIFY(rows.first().value(schemePointColumn(k)).isNull());
        QVERIFY(rows.first().value(schemePointMaxColumn(k)).isNull());
        QVERIFY(rows.first().value(schemePointMinColumn(k)).isNull());
    }
    QVERIFY(rowsOf(app.dir.file(file), "test_result").isEmpty());
}

void TestBatch::leafSpringBatch() {
    App app;
    LeafSpringScheme s;
    s.scheme_name = "GB";
    s.scheme_load = "50";
    s.points[0] = {"10", "20.5", "0"};
    s.points[1] = {"20", "0", "0"};
    s.scheme_sum = "2";
    s.scheme_sdload = "3000.0";
    s.scheme_th_height = "40";
    s.scheme_xc_height = "100";
    s.scheme_xbbj = "25";
    s.scheme_yyload = "4000";
    s.scheme_returnLOAD = "6000";
    QVERIFY(insertScheme(schemeDatabasePath(app.path()), s));

    // A standard scheme is no leaf-spring scheme.
    QCOMPARE(newBatch(app.path(), BatchKind::LeafSpring, "L1", "S", app.ask()).messages,
             QStringList{"该方案名不存在!!"});

    const BatchOutcome outcome = newBatch(app.path(), BatchKind::LeafSpring, "L1", "GB", app.ask());
    QCOMPARE(outcome.messages, QStringList{kDone});
    const QString batch = app.dir.file("databaseGBTH/L1.mdb");
    const QList<DbRow> rows = rowsOf(batch, "GBTH_information");
    QCOMPARE(rows.size(), 1);
    QVERIFY(leafSpringSchemeFromRow(rows.first()) == s);
    QVERIFY(rowsOf(batch, "test_information").isEmpty());
}

void TestBatch::editorChecks_data() {
    QTest::addColumn<QString>("batchNumber");
    QTest::addColumn<QString>("scheme");
    QTest::addColumn<QString>("message");
    QTest::newRow("no batch number") << ""
                                     << "S"
                                     << "批次号不能为空!!";
    QTest::newRow("nothing at all") << ""
                                    << ""
                                    << "批次号不能为空!!";
    QTest::newRow("no scheme") << "A1"
                               << ""
                               << "方案名不能为空!!";
    QTest::newRow("unknown scheme") << "A1"
                                    << "T"
                                    << "该方案名不存在!!";
    QTest::newRow("scheme in other case") << "A1"
                                          << "s"
                                          << "该方案名不存在!!";
}

void TestBatch::editorChecks() {
    QFETCH(QString, batchNumber);
    QFETCH(QString, scheme);
    QFETCH(QString, message);
    App app;
    const QStringList before = app.files();
    const BatchOutcome outcome = newBatch(app.path(), BatchKind::Standard, batchNumber, scheme, app.ask());
    QVERIFY(!outcome.ok);
    QCOMPARE(outcome.messages, QStringList{message});
    QCOMPARE(app.files(), before);
}

void TestBatch::refusedBatchNumbersTouchNothing_data() {
    QTest::addColumn<QString>("batchNumber");
    QTest::newRow("parent folder") << "../A1";
    QTest::newRow("dot dot") << "..";
    QTest::newRow("dot") << ".";
    QTest::newRow("starts with dot dot") << "..A1";
    QTest::newRow("sub folder") << "a/b";
    QTest::newRow("backslash") << "a\\b";
    QTest::newRow("absolute") << "/tmp/A1";
    QTest::newRow("NUL") << QString("A") + QChar(0) + "B";
    QTest::newRow("line feed") << "A\nB";
    QTest::newRow("tab") << "A\tB";
    QTest::newRow("DEL") << "A\x7f";
    QTest::newRow("colon") << "A:B";
    QTest::newRow("star") << "A*";
    QTest::newRow("question mark") << "A?";
    QTest::newRow("device name") << "CON";
    QTest::newRow("device name with extension") << "nul.1";
    QTest::newRow("serial port") << "COM1";
    QTest::newRow("trailing dot") << "A1.";
    QTest::newRow("trailing blank") << "A1 ";
    QTest::newRow("too long for the journal beside it") << QString(244, 'x');
    QTest::newRow("too long in UTF-8") << QString(82, QChar(0x6279));
    QTest::newRow("lone surrogate") << QString(QChar(0xD800));
}

void TestBatch::refusedBatchNumbersTouchNothing() {
    QFETCH(QString, batchNumber);
    App app;
    const QStringList before = app.files();
    for (const BatchOutcome& outcome :
         {newBatch(app.path(), BatchKind::Standard, batchNumber, "S", app.ask()),
          createBatchDatabase(app.path(), BatchKind::Lateral, batchNumber, "S", app.ask())}) {
        QVERIFY(!outcome.ok);
        QCOMPARE(outcome.messages, QStringList{"批次号不能包含路径或非法字符!!"});
    }
    QCOMPARE(app.files(), before);
    QVERIFY(app.questions.isEmpty());
}

void TestBatch::unusualButValidBatchNumbers_data() {
    QTest::addColumn<QString>("batchNumber");
    QTest::newRow("Chinese") << "批次一";
    QTest::newRow("dots inside") << "2024.01.15";
    QTest::newRow("blank inside") << "A 1";
    QTest::newRow("quote") << "A'1";
    QTest::newRow("starts with a dot") << ".A1";
    QTest::newRow("device-like but longer") << "CONSOLE";
    QTest::newRow("longest") << QString(243, 'x');
    QTest::newRow("longest in UTF-8") << QString(81, QChar(0x6279));
}

void TestBatch::unusualButValidBatchNumbers() {
    QFETCH(QString, batchNumber);
    App app;
    const BatchOutcome outcome = newBatch(app.path(), BatchKind::Standard, batchNumber, "S", app.ask());
    QCOMPARE(outcome.messages, QStringList{kDone});
    QCOMPARE(QFileInfo(outcome.path).absolutePath(), QFileInfo(app.dir.file("database/x")).absolutePath());
    QCOMPARE(QFileInfo(outcome.path).fileName(), batchNumber + ".mdb");
    QCOMPARE(rowsOf(outcome.path, "test_information").size(), 1);
}

void TestBatch::existingBatch_data() {
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("meanwhile");  // "open": in a browser; "held": held for testing
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<BatchFailure>("failure");
    QTest::addColumn<int>("resultsLeft");
    QTest::newRow("No keeps the old batch")
        << false << "" << QStringList{kFailed} << BatchFailure::Exists << 1;
    QTest::newRow("Yes replaces it") << true << "" << QStringList{kDone} << BatchFailure::None << 0;
    QTest::newRow("Yes while the batch is open")
        << true << "open" << QStringList{"文件正在使用!!", kFailed} << BatchFailure::InUse << 1;
    QTest::newRow("Yes while the batch is held for testing")
        << true << "held" << QStringList{"文件正在使用!!", kFailed} << BatchFailure::InUse << 1;
    QTest::newRow("typed with its extension, Yes replaces it")
        << true << "A1.mdb" << QStringList{kDone} << BatchFailure::None << 0;
}

void TestBatch::existingBatch() {
    QFETCH(bool, answer);
    QFETCH(QString, meanwhile);
    QFETCH(QStringList, messages);
    QFETCH(BatchFailure, failure);
    QFETCH(int, resultsLeft);
    App app;
    QVERIFY(newBatch(app.path(), BatchKind::Standard, "A1", "S", app.ask()).ok);
    const QString batch = app.dir.file("database/A1.mdb");
    std::unique_ptr<Database> open = std::make_unique<Database>(batch);
    QVERIFY(open->insertRow("test_result", {{"xuhao", 1}, {"jinhuicheng", "进"}}));
    if (meanwhile != "open") open.reset();
    std::unique_ptr<BatchHold> hold;
    if (meanwhile == "held") hold = BatchHold::take(batch).hold;

    app.answer = answer;
    const QString number = meanwhile == "A1.mdb" ? meanwhile : "A1";
    const BatchOutcome outcome = newBatch(app.path(), BatchKind::Standard, number, "S", app.ask());
    QCOMPARE(app.questions, QStringList{"提示|该批次已经存在，是否覆盖?"});
    QCOMPARE(outcome.messages, messages);
    QCOMPARE(outcome.ok, messages.last() == kDone);
    QCOMPARE(outcome.failure, failure);
    open.reset();
    QCOMPARE(rowsOf(batch, "test_result").size(), resultsLeft);
    QCOMPARE(rowsOf(batch, "test_information").size(), 1);
}

void TestBatch::missingTemplate() {
    App app;
    QVERIFY(QFile::remove(databaseTemplatePath(app.path())));
    const QStringList before = app.files();
    const BatchOutcome outcome = newBatch(app.path(), BatchKind::Standard, "A1", "S", app.ask());
    QCOMPARE(outcome.messages, (QStringList{"未找到数据库模板!!", kFailed}));
    QCOMPARE(app.files(), before);
}

void TestBatch::databaseErrorLeavesTheCopy() {
    App app;
    // A template without the scheme table: the copy succeeds, appending the scheme fails.
    const QString templ = databaseTemplatePath(app.path());
    QVERIFY(QFile::remove(templ));
    Database(templ, Database::OpenMode::CreateIfMissing).exec("CREATE TABLE test_result (xuhao INTEGER)");

    const BatchOutcome outcome = newBatch(app.path(), BatchKind::Standard, "A1", "S", app.ask());
    QVERIFY(!outcome.ok);
    QCOMPARE(outcome.failure, BatchFailure::Failed);
    QCOMPARE(outcome.messages.size(), 2);
    // The system's words first, the engine's after them.
    QVERIFY2(outcome.messages.first().startsWith("方案保存失败!! "), qPrintable(outcome.messages.first()));
    QVERIFY2(outcome.messages.first().contains("test_information"), qPrintable(outcome.messages.first()));
    QCOMPARE(outcome.messages.last(), kFailed);
    QVERIFY(QFile::exists(app.dir.file("database/A1.mdb")));
}

void TestBatch::damagedSchemeDatabase() {
    App app;
    app.dir.write("test_information.mdb", QByteArray(4096, 'x'));
    const QStringList before = app.files();
    const BatchOutcome outcome = newBatch(app.path(), BatchKind::Standard, "A1", "S", app.ask());
    QCOMPARE(outcome.failure, BatchFailure::Failed);
    QCOMPARE(outcome.messages.size(), 1);
    QVERIFY2(outcome.messages.first().startsWith("读取方案失败!! "), qPrintable(outcome.messages.first()));
    QVERIFY2(outcome.messages.first().contains("not a database"), qPrintable(outcome.messages.first()));
    QCOMPARE(app.files(), before);
}

QTEST_GUILESS_MAIN(TestBatch)
#include "tst_batch.moc"
