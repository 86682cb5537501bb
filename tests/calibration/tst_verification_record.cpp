// A verification kept in the scheme database and written as a report: complete or not at all, and never
// over a file that is there.
#include "calibration/VerificationRecord.h"

#include "storage/Database.h"
#include "storage/Schema.h"
#include "support/TempAppDir.h"

#include <QtTest>

using namespace springtest;
using springtest::testing::TempAppDir;

namespace {

// Three series of five steps on a 5000 N range, 1 % high at every step.
VerificationRecord oneVerification() {
    VerificationRecord record;
    record.card = 1;
    record.gear = 2;
    record.verifiedAt = QDateTime(QDate(2026, 3, 14), QTime(9, 30));
    record.operatorName = QStringLiteral("张工");
    record.referenceSource = QStringLiteral("operator");
    record.units = QStringLiteral("N");
    record.readings.range_n = 5000.0;
    record.readings.displayStep_n = 0.25;
    for (int s = 0; s < 3; ++s) {
        VerificationSeries series;
        for (int i = 1; i <= 5; ++i) series.readings.push_back({1000.0 * i, 1010.0 * i});
        record.readings.series.push_back(series);
    }
    record.result = *evaluateVerification(record.readings).result;
    return record;
}

}  // namespace

class TestVerificationRecord : public QObject {
    Q_OBJECT

private slots:
    void init();
    void storesTheWholeVerification();
    void storesNothingWhenAPartFails();
    void missingSchemeDatabaseIsNamed();
    void reportIsAPdfAndNeverReplacesAFile();

private:
    std::unique_ptr<TempAppDir> m_dir;
    QString m_schemes;
};

void TestVerificationRecord::init() {
    m_dir = std::make_unique<TempAppDir>();
    m_schemes = schemeDatabasePath(m_dir->path());
    QString error;
    QVERIFY2(createSchemeDatabase(m_schemes, &error), qPrintable(error));
}

void TestVerificationRecord::storesTheWholeVerification() {
    qint64 first = 0;
    qint64 second = 0;
    QCOMPARE(storeVerification(m_schemes, oneVerification(), &first), QString());
    QCOMPARE(storeVerification(m_schemes, oneVerification(), &second), QString());
    QVERIFY(second > first);

    Database db(m_schemes);
    const auto head = db.select("select * from force_verification where id = ?", {second});
    QVERIFY(head && head->size() == 1);
    const DbRow& row = head->front();
    QCOMPARE(row.toInt("card"), 1);
    QCOMPARE(row.toInt("gear"), 2);
    QCOMPARE(row.text("verified_at"), QStringLiteral("2026-03-14T09:30:00"));
    QCOMPARE(row.text("operator"), QStringLiteral("张工"));
    QCOMPARE(row.text("class"), QStringLiteral("1"));
    const auto steps =
        db.select("select * from force_verification_step where verification_id = ? order by step", {second});
    QCOMPARE(steps->size(), 5);
    QCOMPARE(steps->at(4).toDouble("reference"), 5000.0);
    QVERIFY(std::abs(steps->at(4).toDouble("q_pct") - 1.0) < 1e-9);
    const auto readings =
        db.select("select count(*) as n from force_verification_reading where verification_id = ?", {second});
    QCOMPARE(readings->front().toInt("n"), 15);
}

// A step table someone made without the q column: the verification's own row must not stay behind
// without its steps.
void TestVerificationRecord::storesNothingWhenAPartFails() {
    {
        Database db(m_schemes);
        QVERIFY(db.exec("create table force_verification_step (verification_id integer, step integer)"));
    }
    const QString error = storeVerification(m_schemes, oneVerification());
    QVERIFY2(error.startsWith("the verification could not be stored in the scheme database"),
             qPrintable(error));
    Database db(m_schemes);
    QCOMPARE(db.select("select count(*) as n from force_verification")->front().toInt("n"), 0);
}

void TestVerificationRecord::missingSchemeDatabaseIsNamed() {
    const QString missing = m_dir->file("elsewhere/test_information.mdb");
    const QString error = storeVerification(missing, oneVerification());
    QVERIFY2(error.contains(missing) && error.contains("springtest init"), qPrintable(error));
    QVERIFY(!QFile::exists(missing));
}

void TestVerificationRecord::reportIsAPdfAndNeverReplacesAFile() {
    const QString report = m_dir->file("verification.pdf");
    QCOMPARE(writeVerificationReport(report, oneVerification()), QString());
    const QByteArray pdf = m_dir->read("verification.pdf");
    QVERIFY(pdf.startsWith("%PDF"));

    m_dir->write("kept.pdf", "an earlier report");
    const QString error = writeVerificationReport(m_dir->file("kept.pdf"), oneVerification());
    QVERIFY2(error.contains("exists already"), qPrintable(error));
    QCOMPARE(m_dir->read("kept.pdf"), QByteArray("an earlier report"));
}

QTEST_MAIN(TestVerificationRecord)
#include "tst_verification_record.moc"
