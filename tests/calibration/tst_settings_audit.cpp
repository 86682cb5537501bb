// One way for every settings file into the audit trail: the file before a save and after it, key by key.
#include "calibration/SettingsAudit.h"

#include "storage/Schema.h"
#include "support/TempAppDir.h"

#include <QtTest>

using namespace springtest;
using springtest::testing::TempAppDir;

namespace {

QStringList described(const QList<AuditEntry>& entries) {
    QStringList lines;
    for (const AuditEntry& e : entries)
        lines << QStringLiteral("%1 [%2] %3: %4 → %5").arg(e.file, e.section, e.key, e.oldValue, e.newValue);
    return lines;
}

const QByteArray kChannelFile =
    "[Load]\nGear1_AD_ZERO=100\nGear1_Press_Coefficient1=0.2500000\n"
    "[Displacement]\nCompensation_coefficient=0.0000200\npress_SAVE_VALUE=80\n"
    "press_save_pulse=0\n[PID]\nLoad_P=0\n";

}  // namespace

class TestSettingsAudit : public QObject {
    Q_OBJECT

private slots:
    void init();
    void changesBetweenTwoReadings_data();
    void changesBetweenTwoReadings();
    void aSaveEndsUpInTheTrail();
    void aTrailThatCannotBeWritten_data();
    void aTrailThatCannotBeWritten();
    void aWatchedSectionKeepsToItself();

private:
    std::unique_ptr<TempAppDir> m_dir;
    SettingsAuditTarget m_target;
};

void TestSettingsAudit::init() {
    m_dir = std::make_unique<TempAppDir>();
    m_target = {schemeDatabasePath(m_dir->path()), QStringLiteral("李工")};
    QString error;
    QVERIFY2(createSchemeDatabase(m_target.schemeDatabasePath, &error), qPrintable(error));
}

void TestSettingsAudit::changesBetweenTwoReadings_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QStringList>("changes");

    const QString channel = QString::fromUtf8(kChannelFile);
    QTest::newRow("unchanged") << "init0.dat" << channel << channel << QStringList{};
    QTest::newRow("changed key") << "init0.dat" << channel
                                 << QString(channel).replace("0.2500000", "0.2427190")
                                 << QStringList{
                                        "init0.dat [Load] Gear1_Press_Coefficient1: 0.2500000 → 0.2427190"};
    QTest::newRow("added key") << "init.ini"
                               << "[load]\n"
                               << "[load]\nload_zero=2100\n"
                               << QStringList{"init.ini [load] load_zero:  → 2100"};
    QTest::newRow("added section") << "init.ini"
                                   << ""
                                   << "[load]\nload_zero=2100\n"
                                   << QStringList{"init.ini [load] load_zero:  → 2100"};
    QTest::newRow("removed key") << "init.ini"
                                 << "[load]\nload_zero=2100\nlinear=1\n"
                                 << "[load]\nlinear=1\n"
                                 << QStringList{"init.ini [load] load_zero: 2100 → "};
    // The file's own spelling may change with an older program writing it: only values are changes.
    QTest::newRow("key spelled in another case, same value") << "init0.dat"
                                                             << "[PID]\nLoad_P=120\n"
                                                             << "[pid]\nload_p=120\n"
                                                             << QStringList{};
    QTest::newRow("key spelled in another case, new value")
        << "init0.dat"
        << "[PID]\nLoad_P=120\n"
        << "[pid]\nLOAD_P=150\n"
        << QStringList{"init0.dat [pid] LOAD_P: 120 → 150"};
    QTest::newRow("crosshead kept at shutdown is state, not a setting")
        << "init0.dat" << channel
        << QString(channel)
                   .replace("press_SAVE_VALUE=80", "press_SAVE_VALUE=12.5000")
                   .replace("press_save_pulse=0", "press_save_pulse=50000") +
               "[close]\nclose_flag=1\n"
        << QStringList{};
    QTest::newRow("state beside a setting")
        << "init0.dat" << channel
        << QString(channel)
               .replace("press_SAVE_VALUE=80", "press_SAVE_VALUE=3")
               .replace("0.0000200", "0.0000350")
        << QStringList{"init0.dat [Displacement] Compensation_coefficient: 0.0000200 → 0.0000350"};
    const QString admin = "[users]\nadmin=8f2a:5be1c0\n";
    QTest::newRow("account added, digest hidden") << "login.ini" << admin << admin + "qa=11aa:99ff\n"
                                                  << QStringList{"login.ini [users] qa:  → 账户已添加"};
    QTest::newRow("password changed, digests hidden")
        << "login.ini" << admin << "[users]\nadmin=77c3:0d0d\n"
        << QStringList{"login.ini [users] admin:  → 密码已更改"};
    QTest::newRow("account removed, digest hidden")
        << "LOGIN.INI" << admin + "qa=11aa:99ff\n"
        << admin << QStringList{"LOGIN.INI [users] qa:  → 账户已删除"};
}

