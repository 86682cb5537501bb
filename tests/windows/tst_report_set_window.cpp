// The leaf-spring machine's report settings window "报表设置" over "Report.ini".

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "platform/ProfileFile.h"
#include "platform/Prompts.h"
#include "results/LeafReportSettings.h"
#include "support/TempAppDir.h"
#include "windows/browser/TF_ReportSet.h"
#include "windows/common/FindByName.h"

using namespace springtest;
using springtest::testing::TempAppDir;

namespace {

QLineEdit* edit(QWidget* window, int number) {
    return findByName<QLineEdit>(window, QStringLiteral("bsSkinEdit%1").arg(number));
}

QList<QRadioButton*> methods(QWidget* window) {
    return findByName<QGroupBox>(window, "bsSkinRadioGroup1")->findChildren<QRadioButton*>();
}

}  // namespace

class TestReportSetWindow : public QObject {
    Q_OBJECT
private slots:
    void showsTheFile_data();
    void showsTheFile();
    void saveWritesEveryFieldVerbatim();
    void closingWithoutSavingKeepsTheFile();
};

void TestReportSetWindow::showsTheFile_data() {
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("sampleName");
    QTest::addColumn<QString>("setTolerance");
    QTest::addColumn<int>("checked");  // index of the ticked method, -1 none
    QTest::newRow("no file") << QByteArray() << ""
                             << "" << 0;
    QTest::newRow("no section") << QByteArray("[其他]\n样品名称=X\n") << ""
                                << "" << 0;
    QTest::newRow("stored") << QByteArray("[报表设置]\n样品名称=后簧\n永久变形误差值=0.3\n刚度计算方式=2\n")
                            << "后簧"
                            << "0.3" << 2;
    QTest::newRow("unknown method") << QByteArray("[报表设置]\n刚度计算方式=7\n") << ""
                                    << "" << -1;
}

void TestReportSetWindow::showsTheFile() {
    QFETCH(QByteArray, ini);
    QFETCH(QString, sampleName);
    QFETCH(QString, setTolerance);
    QFETCH(int, checked);
    TempAppDir app;
    if (!ini.isEmpty()) app.write("Report.ini", ini);
    TF_ReportSet window(app.path());
    QCOMPARE(window.windowTitle(), QString("报表设置"));
    QCOMPARE(edit(&window, 1)->text(), sampleName);
    QCOMPARE(edit(&window, 16)->text(), setTolerance);
    const QList<QRadioButton*> choices = methods(&window);
    QCOMPARE(choices.size(), 3);
    QCOMPARE(choices[0]->text(), QString("单点刚度"));
    QCOMPARE(choices[2]->text(), QString("不计算刚度"));
    for (int m = 0; m < 3; ++m) QCOMPARE(choices[m]->isChecked(), m == checked);
}

void TestReportSetWindow::saveWritesEveryFieldVerbatim() {
    TempAppDir app;
    app.write("Report.ini", "[报表设置]\n刚度计算方式=7\n");
    ScriptedPrompts prompts;
    setPrompts(&prompts);
    {
        TF_ReportSet window(app.path());
        for (int k = 1; k <= 16; ++k) edit(&window, k)->setText(QStringLiteral("v%1").arg(k));
        edit(&window, 10)->setText("2mm");
        findByName<QPushButton>(&window, "bsSkinSpeedButton1")->click();
        QCOMPARE(prompts.shown.size(), 0);
    }
    const LeafReportSettings stored = readLeafReportSettings(app.path());
    QCOMPARE(stored[ReportField::SampleName], QString("v1"));
    QCOMPARE(stored[ReportField::FreeArcTolerance], QString("2mm"));
    QCOMPARE(stored[ReportField::SetTolerance], QString("v16"));
    // No choice was made: the stored method stays.
    QCOMPARE(stored.stiffnessMethod, 7);
    {
        TF_ReportSet window(app.path());
        methods(&window)[1]->setChecked(true);
        findByName<QPushButton>(&window, "bsSkinSpeedButton1")->click();
    }
    QCOMPARE(ProfileFile(reportSettingsPath(app.path())).readInt("报表设置", "刚度计算方式", -1), 1);
    setPrompts(nullptr);
}

void TestReportSetWindow::closingWithoutSavingKeepsTheFile() {
    TempAppDir app;
    const QByteArray ini("[报表设置]\n样品名称=前簧\n");
    app.write("Report.ini", ini);
    {
        TF_ReportSet window(app.path());
        edit(&window, 1)->setText("changed");
        window.reject();
    }
    QCOMPARE(app.read("Report.ini"), ini);
}

QTEST_MAIN(TestReportSetWindow)
#include "tst_report_set_window.moc"
