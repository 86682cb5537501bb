// Changes made at the machine reach the trail under the operator working it: account changes without their
// digests, a command's change at the end of its procedure, a trail that cannot be written told.
#include "platform/OperatorIdentity.h"
#include "platform/ProfileFile.h"
#include "session/OperatorLogin.h"
#include "session/SettingsAuditing.h"
#include "storage/Schema.h"
#include "support/TempAppDir.h"

#include <QtTest>

using namespace springtest;
using springtest::testing::TempAppDir;

namespace {

QStringList described(const QString& folder) {
    QStringList lines;
    for (const AuditEntry& e : readAudit(schemeDatabasePath(folder)).value_or(QList<AuditEntry>{}))
        lines << QStringLiteral("%1 %2 [%3] %4: %5 → %6")
                     .arg(e.operatorName, e.file, e.section, e.key, e.oldValue, e.newValue);
    return lines;
}

}  // namespace

class TestSettingsAuditing : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void accountChangesHideTheDigest();
    void anAccountChangeWithoutATrail();
    void aCommandsChangeIsRecordedAtTheEndOfItsScope_data();
    void aCommandsChangeIsRecordedAtTheEndOfItsScope();
};

void TestSettingsAuditing::cleanup() {
    setLoggedInOperator({});
}

void TestSettingsAuditing::accountChangesHideTheDigest() {
    TempAppDir dir;
    QVERIFY(createSchemeDatabase(schemeDatabasePath(dir.path())));
    QCOMPARE(setOperatorPassword(dir.path(), "admin", "admin"), QString());  // the installation's: unrecorded
    setLoggedInOperator("admin");
    const AccountChange added = changeOperatorPassword(dir.path(), " qa ", "Lab-2026");
    QCOMPARE(added.error, QString());
    QCOMPARE(added.unrecorded, QString());
    const AccountChange changed = changeOperatorPassword(dir.path(), "qa", "Lab-2027");
    QCOMPARE(changed.unrecorded, QString());
    QCOMPARE(described(dir.path()), (QStringList{"admin login.ini [users] qa:  → 账户已添加",
                                                 "admin login.ini [users] qa:  → 密码已更改"}));
    // The digest is in the file, never in the trail.
    const QString digest = ProfileFile(dir.file("login.ini")).readString("users", "qa", {});
    QVERIFY(!digest.isEmpty());
    for (const QString& line : described(dir.path())) QVERIFY(!line.contains(digest.section(':', 1)));
    QVERIFY(checkOperatorLogin(dir.path(), "qa", "Lab-2027"));
}

void TestSettingsAuditing::anAccountChangeWithoutATrail() {
    TempAppDir dir;  // no scheme database
    const AccountChange change = changeOperatorPassword(dir.path(), "qa", "Lab-2026");
    QCOMPARE(change.error, QString());
    QVERIFY2(change.unrecorded.contains("springtest init"), qPrintable(change.unrecorded));
    QVERIFY(checkOperatorLogin(dir.path(), "qa", "Lab-2026"));  // the password is set all the same
    // A name that cannot be an account changes nothing and records nothing.
    QVERIFY(!changeOperatorPassword(dir.path(), "a=b", "x").error.isEmpty());
}

void TestSettingsAuditing::aCommandsChangeIsRecordedAtTheEndOfItsScope_data() {
    QTest::addColumn<bool>("trail");
    QTest::addColumn<QString>("who");  // logged in; empty: nobody
    QTest::addColumn<QStringList>("recorded");
    QTest::addColumn<QStringList>("told");
    QTest::newRow("logged in") << true << "李工"
                               << QStringList{"李工 init0.dat [Displacement] Compensation_coefficient: 0.0000200 → "
                                              "0.0000350"}
                               << QStringList{};
    QTest::newRow("nobody logged in: the system user")
        << true << ""
        << QStringList{currentOperatorName() +
                       " init0.dat [Displacement] Compensation_coefficient: 0.0000200 → 0.0000350"}
        << QStringList{};
    QTest::newRow("no trail") << false << "李工" << QStringList{}
                              << QStringList{kChangeNotRecorded +
                                             "the scheme database %1 is missing: make one "
                                             "with springtest init"};
}

void TestSettingsAuditing::aCommandsChangeIsRecordedAtTheEndOfItsScope() {
    QFETCH(bool, trail);
    QFETCH(QString, who);
    QFETCH(QStringList, recorded);
    QFETCH(QStringList, told);
    TempAppDir dir;
    if (trail) QVERIFY(createSchemeDatabase(schemeDatabasePath(dir.path())));
    dir.write("init0.dat", "[Displacement]\nCompensation_coefficient=0.0000200\n");
    setLoggedInOperator(who);
    QStringList said;
    {
        const AuditedScope audit(dir.path(), dir.file("init0.dat"),
                                 [&](const QString& text) { said << text; });
        QVERIFY(ProfileFile(dir.file("init0.dat"))
                    .writeString("Displacement", "Compensation_coefficient", "0.0000350"));
        QCOMPARE(described(dir.path()), QStringList{});  // not before the scope ends
    }
    QCOMPARE(described(dir.path()), recorded);
    for (QString& line : told) line = line.arg(schemeDatabasePath(dir.path()));
    QCOMPARE(said, told);
}

QTEST_GUILESS_MAIN(TestSettingsAuditing)
#include "tst_settings_auditing.moc"
