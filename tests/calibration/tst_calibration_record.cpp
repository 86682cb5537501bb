// When each gear was last calibrated and verified, and when a verification is overdue.
#include "calibration/AuditTrail.h"
#include "calibration/CalibrationRecord.h"
#include "calibration/VerificationRecord.h"
#include "storage/Schema.h"
#include "support/TempAppDir.h"

#include <QtTest>

using namespace springtest;
using springtest::testing::TempAppDir;

namespace {

AuditEntry change(const QDateTime& at, const char* file, const char* key) {
    return {at, "李工", QString::fromLatin1(file), "Load", QString::fromLatin1(key), "1", "2"};
}

const QDate kToday(2026, 6, 1);

}  // namespace

class TestCalibrationRecord : public QObject {
    Q_OBJECT
private slots:
    void readFromTheSchemeDatabase();
    void anEmptyDatabaseHasAnEmptyRecord();
    void overdue_data();
    void overdue();
    void overdueGearsOfTheMachine();
};

void TestCalibrationRecord::readFromTheSchemeDatabase() {
    TempAppDir dir;
    const QString schemes = schemeDatabasePath(dir.path());
    QVERIFY(createSchemeDatabase(schemes));
    const QDateTime march(QDate(2026, 3, 4), QTime(10, 0));
    const QDateTime april(QDate(2026, 4, 8), QTime(15, 30));
    QCOMPARE(
        appendAudit(schemes,
                    {change(april, "init0.dat", "Gear1_Press_Coefficient1"),
                     change(march, "init0.dat", "Gear1_Pull_AD3"),
                     change(march, "init1.dat", "gear2_press_clibration_value2"),
                     // A zero taken before a test, and keys of other files, are no calibration.
                     change(QDateTime(QDate(2026, 5, 1), QTime(8, 0)), "init0.dat", "Gear1_AD_ZERO"),
                     change(QDateTime(QDate(2026, 5, 2), QTime(8, 0)), "init.ini", "Gear1_Magnification"),
                     change(QDateTime(QDate(2026, 5, 3), QTime(8, 0)), "init0.dat", "Load_I")}),
        QString());
    VerificationRecord verification;
    verification.card = 1;
    verification.gear = 2;
    verification.verifiedAt = QDateTime(QDate(2025, 2, 20), QTime(9, 0));
    verification.operatorName = "李工";
    QCOMPARE(storeVerification(schemes, verification), QString());
    verification.verifiedAt = QDateTime(QDate(2025, 1, 10), QTime(9, 0));  // an older one stored later
    QCOMPARE(storeVerification(schemes, verification), QString());

    QString error;
    const std::optional<CalibrationRecord> record = CalibrationRecord::read(schemes, &error);
    QVERIFY2(record, qPrintable(error));
    QCOMPARE(calibrationRecordText(record->gear(0, 1)), QString("上次标定 2026-04-08, 未检定"));
    QCOMPARE(calibrationRecordText(record->gear(1, 2)), QString("上次标定 2026-03-04, 上次检定 2025-02-20"));
    QCOMPARE(calibrationRecordText(record->gear(0, 2)), QString("未标定, 未检定"));
}

void TestCalibrationRecord::anEmptyDatabaseHasAnEmptyRecord() {
    TempAppDir dir;
    QVERIFY(createSchemeDatabase(schemeDatabasePath(dir.path())));
    const auto record = CalibrationRecord::read(schemeDatabasePath(dir.path()));
    QVERIFY(record);
    QCOMPARE(calibrationRecordText(record->gear(0, 1)), QString("未标定, 未检定"));
    QString error;
    QVERIFY(!CalibrationRecord::read(dir.file("nowhere.mdb"), &error));
    QVERIFY(error.contains("nowhere.mdb"));
}

void TestCalibrationRecord::overdue_data() {
    QTest::addColumn<QDate>("verifiedOn");  // invalid: never verified
    QTest::addColumn<QString>("interval");  // as the machine configuration holds it
    QTest::addColumn<int>("months");
    QTest::addColumn<bool>("overdue");

    QTest::newRow("never verified") << QDate() << "" << 12 << false;
    QTest::newRow("recent") << QDate(2026, 1, 10) << "12" << 12 << false;
    QTest::newRow("exactly twelve months") << QDate(2025, 6, 1) << "12" << 12 << false;
    QTest::newRow("a day over") << QDate(2025, 5, 31) << "12" << 12 << true;
    QTest::newRow("overdue") << QDate(2025, 3, 1) << "" << 12 << true;
    // A slip falls back to twelve months: a verification five months old is still in time.
    QTest::newRow("interval nan") << QDate(2026, 1, 10) << "nan" << 12 << false;
    QTest::newRow("interval 0") << QDate(2026, 1, 10) << "0" << 12 << false;
    QTest::newRow("interval -3") << QDate(2026, 1, 10) << "-3" << 12 << false;
    QTest::newRow("interval 24") << QDate(2025, 3, 1) << "24" << 24 << false;
    QTest::newRow("interval 24, older") << QDate(2024, 3, 1) << " 24 " << 24 << true;
}

void TestCalibrationRecord::overdue() {
    QFETCH(QDate, verifiedOn);
    QFETCH(QString, interval);
    QFETCH(int, months);
    QFETCH(bool, overdue);
    QCOMPARE(verificationIntervalFromText(interval), months);
    GearCalibration gear;
    if (verifiedOn.isValid()) gear.verifiedAt = QDateTime(verifiedOn, QTime(14, 0));
    QCOMPARE(verificationOverdue(gear, kToday, months), overdue);
}

void TestCalibrationRecord::overdueGearsOfTheMachine() {
    CalibrationRecord record;
    record.noteVerification(0, 1, QDateTime(QDate(2026, 2, 1), QTime(9, 0)));
    record.noteVerification(0, 2, QDateTime(QDate(2025, 1, 5), QTime(9, 0)));
    record.noteVerification(1, 1, QDateTime(QDate(2024, 12, 24), QTime(9, 0)));
    record.noteVerification(1, 3, QDateTime(QDate(2020, 1, 1), QTime(9, 0)));  // a gear the card has no more
    const QList<OverdueVerification> overdue = overdueVerifications(record, {2, 2}, kToday, 12);
    QCOMPARE(overdueVerificationText(overdue, 12),
             QString("力值检定已超过 12 个月：卡1 2档 上次检定 2025-01-05；卡2 1档 上次检定 2024-12-24"));
    QCOMPARE(overdueVerificationText(overdueVerifications(record, {2, 2}, kToday, 24), 24), QString());
}

QTEST_GUILESS_MAIN(TestCalibrationRecord)
#include "tst_calibration_record.moc"
