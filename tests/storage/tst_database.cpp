#include <QDir>
#include <QProcess>
#include <QSqlDatabase>
#include <QtTest>

#include "storage/BatchHold.h"
#include "storage/Database.h"
#include "support/TempAppDir.h"

using namespace springtest;
using springtest::testing::TempAppDir;

class TestDatabase : public QObject {
    Q_OBJECT
private slots:
    void valuesComeBackAsStored_data();
    void valuesComeBackAsStored();
    void columnsAreReadWithoutRegardToCase();
    void errorsComeBackAsText();
    void connectionsDoNotOutliveTheirObjects();
    void storedTestIsAllOrNothing_data();
    void storedTestIsAllOrNothing();
    void fileInUse_data();
    void fileInUse();
    void fileInUseByAnotherProcess_data();
    void fileInUseByAnotherProcess();
};

namespace {

// A table with the three column types the shipped files use.
QString scratch(const TempAppDir& dir) {
    const QString path = dir.file("scratch.mdb");
    Database db(path, Database::OpenMode::CreateIfMissing);
    db.exec("CREATE TABLE t (v TEXT, n INTEGER)");
    return path;
}

int rowCount(Database& db, const QString& table) {
    const auto rows = db.select("SELECT count(*) AS c FROM " + table);
    return rows ? rows->first().toInt("c", -1) : -1;
}

}  // namespace

void TestDatabase::valuesComeBackAsStored_data() {
    QTest::addColumn<QString>("column");
    QTest::addColumn<QVariant>("written");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("asInt");
    QTest::addColumn<double>("asDouble");
    QTest::addColumn<bool>("asBool");
    QTest::addColumn<bool>("empty");
    // int/double defaults are -1 / -1.5
    QTest::newRow("typed number keeps its decimals")
        << "v" << QVariant("40.0") << "40.0" << 40 << 40.0 << true << false;
    QTest::newRow("formatted number") << "v" << QVariant("12.30") << "12.30" << 12 << 12.3 << true << false;
    QTest::newRow("empty text is empty") << "v" << QVariant("") << "" << -1 << -1.5 << false << true;
    QTest::newRow("null string is empty") << "v" << QVariant(QString()) << "" << -1 << -1.5 << false << true;
    QTest::newRow("blanks around a number") << "v" << QVariant(" 7 ") << " 7 " << 7 << 7.0 << true << false;
    QTest::newRow("not a number") << "v" << QVariant("abc") << "abc" << -1 << -1.5 << true << false;
    QTest::newRow("stroke text") << "v" << QVariant("进") << "进" << -1 << -1.5 << true << false;
    QTest::newRow("integer written as text") << "n" << QVariant("3") << "3" << 3 << 3.0 << true << false;
    QTest::newRow("empty text into integer") << "n" << QVariant("") << "" << -1 << -1.5 << false << true;
    QTest::newRow("true") << "n" << QVariant(true) << "1" << 1 << 1.0 << true << false;
    QTest::newRow("false") << "n" << QVariant(false) << "0" << 0 << 0.0 << false << false;
    QTest::newRow("bool as text") << "v" << QVariant("True") << "True" << -1 << -1.5 << true << false;
}

void TestDatabase::valuesComeBackAsStored() {
    QFETCH(QString, column);
    QFETCH(QVariant, written);
    QFETCH(QString, text);
    QFETCH(int, asInt);
    QFETCH(double, asDouble);
    QFETCH(bool, asBool);
    QFETCH(bool, empty);
    TempAppDir dir;
    Database db(scratch(dir));
    QVERIFY2(db.insertRow("t", {{column, written}}), qPrintable(db.lastError()));
    const auto rows = db.select("SELECT * FROM t");
    QVERIFY(rows && rows->size() == 1);
    const DbRow& row = rows->first();
    QCOMPARE(row.text(column), text);
    QCOMPARE(row.toInt(column, -1), asInt);
    QCOMPARE(row.toDouble(column, -1.5), asDouble);
    QCOMPARE(row.toBool(column), asBool);
    QCOMPARE(row.isEmpty(column), empty);
    QCOMPARE(row.value(column).isNull(), empty);  // empty is NULL, not ""
}

void TestDatabase::columnsAreReadWithoutRegardToCase() {
    TempAppDir dir;
    Database db(scratch(dir));
    QVERIFY(db.insertRow("T", {{"V", "x"}, {"n", 5}}));
    const auto rows = db.select("select V, N from T where n = ?", {"5"});
    QVERIFY2(rows && rows->size() == 1, qPrintable(db.lastError()));
    for (const char* name : {"v", "V"}) QCOMPARE(rows->first().text(name), QString("x"));
    for (const char* name : {"n", "N"}) QCOMPARE(rows->first().toInt(name), 5);
    QVERIFY(!rows->first().has("missing"));
    QCOMPARE(rows->first().text("missing"), QString());
}

