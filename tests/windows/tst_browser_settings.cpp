// The result browser's two settings windows: the curve area ("曲线范围") over a browser's chart and steps,
// and the named reports ("报表设置") over the scheme database.

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QtTest>

#include "platform/ProfileFile.h"
#include "platform/Prompts.h"
#include "results/CurveArea.h"
#include "results/ReportNames.h"
#include "results/ResultChart.h"
#include "storage/Schema.h"
#include "support/TempAppDir.h"
#include "windows/browser/TF_reportnameset.h"
#include "windows/browser/TFcurve_area.h"
#include "windows/common/FindByName.h"

using namespace springtest;
using springtest::testing::TempAppDir;

namespace {

struct SettingsRig {
    TempAppDir dir;
    ScriptedPrompts prompts;
    SettingsRig() { setPrompts(&prompts); }
    ~SettingsRig() { setPrompts(nullptr); }
    QString schemeDatabase() const { return schemeDatabasePath(dir.path()); }
};

template <typename T>
T* part(QWidget& window, const char* name) {
    return findByName<T>(&window, QString::fromLatin1(name));
}

void click(QWidget& window, const char* name) {
    auto* button = part<QAbstractButton>(window, name);
    QVERIFY2(button, name);
    button->click();
}

void type(QWidget& window, const char* name, const QString& text) {
    auto* field = part<QComboBox>(window, name);
    QVERIFY2(field, name);
    field->setEditText(text);
}

}  // namespace

class TestBrowserSettings : public QObject {
    Q_OBJECT
private slots:
    void curveAreaShowsChartAndStoredSteps();
    void curveAreaConfirm_data();
    void curveAreaConfirm();
    void curveAreaCloseChangesNothing();
    void reportNameWindow();
};

void TestBrowserSettings::curveAreaShowsChartAndStoredSteps() {
    SettingsRig rig;
    rig.dir.write("init.ini", "[坐标范围]\nX轴按钮调节量=0.5\n");
    ResultChart chart;
    chart.bottom = {1.25, 40, 3.875};
    chart.left = {0, 225.5, 22.55};
    AxisSteps steps{7, 9};  // the browser's own, which the window does not show
    TFcurve_area window(rig.dir.path(), chart, steps);

    QCOMPARE(window.windowTitle(), QString("曲线范围"));
    const QStringList expected{"1.250", "40.000", "0.5", "0.000", "225.500", "2"};
    for (int i = 0; i < 6; ++i) {
        const QByteArray name = "ComboBox" + QByteArray::number(i + 1);
        auto* field = part<QComboBox>(window, name.constData());
        QVERIFY2(field && field->isEditable(), name.constData());
        QCOMPARE(field->currentText(), expected[i]);
    }
    QCOMPARE(part<QComboBox>(window, "ComboBox3")->count(), 5);
    QCOMPARE(part<QComboBox>(window, "ComboBox4")->itemText(5), QString("200"));
}

void TestBrowserSettings::curveAreaConfirm_data() {
    QTest::addColumn<QStringList>("typed");  // the six fields in order
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QList<double>>("axes");  // bottom min, max, step, left min, max, step
    QTest::addColumn<QList<double>>("steps");
    const QList<double> unchanged{1, 11, 1, 2, 22, 2};
    QTest::newRow("both maxima") << QStringList{"5", "25", "0.5", "", "300", "5"} << QStringList{}
                                 << QList<double>{5, 25, 2, 0, 300, 30} << QList<double>{0.5, 5};
    QTest::newRow("maximum below minimum applied as typed")
        << QStringList{"30", "10", "1", "0", "100", "2"} << QStringList{}
        << QList<double>{30, 10, -2, 0, 100, 10} << QList<double>{1, 2};
    QTest::newRow("empty X maximum: axes stay, steps stored")
        << QStringList{"0", "", "0.1", "0", "50", "5"} << QStringList{"最大值不能为空!!!"} << unchanged
        << QList<double>{0.1, 5};
}

