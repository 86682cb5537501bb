// The overload log of the scheme database: numbering, listing, deleting one stored row or all of them, and
// what it says when the database or its table is not there.

#include <QtTest>

#include "storage/Database.h"
#include "storage/OverloadLog.h"
#include "storage/Schema.h"
#include "support/TempAppDir.h"

using namespace springtest;
using springtest::testing::TempAppDir;

namespace {

// An application folder with a fresh scheme database and the given rows already in `load_gz`.
struct LogFolder {
    explicit LogFolder(const QList<int>& existingNumbers = {}) {
        QString error;
        if (!createSchemeDatabase(schemeDatabasePath(dir.path()), &error)) qFatal("%s", qPrintable(error));
        Database db(schemeDatabasePath(dir.path()));
        for (int number : existingNumbers)
            db.insertRow(QStringLiteral("load_gz"), {{QStringLiteral("number"), number},
                                                     {QStringLiteral("load_max"), QStringLiteral("9")}});
    }
    QList<int> numbers() {
        QList<int> result;
        OverloadLog log(dir.path());
        for (const OverloadRecord& record : log.list().value_or(QList<OverloadRecord>{}))
            result << record.number;
        return result;
    }
    TempAppDir dir;
};

const QDateTime kTime(QDate(2026, 3, 14), QTime(9, 26, 53, 589));

}  // namespace

class TestOverloadLog : public QObject {
    Q_OBJECT
private slots:
    void appendNumbersAfterTheHighest_data();
    void appendNumbersAfterTheHighest();
    void recordReadsBackAsWritten_data();
    void recordReadsBackAsWritten();
    void removeTakesOnlyTheRowAsked();
    void removeAllEmptiesTheLog();
    void missingDatabaseOrTableIsReported_data();
    void missingDatabaseOrTableIsReported();
};

void TestOverloadLog::appendNumbersAfterTheHighest_data() {
    QTest::addColumn<QList<int>>("existing");
    QTest::addColumn<QList<int>>("expected");
    QTest::newRow("empty log starts at 1") << QList<int>{} << QList<int>{1, 2};
    QTest::newRow("after a gap, above the highest") << QList<int>{3, 7} << QList<int>{3, 7, 8, 9};
    QTest::newRow("highest not last") << QList<int>{12, 5} << QList<int>{12, 5, 13, 14};
}

void TestOverloadLog::appendNumbersAfterTheHighest() {
    QFETCH(QList<int>, existing);
    QFETCH(QList<int>, expected);
    LogFolder folder(existing);
    OverloadLog log(folder.dir.path());
    QVERIFY2(log.append(QStringLiteral("1030.5"), kTime), qPrintable(log.error()));
    QVERIFY2(log.append(QStringLiteral("1031.0"), kTime), qPrintable(log.error()));
    QCOMPARE(folder.numbers(), expected);
}

void TestOverloadLog::recordReadsBackAsWritten_data() {
    QTest::addColumn<QString>("load");
    QTest::newRow("compression") << "1030.50";
    QTest::newRow("tension") << "-515.2";
    // Whatever the text, it is a bound value, never part of the statement.
    QTest::newRow("quote in the text") << "1'); DELETE FROM load_gz; --";
}

void TestOverloadLog::recordReadsBackAsWritten() {
    QFETCH(QString, load);
    LogFolder folder({1});
    OverloadLog log(folder.dir.path());
    QVERIFY(log.append(load, kTime));
    const QList<OverloadRecord> records = log.list().value();
    QCOMPARE(records.size(), 2);
    QCOMPARE(records[1].number, 2);
    QCOMPARE(records[1].loadMax, load);
    QCOMPARE(records[1].time, kTime);
}

void TestOverloadLog::removeTakesOnlyTheRowAsked() {
    // Files kept elsewhere may hold two records of one number: deleting one must not take the other.
    LogFolder folder({4, 4, 6});
    OverloadLog log(folder.dir.path());
    const QList<OverloadRecord> before = log.list().value();
    QVERIFY(log.remove(before[1].rowId));
    const QList<OverloadRecord> after = log.list().value();
    QCOMPARE(after.size(), 2);
    QCOMPARE(after[0].rowId, before[0].rowId);
    QCOMPARE(after[1].rowId, before[2].rowId);
}

void TestOverloadLog::removeAllEmptiesTheLog() {
    LogFolder folder({1, 2, 3});
    OverloadLog log(folder.dir.path());
    QVERIFY(log.removeAll());
    QVERIFY(log.list().value().isEmpty());
    // Numbering starts again from an empty log.
    QVERIFY(log.append(QStringLiteral("1"), kTime));
    QCOMPARE(folder.numbers(), QList<int>{1});
}

void TestOverloadLog::missingDatabaseOrTableIsReported_data() {
    QTest::addColumn<bool>("databaseExists");
    QTest::newRow("no scheme database") << false;
    QTest::newRow("scheme database without the table") << true;
}

void TestOverloadLog::missingDatabaseOrTableIsReported() {
    QFETCH(bool, databaseExists);
    TempAppDir dir;
    if (databaseExists) {
        Database db(schemeDatabasePath(dir.path()), Database::OpenMode::CreateIfMissing);
        QVERIFY(db.exec(QStringLiteral("CREATE TABLE test_information (scheme_name TEXT)")));
    }
    OverloadLog log(dir.path());
    QVERIFY(!log.list());
    QVERIFY2(log.error().startsWith(kOverloadLogUnreadable), qPrintable(log.error()));
    QVERIFY(!log.append(QStringLiteral("1"), kTime));
    QVERIFY2(log.error().startsWith(kOverloadNotRecorded), qPrintable(log.error()));
    QVERIFY(!log.removeAll());
    QVERIFY2(log.error().startsWith(kOverloadNotDeleted), qPrintable(log.error()));
    // Asking never makes the file.
    QCOMPARE(QFileInfo::exists(schemeDatabasePath(dir.path())), databaseExists);
}

QTEST_GUILESS_MAIN(TestOverloadLog)
#include "tst_overload_log.moc"
