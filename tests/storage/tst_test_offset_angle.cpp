#include "storage/Batch.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "storage/TestOffsetAngle.h"
#include "support/TempAppDir.h"

#include <QtTest>

using namespace springtest;
using namespace springtest::testing;

using Angles = std::optional<QHash<int, QString>>;

namespace {

// An empty lateral batch as the template makes it.
QString newBatch(const TempAppDir& dir) {
    const QString path = dir.file("b.mdb");
    QString error;
    if (!createDatabaseTemplate(path, TemplateLayout::Lateral, &error)) qWarning() << error;
    return path;
}

}  // namespace

class TestTestOffsetAngle : public QObject {
    Q_OBJECT
private slots:
    void aBatchWithoutTheTableHasNoAngles();
    void oneAnglePerTest();
    void deletingATestClosesTheGap();
};

void TestTestOffsetAngle::aBatchWithoutTheTableHasNoAngles() {
    TempAppDir dir;
    Database db(newBatch(dir));
    QCOMPARE(readTestOffsetAngles(db), Angles(QHash<int, QString>{}));
    QVERIFY(deleteTestOffsetAngle(db, 1));
    QVERIFY(deleteAllTestOffsetAngles(db));
    QVERIFY(closeOffsetAngleGap(db, 1));
    QVERIFY(db.columns("test_offset_angle").isEmpty());  // nothing made on the way
}

void TestTestOffsetAngle::oneAnglePerTest() {
    TempAppDir dir;
    Database db(newBatch(dir));
    QVERIFY(storeTestOffsetAngle(db, 1, "216.870"));
    QVERIFY(storeTestOffsetAngle(db, 2, ""));        // an offset without direction
    QVERIFY(storeTestOffsetAngle(db, 1, "36.870"));  // stored again under its serial: replaced
    QCOMPARE(readTestOffsetAngles(db), Angles(QHash<int, QString>{{1, "36.870"}, {2, ""}}));
    QVERIFY(deleteTestOffsetAngle(db, 2));
    QCOMPARE(readTestOffsetAngles(db), Angles(QHash<int, QString>{{1, "36.870"}}));
    QVERIFY(deleteAllTestOffsetAngles(db));
    QCOMPARE(readTestOffsetAngles(db), Angles(QHash<int, QString>{}));
}

void TestTestOffsetAngle::deletingATestClosesTheGap() {
    TempAppDir dir;
    Database db(newBatch(dir));
    for (int serial : {1, 3, 4}) {
        QVERIFY(db.exec("insert into test_result (xuhao, jinhuicheng) values (?, '进')", {serial}));
        QVERIFY(storeTestOffsetAngle(db, serial, QString::number(serial * 10)));
    }
    // Test 2 was deleted: the later tests move down, each with its own angle.
    QVERIFY(closeSerialGap(db, 2));
    QCOMPARE(readTestOffsetAngles(db), Angles(QHash<int, QString>{{1, "10"}, {2, "30"}, {3, "40"}}));
}

QTEST_GUILESS_MAIN(TestTestOffsetAngle)
#include "tst_test_offset_angle.moc"
