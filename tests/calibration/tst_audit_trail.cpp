// The audit trail: what a calibration changed, key by key, kept in the scheme database where nothing can
// change it afterwards.
#include "calibration/AuditTrail.h"

#include "storage/Database.h"
#include "storage/Schema.h"
#include "support/TempAppDir.h"

#include <QtTest>

using namespace springtest;
using springtest::testing::TempAppDir;

Q_DECLARE_METATYPE(springtest::GearRecords)

namespace {

// Two gears as init0.dat ships them: 4 counts per newton at magnification 400 in gear 1, twice that in
// gear 2.
GearRecords shippedGears() {
    GearRecords gears{};
    for (int g = 0; g < 2; ++g) {
        GearRecord& r = gears[size_t(g)];
        r.zero = 100;
        r.decimals = 2;
        r.magnification = 400 * (g + 1);
        for (size_t k = 0; k < 3; ++k) {
            r.pressPoint[k] = int32_t((k + 1) * 4000 * (g + 1) + 100);
            r.pullPoint[k] = -r.pressPoint[k];
            r.pressCoefficient[k] = r.pullCoefficient[k] = 0.25 / (g + 1);
            r.pressReference[k] = r.pullReference[k] = float(1000 * (k + 1));
        }
    }
    return gears;
}

AuditEntry entry(const QString& key, const QString& oldValue, const QString& newValue) {
    return {QDateTime(QDate(2026, 5, 4), QTime(8, 15)),
            QStringLiteral("李工"),
            QStringLiteral("init0.dat"),
            QStringLiteral("LOAD"),
            key,
            oldValue,
            newValue};
}

}  // namespace

class TestAuditTrail : public QObject {
    Q_OBJECT

private slots:
    void init();
    void calibrationChanges_data();
    void calibrationChanges();
    void entriesAreReadBackInOrder();
    void recordedRowsCannotBeChanged_data();
    void recordedRowsCannotBeChanged();
    void noTrailYetIsAnEmptyTrail();

private:
    std::unique_ptr<TempAppDir> m_dir;
    QString m_schemes;
};

void TestAuditTrail::init() {
    m_dir = std::make_unique<TempAppDir>();
    m_schemes = schemeDatabasePath(m_dir->path());
    QString error;
    QVERIFY2(createSchemeDatabase(m_schemes, &error), qPrintable(error));
}

void TestAuditTrail::calibrationChanges_data() {
    QTest::addColumn<GearRecords>("after");
    QTest::addColumn<QStringList>("changes");  // "key: old → new"

    QTest::newRow("nothing changed") << shippedGears() << QStringList{};
    GearRecords zeroed = shippedGears();
    zeroed[0].zero = 130;
    QTest::newRow("zero taken") << zeroed << QStringList{"Gear1_AD_ZERO: 100 → 130"};
    // Compression point 1 of gear 1, mirrored to tension and derived to gear 2 as the load channel does.
    GearRecords point1 = shippedGears();
    point1[0].pressPoint[0] = 4220;
    point1[0].pullPoint[0] = -4220;
    point1[0].pressCoefficient[0] = point1[0].pullCoefficient[0] = 0.2427190;
    point1[0].pressReference[0] = 1000.0f;
    point1[1].pressPoint[0] = 8440;
    point1[1].pullPoint[0] = -8440;
    point1[1].pressCoefficient[0] = point1[1].pullCoefficient[0] = 0.1213595;
    QTest::newRow("point 1 of gear 1 with its mirror and gear 2")
        << point1
        << QStringList{"Gear1_Press_AD1: 4100 → 4220",  "Gear1_Press_Coefficient1: 0.2500000 → 0.2427190",
                       "Gear1_Pull_AD1: -4100 → -4220", "Gear1_Pull_Coefficient1: 0.2500000 → 0.2427190",
                       "Gear2_Press_AD1: 8100 → 8440",  "Gear2_Press_Coefficient1: 0.1250000 → 0.1213595",
                       "Gear2_Pull_AD1: -8100 → -8440", "Gear2_Pull_Coefficient1: 0.1250000 → 0.1213595"};
    // A tension reference is written with the gear's decimals: a change below them is no change in the file.
    GearRecords tension = shippedGears();
    tension[0].pullReference[2] = -2999.5f;
    tension[1].pullReference[2] = 3000.001f;
    QTest::newRow("reference loads as the file holds them")
        << tension << QStringList{"Gear1_Pull_Clibration_value3: 3000.00 → -2999.50"};
}

