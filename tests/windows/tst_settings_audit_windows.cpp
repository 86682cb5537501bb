// Every window that changes a machine setting leaves the change in the audit trail: who, which file,
// section and key, the value before and after.
#include "ConsoleRig.h"
#include "calibration/AuditTrail.h"
#include "platform/OperatorIdentity.h"
#include "session/HardwareSettings.h"
#include "session/SettingsAuditing.h"
#include "storage/Schema.h"
#include "windows/common/FindByName.h"
#include "windows/console/ControlPidPage.h"
#include "windows/console/TF_datashow.h"
#include "windows/setup/TF_bd.h"
#include "windows/setup/TF_hardset.h"
#include "windows/setup/TF_pid_adjust.h"
#include "windows/setup/TF_testspeed.h"
#include "windows/setup/TF_wybc.h"
#include "windows/setup/TFzero.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QScrollBar>
#include <QToolButton>
#include <QtTest>

using namespace springtest;
using springtest::testing::ConsoleRig;
using springtest::testing::FakeCard;

namespace {

// One gear, so that a calibration point changes its own keys only.
const QList<ConsoleRig::Setting> kChannels{
    {0, "Load", "Max_Range", "5000"},
    {0, "Load", "Gear_Total", "1"},
    {0, "Load", "Gear1_AD_ZERO", "100"},
    {0, "Load", "Gear1_Decimal_Places", "2"},
    {0, "Load", "Gear1_Press_AD1", "4100"},
    {0, "Load", "Gear1_Press_Clibration_value1", "1000.00"},
    {0, "Load", "Gear1_Press_Coefficient1", "0.2500000"},
    {0, "Load", "Gear1_Pull_AD1", "-4100"},
    {0, "Load", "Gear1_Pull_Coefficient1", "0.2500000"},
    {0, "Displacement", "Compensation_coefficient", "0.0000200"},
    {0, "Motor", "ControlMode", "1"},
    {0, "PID", "Load_I", "0"},
    {0, "PID", "FAPIAN", "2048"},
    {0, "PID", "upper", "500"},
    {0, "PID", "Low", "-500"},
};

// The rig's card with a scheme database beside it, as an installation has.
struct Rig : ConsoleRig {
    Rig() : ConsoleRig(2, 1, kChannels) { createSchemeDatabase(schemeDatabasePath(dir.path())); }
    ~Rig() { card().motor->StopPid(); }

    void readCount(int32_t count) {
        {
            std::lock_guard lock(FakeCard::mutex());
            fakeCard().count = count;
        }
        card().load->ReadLoad();
    }
    QStringList trail() const {
        QStringList lines;
        for (const AuditEntry& e : readAudit(schemeDatabasePath(dir.path())).value_or(QList<AuditEntry>{}))
            lines << QStringLiteral("%1 [%2] %3: %4 → %5")
                         .arg(e.file, e.section, e.key, e.oldValue, e.newValue);
        return lines;
    }
};

template <typename T>
T* get(QWidget& window, const QString& name) {
    T* w = findByName<T>(&window, name);
    if (!w) qFatal("no component %s", qPrintable(name));
    return w;
}

// One save in one window, as an operator makes it.
void saveIn(const QString& window, Rig& rig) {
    if (window == "参数标定, 标定一") {
        rig.readCount(4300);
        TF_bd w(rig.card(), 0);
        get<QLineEdit>(w, "ed_bd1")->setText("1000");
        w.takePoint(1);
    } else if (window == "参数标定, +1") {
        TF_bd w(rig.card(), 0);
        w.stepCoefficient(1, +1);
    } else if (window == "负荷清零") {
        rig.readCount(130);
        TF_datashow w(*rig.context, 0);
        get<QToolButton>(w, "ClearLoad_Button")->click();
    } else if (window == "位移补偿") {
        TF_wybc w(rig.card(), 0);
        get<QLineEdit>(w, "bsSkinEdit1")->setText("10000");
        get<QLineEdit>(w, "bsSkinEdit2")->setText("0.35");
        rig.prompts.answers = {true};  // the load is below 90 % of the range: go on
        w.compute();
    } else if (window == "系统调零") {
        TFzero w(rig.dir.path());
        // A drag writes every step; the trail keeps where it started and where it ended.
        for (int value : {2010, 2050, 2100}) get<QScrollBar>(w, "ScrollBar_zero")->setValue(value);
    } else if (window == "PID调节") {
        TF_pid_adjust w(rig.card(), 0);
        for (int value : {1000, 2000, 2500}) get<QScrollBar>(w, "ScrollBar_LOAD_I")->setValue(value);
    } else if (window == "硬件设置") {
        QVERIFY(HardwareSettings{}.write(rig.dir.path()));
        TF_hardset w(rig.dir.path());
        get<QLineEdit>(w, "ed_load_gz")->setText("1.05");
        rig.prompts.answers = {true};
        QVERIFY(w.save());
    } else if (window == "速度设置, 全速率曲线") {
        TF_testspeed w(*rig.sequencer, rig.dir.path());
        get<QCheckBox>(w, "FullRateCheckBox")->setChecked(true);
        w.confirm();
    } else if (window == "闭环阀门设置") {
        ControlPidPage page(*rig.context, 0);
        get<QLineEdit>(page, "fapian_Edit")->setText("2050");
        get<QLineEdit>(page, "edit_high")->setText("500");
        get<QLineEdit>(page, "edit_low")->setText("-400");
        get<QToolButton>(page, "bsSkinSpeedButton31")->click();
    } else {
        QFAIL(qPrintable("no such window: " + window));
    }
}

}  // namespace

