// The calibration record where the operator meets it: the data panel's load figure, the about window, and a
// note in the main window's strip when a verification is overdue — never a box that holds a start.
#include "ConsoleRig.h"
#include "calibration/AuditTrail.h"
#include "calibration/VerificationRecord.h"
#include "session/ApplicationFolder.h"
#include "session/CalibrationStatus.h"
#include "storage/Schema.h"
#include "windows/common/FindByName.h"
#include "windows/console/TF_datashow.h"
#include "windows/mainwindow/Tfmain.h"
#include "windows/setup/TF_about.h"

#include "../../sim/SimCardTestApi.h"

#include <QHelpEvent>
#include <QLabel>
#include <QtTest>

#include <dlfcn.h>

using namespace springtest;
using springtest::testing::ConsoleRig;
using springtest::testing::TempAppDir;

namespace {

// Gear 1 of card 0 calibrated on 8 April, verified `verifiedDaysAgo` days before today (none when negative).
void recordCalibration(const QString& folder, int verifiedDaysAgo) {
    const QString schemes = schemeDatabasePath(folder);
    QVERIFY(QFileInfo::exists(schemes) || createSchemeDatabase(schemes));
    QCOMPARE(appendAudit(schemes, {{QDateTime(QDate(2026, 4, 8), QTime(10, 0)), "李工", "init0.dat", "Load",
                                    "Gear1_Press_Coefficient2", "0.2500000", "0.2427190"}}),
             QString());
    if (verifiedDaysAgo < 0) return;
    VerificationRecord verification;
    verification.card = 0;
    verification.gear = 1;
    verification.verifiedAt = QDateTime(QDate::currentDate().addDays(-verifiedDaysAgo), QTime(9, 0));
    QCOMPARE(storeVerification(schemes, verification), QString());
}

QString tooltipOf(QWidget* widget) {
    QHelpEvent help(QEvent::ToolTip, QPoint(1, 1), widget->mapToGlobal(QPoint(1, 1)));
    QApplication::sendEvent(widget, &help);
    return widget->toolTip();
}

}  // namespace

class TestCalibrationRecordWindows : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void loadFigureTooltip_data();
    void loadFigureTooltip();
    void aboutWindowShowsTheRecord();
    void reminderAtStart_data();
    void reminderAtStart();

private:
    sim::SimLoadConfigFn m_simLoadConfig = nullptr;
};

void TestCalibrationRecordWindows::initTestCase() {
    const QByteArray path = (QCoreApplication::applicationDirPath() + "/libRX720.so").toLocal8Bit();
    void* sim = dlopen(path.constData(), RTLD_NOW | RTLD_NODELETE);
    QVERIFY2(sim, dlerror());
    m_simLoadConfig = reinterpret_cast<sim::SimLoadConfigFn>(dlsym(sim, "SimLoadConfig"));
    QVERIFY(m_simLoadConfig);
}

void TestCalibrationRecordWindows::loadFigureTooltip_data() {
    QTest::addColumn<int>("verifiedDaysAgo");  // negative: never, and nothing calibrated either
    QTest::addColumn<bool>("calibrated");
    QTest::addColumn<QString>("tooltip");
    const QString today = QDate::currentDate().addDays(-3).toString("yyyy-MM-dd");
    QTest::newRow("never") << -1 << false << "未标定, 未检定";
    QTest::newRow("calibrated, not verified") << -1 << true << "上次标定 2026-04-08, 未检定";
    QTest::newRow("calibrated and verified") << 3 << true << "上次标定 2026-04-08, 上次检定 " + today;
}

void TestCalibrationRecordWindows::loadFigureTooltip() {
    QFETCH(int, verifiedDaysAgo);
    QFETCH(bool, calibrated);
    QFETCH(QString, tooltip);
    ConsoleRig rig({{0, "Load", "Gear_Total", "1"}});
    QVERIFY(createSchemeDatabase(schemeDatabasePath(rig.dir.path())));
    TF_datashow panel(*rig.context, 0);
    QLabel* load = findByName<QLabel>(&panel, "load_label");
    QCOMPARE(tooltipOf(load), QString("未标定, 未检定"));
    // A calibration made while the panel is open shows the next time the operator points at the figure.
    if (calibrated) recordCalibration(rig.dir.path(), verifiedDaysAgo);
    QCOMPARE(tooltipOf(load), tooltip);
}

void TestCalibrationRecordWindows::aboutWindowShowsTheRecord() {
    TempAppDir dir;
    recordCalibration(dir.path(), 3);
    const QString verified = QDate::currentDate().addDays(-3).toString("yyyy-MM-dd");
    TF_about about(calibrationRecordLines(dir.path(), {2}));
    QCOMPARE(findByName<QLabel>(&about, "CalibrationRecordLabel")->text(),
             "卡1 1档：上次标定 2026-04-08, 上次检定 " + verified + "\n卡1 2档：未标定, 未检定");
    // Without a scheme database the window says why there is no record.
    TempAppDir empty;
    TF_about without(calibrationRecordLines(empty.path(), {1}));
    QVERIFY(findByName<QLabel>(&without, "CalibrationRecordLabel")->text().startsWith("标定记录无法读取："));
}

void TestCalibrationRecordWindows::reminderAtStart_data() {
    QTest::addColumn<int>("verifiedDaysAgo");
    QTest::addColumn<QString>("interval");  // VerificationIntervalMonths; empty: not in the file
    QTest::addColumn<bool>("reminded");
    QTest::newRow("never verified") << -1 << "" << false;
    QTest::newRow("verified last month") << 30 << "" << false;
    QTest::newRow("verified 400 days ago") << 400 << "" << true;
    QTest::newRow("400 days, interval 24") << 400 << "24" << false;
    QTest::newRow("400 days, interval nan") << 400 << "nan" << true;
    QTest::newRow("40 days, interval 1") << 40 << "1" << true;
}

void TestCalibrationRecordWindows::reminderAtStart() {
    QFETCH(int, verifiedDaysAgo);
    QFETCH(QString, interval);
    QFETCH(bool, reminded);
    TempAppDir dir;
    QVERIFY(initialiseApplicationFolder(dir.path()).error.isEmpty());
    if (!interval.isEmpty())
        QVERIFY(
            ProfileFile(dir.file("init0.dat")).writeString("system", "VerificationIntervalMonths", interval));
    recordCalibration(dir.path(), verifiedDaysAgo);
    ScriptedPrompts prompts;
    setPrompts(&prompts);
    QVERIFY(m_simLoadConfig(dir.file("simcard.ini").toLocal8Bit().constData()) == 0);
    {
        Tfmain w(dir.path());
        w.show();
        QCOMPARE(w.startupState(), Tfmain::Startup::Running);
        QLabel* note = findByName<QLabel>(&w, "VerificationReminder");
        QVERIFY(note);
        QCOMPARE(note->isVisible(), reminded);
        if (reminded) QVERIFY2(note->toolTip().startsWith("力值检定已超过"), qPrintable(note->toolTip()));
        QVERIFY2(prompts.shown.isEmpty(), qPrintable(prompts.messages().join('\n')));  // nothing to answer
    }
    setPrompts(nullptr);
}

QTEST_MAIN(TestCalibrationRecordWindows)
#include "tst_calibration_record_windows.moc"