void TestAuditTrail::calibrationChanges() {
    QFETCH(GearRecords, after);
    QFETCH(QStringList, changes);
    QStringList found;
    for (const AuditEntry& e :
         loadCalibrationChanges(QStringLiteral("init0.dat"), 2, shippedGears(), after)) {
        QCOMPARE(e.file, QStringLiteral("init0.dat"));
        QCOMPARE(e.section, QStringLiteral("LOAD"));
        found << QStringLiteral("%1: %2 → %3").arg(e.key, e.oldValue, e.newValue);
    }
    QCOMPARE(found, changes);
}

void TestAuditTrail::entriesAreReadBackInOrder() {
    QCOMPARE(appendAudit(m_schemes, {entry("Gear1_AD_ZERO", "100", "130")}), QString());
    QCOMPARE(appendAudit(m_schemes, {entry("Gear1_Press_AD1", "4100", "4220"),
                                     entry("Gear1_Press_Coefficient1", "0.2500000", "0.2427190")}),
             QString());
    const auto entries = readAudit(m_schemes);
    QVERIFY(entries);
    QCOMPARE(entries->size(), 3);
    QCOMPARE(entries->at(0).key, QStringLiteral("Gear1_AD_ZERO"));
    QCOMPARE(entries->at(2).key, QStringLiteral("Gear1_Press_Coefficient1"));
    QCOMPARE(entries->at(2).oldValue, QStringLiteral("0.2500000"));
    QCOMPARE(entries->at(2).newValue, QStringLiteral("0.2427190"));
    QCOMPARE(entries->at(2).operatorName, QStringLiteral("李工"));
    QCOMPARE(entries->at(2).at, QDateTime(QDate(2026, 5, 4), QTime(8, 15)));
}

void TestAuditTrail::recordedRowsCannotBeChanged_data() {
    QTest::addColumn<QString>("statement");
    QTest::newRow("rewriting a value") << "update audit_trail set new_value = '0.2500000'";
    QTest::newRow("changing who") << "update audit_trail set operator = 'nobody'";
    QTest::newRow("deleting a row") << "delete from audit_trail where key = 'Gear1_AD_ZERO'";
    QTest::newRow("deleting everything") << "delete from audit_trail";
}

void TestAuditTrail::recordedRowsCannotBeChanged() {
    QFETCH(QString, statement);
    QCOMPARE(appendAudit(m_schemes, {entry("Gear1_AD_ZERO", "100", "130")}), QString());
    {
        Database db(m_schemes);
        QVERIFY(!db.exec(statement));
        QVERIFY2(db.lastError().contains("the audit trail cannot be changed"), qPrintable(db.lastError()));
    }
    const auto entries = readAudit(m_schemes);
    QCOMPARE(entries->size(), 1);
    QCOMPARE(entries->front().newValue, QStringLiteral("130"));
    QCOMPARE(entries->front().operatorName, QStringLiteral("李工"));
}

void TestAuditTrail::noTrailYetIsAnEmptyTrail() {
    const auto entries = readAudit(m_schemes);
    QVERIFY(entries);
    QVERIFY(entries->isEmpty());
    QString error;
    QVERIFY(!readAudit(m_dir->file("nowhere.mdb"), &error));
    QVERIFY2(error.contains("nowhere.mdb"), qPrintable(error));
}

QTEST_APPLESS_MAIN(TestAuditTrail)
#include "tst_audit_trail.moc"