void TestDatabase::errorsComeBackAsText() {
    TempAppDir dir;
    {
        Database missing(dir.file("none.mdb"));
        QVERIFY(!missing.isOpen());
        QVERIFY(!missing.lastError().isEmpty());
        QVERIFY(!missing.select("SELECT 1"));
    }
    QVERIFY(!QFile::exists(dir.file("none.mdb")));

    Database db(scratch(dir));
    QVERIFY(!db.select("SELECT * FROM nowhere"));
    QVERIFY2(db.lastError().contains("nowhere"), qPrintable(db.lastError()));
    QVERIFY(!db.insertRow("t", {{"nocolumn", 1}}));
    QVERIFY2(db.lastError().contains("nocolumn"), qPrintable(db.lastError()));
    QVERIFY(db.insertRow("t", {{"v", "after an error"}}));
}

void TestDatabase::connectionsDoNotOutliveTheirObjects() {
    TempAppDir dir;
    const QString path = scratch(dir);
    {
        Database a(path);
        Database b(path);
        Database missing(dir.file("none.mdb"));
        Database bad(dir.path());  // a folder, not a database
        QVERIFY(a.insertRow("t", {{"v", "a"}}));
        QVERIFY(b.insertRow("t", {{"v", "b"}}));
        QCOMPARE(rowCount(a, "t"), 2);
    }
    QCOMPARE(QSqlDatabase::connectionNames(), QStringList());
}

void TestDatabase::storedTestIsAllOrNothing_data() {
    QTest::addColumn<QString>("ending");
    QTest::addColumn<int>("rowsLeft");
    QTest::newRow("commit") << "commit" << 2;
    QTest::newRow("rollback") << "rollback" << 0;
    QTest::newRow("guard dropped") << "drop" << 0;
    QTest::newRow("second insert fails") << "fail" << 0;
}

void TestDatabase::storedTestIsAllOrNothing() {
    QFETCH(QString, ending);
    QFETCH(int, rowsLeft);
    TempAppDir dir;
    Database db(scratch(dir));
    {
        Transaction transaction(db);
        QVERIFY(transaction.isActive());
        QVERIFY(db.insertRow("t", {{"n", 1}, {"v", "进"}}));
        if (ending == "fail") {
            QVERIFY(!db.insertRow("t", {{"nocolumn", 1}}));
        } else {
            QVERIFY(db.insertRow("t", {{"n", 1}, {"v", "回"}}));
        }
        if (ending == "commit") QVERIFY(transaction.commit());
        if (ending == "rollback") QVERIFY(db.rollback());
    }
    QCOMPARE(rowCount(db, "t"), rowsLeft);
    Database other(db.path());
    QCOMPARE(rowCount(other, "t"), rowsLeft);
}

void TestDatabase::fileInUse_data() {
    QTest::addColumn<QString>("situation");
    QTest::addColumn<bool>("inUse");
    QTest::newRow("missing file") << "missing" << false;
    QTest::newRow("closed file") << "closed" << false;
    QTest::newRow("open here") << "open" << true;
    QTest::newRow("open here, asked by another spelling") << "open-other-path" << true;
    QTest::newRow("open here twice, one closed") << "open-twice" << true;
    QTest::newRow("stale WAL index left behind") << "stale-shm" << false;
    QTest::newRow("held for testing here") << "held" << true;
    QTest::newRow("lock file of a holder that is gone") << "stale-lock" << false;
}

void TestDatabase::fileInUse() {
    QFETCH(QString, situation);
    QFETCH(bool, inUse);
    TempAppDir dir;
    QDir().mkpath(dir.file("database"));
    const QString path = dir.file("database/A1.mdb");
    QString asked = path;
    if (situation != "missing")
        Database(path, Database::OpenMode::CreateIfMissing).exec("CREATE TABLE t (v TEXT)");
    std::unique_ptr<Database> open;
    if (situation.startsWith("open")) open = std::make_unique<Database>(path);
    if (situation == "open-other-path") asked = dir.file("database/../database/./A1.mdb");
    if (situation == "open-twice") Database(path).exec("SELECT 1");
    if (situation == "stale-shm") dir.write("database/A1.mdb-shm", QByteArray(32768, '\0'));
    std::unique_ptr<BatchHold> hold;
    if (situation == "held") hold = BatchHold::take(path).hold;
    if (situation == "stale-lock") dir.write("database/A1.mdb-lock", "");

    QCOMPARE(IsFileInUse(asked), inUse);
    open.reset();
    hold.reset();
    QVERIFY(!IsFileInUse(asked));
}

void TestDatabase::fileInUseByAnotherProcess_data() {
    QTest::addColumn<QString>("mode");
    QTest::newRow("WAL connection") << "wal";
    QTest::newRow("rollback journal, in a transaction") << "rollback";
}

void TestDatabase::fileInUseByAnotherProcess() {
    QFETCH(QString, mode);
    TempAppDir dir;
    const QString path = dir.file("B2.mdb");
    Database(path, Database::OpenMode::CreateIfMissing).exec("CREATE TABLE t (v TEXT)");
    QVERIFY(!IsFileInUse(path));

    QProcess holder;
    holder.start(DBHOLDER_PATH, {path, mode});
    QVERIFY(holder.waitForStarted());
    QVERIFY(holder.waitForReadyRead(30000));
    QCOMPARE(holder.readLine().trimmed(), QByteArray("ready"));

    QVERIFY(IsFileInUse(path));

    holder.write("\n");
    QVERIFY(holder.waitForFinished(30000));
    QCOMPARE(holder.exitCode(), 0);
    QVERIFY(!IsFileInUse(path));
}

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