void TestBrowserSettings::curveAreaConfirm() {
    QFETCH(QStringList, typed);
    QFETCH(QStringList, messages);
    QFETCH(QList<double>, axes);
    QFETCH(QList<double>, steps);
    SettingsRig rig;
    ResultChart chart;
    chart.bottom = {1, 11, 1};
    chart.left = {2, 22, 2};
    AxisSteps browserSteps;
    TFcurve_area window(rig.dir.path(), chart, browserSteps);
    window.show();
    for (int i = 0; i < 6; ++i) type(window, ("ComboBox" + QByteArray::number(i + 1)).constData(), typed[i]);
    click(window, "bsSkinButton1");

    QCOMPARE(rig.prompts.messages(), messages);
    QVERIFY(!window.isVisible());
    QCOMPARE((QList<double>{chart.bottom.min, chart.bottom.max, chart.bottom.step, chart.left.min,
                            chart.left.max, chart.left.step}),
             axes);
    QCOMPARE(browserSteps.x, steps[0]);
    QCOMPARE(browserSteps.y, steps[1]);
    // Stored as typed, for every browser that opens next.
    const ProfileFile ini(rig.dir.file("init.ini"));
    QCOMPARE(ini.readString("坐标范围", "X轴按钮调节量", ""), typed[2]);
    QCOMPARE(ini.readString("坐标范围", "Y轴按钮调节量", ""), typed[5]);
}

void TestBrowserSettings::curveAreaCloseChangesNothing() {
    SettingsRig rig;
    ResultChart chart;
    AxisSteps steps;
    TFcurve_area window(rig.dir.path(), chart, steps);
    window.show();
    type(window, "ComboBox2", "99");
    type(window, "ComboBox3", "5");
    click(window, "bsSkinButton2");
    QVERIFY(!window.isVisible());
    QCOMPARE(chart.bottom.max, 5.0);
    QCOMPARE(steps.x, 2.0);
    QVERIFY(!QFileInfo::exists(rig.dir.file("init.ini")));
}

void TestBrowserSettings::reportNameWindow() {
    SettingsRig rig;
    QVERIFY(createSchemeDatabase(rig.schemeDatabase()));
    QVERIFY(saveReportName(rig.schemeDatabase(), {"R1", "A1:F20", true}, [](const QString&) {
                return false;
            }).messages.isEmpty());

    TF_reportnameset window(rig.dir.path());
    QCOMPARE(window.windowTitle(), QString("报表设置"));
    auto* names = part<QComboBox>(window, "report_name_com");
    auto* withChart = part<QCheckBox>(window, "bsSkinCheckRadioBox1");
    auto* range = part<QLineEdit>(window, "bsSkinEdit1");
    QVERIFY(names && withChart && range);
    QCOMPARE(names->count(), 1);
    QVERIFY(!range->isEnabled());

    // Opening a stored name shows its settings; the position field stays as the operator left it.
    names->setEditText("R1");
    click(window, "open_button");
    QVERIFY(withChart->isChecked());
    QCOMPARE(range->text(), QString("A1:F20"));
    QVERIFY(!range->isEnabled());
    withChart->click();
    QVERIFY(!range->isEnabled());
    withChart->click();
    QVERIFY(range->isEnabled());

    // A new name is stored; an existing one only on Yes.
    names->setEditText("R2");
    range->setText("B2:C3");
    click(window, "save_button");
    QCOMPARE(loadReportName(rig.schemeDatabase(), "R2")->chartRange, QString("B2:C3"));
    names->setEditText("R1");
    range->setText("Z9:Z9");
    rig.prompts.answers = {false};
    click(window, "save_button");
    QCOMPARE(rig.prompts.messages(), QStringList{"该报表名称已经存在，是否覆盖!!"});
    QCOMPARE(loadReportName(rig.schemeDatabase(), "R1")->chartRange, QString("A1:F20"));
    QCOMPARE(names->count(), 1);  // the list is read when the window opens

    // An unknown name clears the fields; deleting it says it is gone already.
    names->setEditText("nobody");
    click(window, "open_button");
    QVERIFY(!withChart->isChecked());
    QVERIFY(range->text().isEmpty());
    rig.prompts.shown.clear();
    click(window, "delete_button");
    QCOMPARE(rig.prompts.messages(), QStringList{"该报表名称已经删除!!"});
    names->setEditText("");
    rig.prompts.shown.clear();
    click(window, "save_button");
    QCOMPARE(rig.prompts.messages(), QStringList{"报表名称不能为空!!"});

    names->setEditText("R2");
    click(window, "delete_button");
    QVERIFY(!loadReportName(rig.schemeDatabase(), "R2"));
    QCOMPARE(reportNames(rig.schemeDatabase()), QStringList{"R1"});
}

QTEST_MAIN(TestBrowserSettings)
#include "tst_browser_settings.moc"