class TestSettingsAuditWindows : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void aSaveEndsUpInTheTrail_data();
    void aSaveEndsUpInTheTrail();
    void theTrailNamesWhoIsLoggedIn();
    void aTrailThatCannotBeWrittenIsTold();
};

void TestSettingsAuditWindows::cleanup() {
    setLoggedInOperator({});
}

void TestSettingsAuditWindows::aSaveEndsUpInTheTrail_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QStringList>("trail");
    QTest::newRow("load calibration, a point")
        << "参数标定, 标定一"
        << QStringList{"init0.dat [Load] Gear1_Press_AD1: 4100 → 4300",
                       "init0.dat [Load] Gear1_Press_Coefficient1: 0.2500000 → 0.2380952",
                       "init0.dat [Load] Gear1_Pull_AD1: -4100 → -4300",
                       "init0.dat [Load] Gear1_Pull_Coefficient1: 0.2500000 → 0.2380952"};
    QTest::newRow("load calibration, a coefficient nudged")
        << "参数标定, +1" << QStringList{"init0.dat [Load] Gear1_Press_Coefficient1: 0.2500000 → 0.2500001"};
    QTest::newRow("data panel, load zero")
        << "负荷清零" << QStringList{"init0.dat [Load] Gear1_AD_ZERO: 100 → 130"};
    QTest::newRow("displacement compensation")
        << "位移补偿"
        << QStringList{"init0.dat [Displacement] Compensation_coefficient: 0.0000200 → 0.0000350"};
    QTest::newRow("hardware zero, one drag")
        << "系统调零" << QStringList{"init.ini [load] load_zero:  → 2100"};
    QTest::newRow("PID gain, one drag") << "PID调节" << QStringList{"init0.dat [PID] Load_I: 0 → 2500"};
    QTest::newRow("hardware settings")
        << "硬件设置" << QStringList{"init.ini [load] Overload_proportion: 1.03 → 1.05"};
    QTest::newRow("full-rate curve switched on")
        << "速度设置, 全速率曲线" << QStringList{"init0.dat [system] FullRateCurve:  → 1"};
    QTest::newRow("servo valve settings")
        << "闭环阀门设置"
        << QStringList{"init0.dat [PID] FAPIAN: 2048 → 2050", "init0.dat [PID] Low: -500 → -400"};
}

void TestSettingsAuditWindows::aSaveEndsUpInTheTrail() {
    QFETCH(QString, window);
    QFETCH(QStringList, trail);
    Rig rig;
    saveIn(window, rig);
    QCOMPARE(rig.trail(), trail);
    QVERIFY2(!rig.prompts.messages().join('\n').contains(kChangeNotRecorded),
             qPrintable(rig.prompts.messages().join('\n')));
}

void TestSettingsAuditWindows::theTrailNamesWhoIsLoggedIn() {
    Rig rig;
    setLoggedInOperator("质检员王");
    saveIn("参数标定, +1", rig);
    setLoggedInOperator({});
    saveIn("参数标定, +1", rig);
    const auto entries = readAudit(schemeDatabasePath(rig.dir.path()));
    QVERIFY(entries && entries->size() == 2);
    QCOMPARE(entries->at(0).operatorName, QString("质检员王"));
    QCOMPARE(entries->at(1).operatorName, currentOperatorName());  // the system user
    QVERIFY(!entries->at(1).operatorName.isEmpty());
}

void TestSettingsAuditWindows::aTrailThatCannotBeWrittenIsTold() {
    Rig rig;
    QVERIFY(QFile::remove(schemeDatabasePath(rig.dir.path())));
    saveIn("位移补偿", rig);
    // The coefficient is in force and saved; the operator learns that the trail missed it.
    QCOMPARE(ProfileFile(channelConfigFile(rig.dir.path(), 0))
                 .readString("Displacement", "Compensation_coefficient", {}),
             QString("0.0000350"));
    const QStringList said = rig.prompts.messages();
    QVERIFY2(said.size() == 2 && said.last().startsWith(kChangeNotRecorded) &&
                 said.last().contains("springtest init"),
             qPrintable(said.join('\n')));
}

QTEST_MAIN(TestSettingsAuditWindows)
#include "tst_settings_audit_windows.moc"