void TestSettingsAudit::changesBetweenTwoReadings() {
    QFETCH(QString, file);
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(QStringList, changes);
    QCOMPARE(
        described(settingsChanges(file, ProfileSnapshot::fromText(before), ProfileSnapshot::fromText(after))),
        changes);
}

void TestSettingsAudit::aSaveEndsUpInTheTrail() {
    m_dir->write("init0.dat", kChannelFile);
    const QString path = m_dir->file("init0.dat");
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    const QString error = recordSettingsSave(path, m_target, [&] {
        QVERIFY(
            ProfileFile(path).writeSettings({{"Load", "Gear1_AD_ZERO", "130"}, {"PID", "Load_P", "250"}}));
    });
    QCOMPARE(error, QString());
    const auto trail = readAudit(m_target.schemeDatabasePath);
    QVERIFY(trail);
    QCOMPARE(described(*trail),
             (QStringList{"init0.dat [Load] Gear1_AD_ZERO: 100 → 130", "init0.dat [PID] Load_P: 0 → 250"}));
    for (const AuditEntry& e : *trail) {
        QCOMPARE(e.operatorName, QStringLiteral("李工"));
        QVERIFY(e.at >= before && e.at <= QDateTime::currentDateTime().addSecs(1));
    }
    // A save that changes nothing adds nothing.
    QCOMPARE(
        recordSettingsSave(path, m_target, [&] { ProfileFile(path).writeString("PID", "Load_P", "250"); }),
        QString());
    QCOMPARE(readAudit(m_target.schemeDatabasePath)->size(), 2);
}

void TestSettingsAudit::aTrailThatCannotBeWritten_data() {
    QTest::addColumn<QByteArray>("schemeDatabase");  // empty: no file at all
    QTest::addColumn<QString>("said");

    QTest::newRow("no scheme database") << QByteArray() << "springtest init";
    QTest::newRow("scheme database damaged")
        << QByteArray("this is no database, it was overwritten\n") << "audit trail";
}

void TestSettingsAudit::aTrailThatCannotBeWritten() {
    QFETCH(QByteArray, schemeDatabase);
    QFETCH(QString, said);
    QVERIFY(QFile::remove(m_target.schemeDatabasePath));
    if (!schemeDatabase.isEmpty()) m_dir->write(kSchemeDatabaseFile, schemeDatabase);
    m_dir->write("init0.dat", kChannelFile);
    const QString path = m_dir->file("init0.dat");

    SettingsChangeRecord change(path);
    QVERIFY(ProfileFile(path).writeString("Displacement", "Compensation_coefficient", "0.0000350"));
    const QString error = change.record(m_target);
    QVERIFY2(error.contains(said), qPrintable(error));
    // The setting stays saved; the change waits for a trail that can take it, with its old value.
    QCOMPARE(ProfileFile(path).readString("Displacement", "Compensation_coefficient", {}), "0.0000350");
    QVERIFY(QFile::remove(m_target.schemeDatabasePath) || schemeDatabase.isEmpty());
    QVERIFY(createSchemeDatabase(m_target.schemeDatabasePath));
    QCOMPARE(change.record(m_target), QString());
    QCOMPARE(described(*readAudit(m_target.schemeDatabasePath)),
             QStringList{"init0.dat [Displacement] Compensation_coefficient: 0.0000200 → 0.0000350"});
}

void TestSettingsAudit::aWatchedSectionKeepsToItself() {
    // A PID window open beside the data panel: the panel's zeroing is the panel's to record.
    m_dir->write("init0.dat", kChannelFile);
    const QString path = m_dir->file("init0.dat");
    SettingsChangeRecord pid(path, QStringLiteral("pid"));
    QVERIFY(ProfileFile(path).writeString("PID", "Load_P", "120"));
    QVERIFY(ProfileFile(path).writeString("Load", "Gear1_AD_ZERO", "104"));
    QVERIFY(ProfileFile(path).writeString("PID", "Load_P", "180"));
    QCOMPARE(pid.record(m_target), QString());
    QCOMPARE(pid.record(m_target), QString());  // nothing new since
    QCOMPARE(described(*readAudit(m_target.schemeDatabasePath)),
             QStringList{"init0.dat [PID] Load_P: 0 → 180"});
}

QTEST_GUILESS_MAIN(TestSettingsAudit)
#include "tst_settings_audit.moc"
