#include "FindComponent.h"

#include "platform/ProfileFile.h"
#include "platform/Prompts.h"
#include "session/HardwareSettings.h"
#include "storage/Schema.h"
#include "support/SmallDisk.h"
#include "support/TempAppDir.h"
#include "windows/setup/TF_hardset.h"
#include "windows/setup/TFzero.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QtTest>

using namespace springtest;
using springtest::testing::get;
using springtest::testing::SmallDisk;
using springtest::testing::TempAppDir;

namespace {

// What a component shows, whatever kind it is: its text, or whether it is ticked.
QString shown(QWidget* window, const QString& name) {
    QWidget* w = get(window, name);
    if (auto* combo = qobject_cast<QComboBox*>(w)) return combo->currentText();
    if (auto* line = qobject_cast<QLineEdit*>(w)) return line->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return button->isChecked() ? "checked" : "unchecked";
    qFatal("cannot read %s", qPrintable(name));
}

// The text typed into a field: a line edit, or the line edit of a combo box the operator types into.
QLineEdit* typingField(QWidget* window, const QString& name) {
    QWidget* w = get(window, name);
    if (auto* combo = qobject_cast<QComboBox*>(w)) return combo->lineEdit();
    return qobject_cast<QLineEdit*>(w);
}

QString stored(const TempAppDir& dir, const QString& section, const QString& key) {
    return ProfileFile(dir.file("init.ini")).readString(section, key, "(none)");
}

struct Rig {
    TempAppDir dir;
    ScriptedPrompts prompts;
    explicit Rig(const QByteArray& init = {}) {
        if (!init.isEmpty()) dir.write("init.ini", init);
        createSchemeDatabase(schemeDatabasePath(dir.path()));  // where the saves are recorded
        setPrompts(&prompts);
    }
    ~Rig() { setPrompts(nullptr); }
};

// A file an installation could hold: sections in other cases, a unit the list does not know, keys of
// other windows in the same sections.
const QByteArray kInstalled =
    "[STYLE]\r\nsb_style=2\r\n"
    "[Card]\r\ncard_name=RX720\r\n"
    "[LOAD]\r\nMax_Range=50000\r\nunits=kgf\r\nGear_Total=3\r\n"
    "Gear2_Magnification=800\r\nGear3_Decimal_Places=5\r\n"
    "auto_gear_proportion=92\r\nauto_gear=1\r\nOverload_proportion=1.02\r\n"
    "Zero_Poor=-15\r\nDirection=-1\r\nload_zero=2222\r\n"
    "[displacement]\r\ncoder_pulse=2500\r\nscrews=10\r\ncoefficient=0.001\r\n"
    "Decimal_Places=2\r\n"
    "[Motor_status]\r\nDirection=-1\r\n";

}  // namespace

class TestHardwareSettingsWindow : public QObject {
    Q_OBJECT
private slots:
    void opensFromTheFile_data();
    void opensFromTheFile();
    void savesEveryKey();
    void saveQuestion_data();
    void saveQuestion();
    void closeAsksForUnsavedChanges_data();
    void closeAsksForUnsavedChanges();
    void saveOnAFullDiskKeepsTheEntries();
    void refusesWhatCannotDescribeAMachine_data();
    void refusesWhatCannotDescribeAMachine();
    void convertsPulsesAndPitch_data();
    void convertsPulsesAndPitch();
    void overloadProportionAtMost105_data();
    void overloadProportionAtMost105();
    void automaticGearChangeEnablesItsPercent();
    void wheelChangesNoSetting();
    void keyFilters_data();
    void keyFilters();
    void zeroControl_data();
    void zeroControl();
    void zeroControlOnAFullDiskSaysSoOnce();
};

void TestHardwareSettingsWindow::opensFromTheFile_data() {
    QTest::addColumn<QByteArray>("init");
    QTest::addColumn<QStringList>("expected");  // component=shown
    QTest::newRow("no file: the defaults") << QByteArray()
                                           << QStringList{"com_sb_style=微机控制弹簧拉压试验机",
                                                          "com_card_name=RX640K",
                                                          "com_load_max=1000",
                                                          "com_load_units=N",
                                                          "com_load_dws=4",
                                                          "com_load_zoom1=400",
                                                          "com_load_zoom6=400",
                                                          "com_load_point1=3",
                                                          "com_load_point6=3",
                                                          "change_gear_Com=95",
                                                          "manual_RadioBox=checked",
                                                          "auto_RadioBox=unchecked",
                                                          "ed_load_gz=1.03",
                                                          "ED_Zero_Poor=0",
                                                          "ed_wy_coder_pulse=1000",
                                                          "ed_wy_screws=6",
                                                          "ed_wy_xs=1",
                                                          "com_wy_point=3",
                                                          "CheckBox_load=unchecked",
                                                          "CheckBox_wy=unchecked",
                                                          "CheckBox_dj=unchecked"};
    QTest::newRow("an installation's file") << kInstalled
                                            << QStringList{"com_sb_style=微机控制自锁螺母试验机",
                                                           "com_card_name=RX720",
                                                           "com_load_max=50000",
                                                           "com_load_units=kgf",
                                                           "com_load_dws=3",
                                                           "com_load_zoom1=400",
                                                           "com_load_zoom2=800",
                                                           "com_load_point3=5",
                                                           "change_gear_Com=92",
                                                           "manual_RadioBox=unchecked",
                                                           "auto_RadioBox=checked",
                                                           "ed_load_gz=1.02",
                                                           "ED_Zero_Poor=-15",
                                                           "ed_wy_coder_pulse=2500",
                                                           "ed_wy_screws=10",
                                                           "ed_wy_xs=0.001",
                                                           "com_wy_point=2",
                                                           "CheckBox_load=checked",
                                                           "CheckBox_wy=unchecked",
                                                           "CheckBox_dj=checked"};
}

void TestHardwareSettingsWindow::opensFromTheFile() {
    QFETCH(QByteArray, init);
    QFETCH(QStringList, expected);
    Rig rig(init);
    TF_hardset w(rig.dir.path());
    QCOMPARE(w.windowTitle(), QString("硬件设置"));
    for (const QString& pair : expected) {
        const QString name = pair.section('=', 0, 0);
        QCOMPARE(name + "=" + shown(&w, name), pair);
    }
    QVERIFY(!get<QPushButton>(&w, "button_save")->isEnabled());
    QCOMPARE(get<QComboBox>(&w, "change_gear_Com")->isEnabled(), init == kInstalled);
}

void TestHardwareSettingsWindow::savesEveryKey() {
    Rig rig(kInstalled);
    rig.prompts.answers = {true};
    TF_hardset w(rig.dir.path());
    w.open();
    get<QComboBox>(&w, "com_sb_style")->setCurrentIndex(1);
    get<QComboBox>(&w, "com_load_units")->setCurrentText("KN");
    get<QComboBox>(&w, "com_load_zoom6")->setEditText("8000");
    get<QCheckBox>(&w, "CheckBox_load")->click();
    get<QCheckBox>(&w, "CheckBox_wy")->click();
    get<QRadioButton>(&w, "manual_RadioBox")->click();
    get<QLineEdit>(&w, "ED_Zero_Poor")->setText("7");
    QVERIFY(get<QPushButton>(&w, "button_save")->isEnabled());
    get<QPushButton>(&w, "button_save")->click();

    QCOMPARE(rig.prompts.messages(), (QStringList{"是否保存当前设置", "保存完毕,请重新启动软件!!"}));
    QCOMPARE(rig.prompts.shown[0].kind, QString("question"));
    QCOMPARE(rig.prompts.shown[0].caption, QString("提示"));
    QVERIFY(!w.isVisible());
    QCOMPARE(w.result(), int(QDialog::Accepted));

    const QList<QStringList> keys{
        {"style", "sb_style", "1"},
        {"card", "card_name", "RX720"},
        {"load", "Max_Range", "50000"},
        {"load", "units", "KN"},
        {"load", "Gear_Total", "3"},
        {"load", "Gear2_Magnification", "800"},
        {"load", "Gear6_Magnification", "8000"},
        {"load", "Gear3_Decimal_Places", "5"},
        {"load", "Gear4_Decimal_Places", "3"},
        {"load", "auto_gear_proportion", "92"},
        {"load", "auto_gear", "0"},
        {"load", "Overload_proportion", "1.02"},
        {"load", "zero_poor", "7"},
        {"load", "Direction", "1"},
        {"Displacement", "coder_pulse", "2500"},
        {"Displacement", "screws", "10"},
        {"Displacement", "coefficient", "0.001"},
        {"Displacement", "Decimal_Places", "2"},
        {"Displacement", "Direction", "-1"},
        {"Motor_status", "Direction", "-1"},
        // Another window's key in the same section stays.
        {"load", "load_zero", "2222"},
    };
    for (const QStringList& k : keys)
        QCOMPARE(k[0] + "/" + k[1] + "=" + stored(rig.dir, k[0], k[1]), k[0] + "/" + k[1] + "=" + k[2]);
    // Written once for each key: no second spelling of a key beside the first.
    const ProfileSnapshot ini = ProfileFile(rig.dir.file("init.ini")).snapshot();
    QCOMPARE(ini.keys("load").filter("zero_poor", Qt::CaseInsensitive).size(), 1);
    QCOMPARE(ini.keys("load").filter("direction", Qt::CaseInsensitive).size(), 1);
}

void TestHardwareSettingsWindow::saveQuestion_data() {
    QTest::addColumn<bool>("yes");
    QTest::addColumn<bool>("open");
    QTest::addColumn<QString>("units");
    QTest::newRow("No keeps the window and its entries") << false << true << "(none)";
    QTest::newRow("Yes saves and closes") << true << false << "KN";
}

void TestHardwareSettingsWindow::saveQuestion() {
    QFETCH(bool, yes);
    QFETCH(bool, open);
    QFETCH(QString, units);
    Rig rig;
    rig.prompts.answers = {yes};
    TF_hardset w(rig.dir.path());
    w.open();
    get<QComboBox>(&w, "com_load_units")->setCurrentText("KN");
    get<QPushButton>(&w, "button_save")->click();
    QCOMPARE(w.isVisible(), open);
    QCOMPARE(stored(rig.dir, "load", "units"), units);
    QCOMPARE(get<QPushButton>(&w, "button_save")->isEnabled(), open);
    QCOMPARE(get<QComboBox>(&w, "com_load_units")->currentText(), QString("KN"));
}

void TestHardwareSettingsWindow::closeAsksForUnsavedChanges_data() {
    QTest::addColumn<bool>("change");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("open");
    QTest::addColumn<QString>("pulses");  // in the file afterwards
    QTest::newRow("nothing changed: closes at once")
        << false << QList<bool>{true} << QStringList{} << false << "(none)";
    QTest::newRow("changed, No: stays open")
        << true << QList<bool>{false} << QStringList{"是否保存当前设置"} << true << "(none)";
    QTest::newRow("changed, Yes: saves and closes")
        << true << QList<bool>{true} << QStringList{"是否保存当前设置", "保存完毕,请重新启动软件!!"} << false
        << "2048";
}

void TestHardwareSettingsWindow::closeAsksForUnsavedChanges() {
    QFETCH(bool, change);
    QFETCH(QList<bool>, answers);
    QFETCH(QStringList, messages);
    QFETCH(bool, open);
    QFETCH(QString, pulses);
    Rig rig;
    rig.prompts.answers = answers;
    TF_hardset w(rig.dir.path());
    w.open();
    if (change) {
        auto* edit = get<QLineEdit>(&w, "ed_wy_coder_pulse");
        edit->clear();
        QTest::keyClicks(edit, "2048");
    }
    get<QPushButton>(&w, "bsSkinSpeedButton3")->click();
    QCOMPARE(rig.prompts.messages(), messages);
    QCOMPARE(w.isVisible(), open);
    QCOMPARE(stored(rig.dir, "Displacement", "coder_pulse"), pulses);
}

void TestHardwareSettingsWindow::saveOnAFullDiskKeepsTheEntries() {
    SmallDisk disk;
    if (!disk.unavailable().isEmpty()) QSKIP(qPrintable("no small disk to fill: " + disk.unavailable()));
    ScriptedPrompts prompts;
    setPrompts(&prompts);
    prompts.answers = {true};
    TF_hardset w(disk.path());
    w.open();
    get<QComboBox>(&w, "com_card_name")->setCurrentText("RX710");
    QVERIFY(disk.fill());
    get<QPushButton>(&w, "button_save")->click();
    setPrompts(nullptr);
    QCOMPARE(prompts.messages(),
             (QStringList{"是否保存当前设置", "保存设置错误!!\n无法写入" +
                                                  QDir::toNativeSeparators(disk.file("init.ini")) +
                                                  "：磁盘空间不足"}));
    QVERIFY(w.isVisible());
    QVERIFY(get<QPushButton>(&w, "button_save")->isEnabled());
    QCOMPARE(get<QComboBox>(&w, "com_card_name")->currentText(), QString("RX710"));
}

void TestHardwareSettingsWindow::refusesWhatCannotDescribeAMachine_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("page");
    QTest::newRow("no range") << "com_load_max"
                              << ""
                              << "负荷量程必须是大于零的数值!!"
                              << "主参数设置";
    QTest::newRow("range 0") << "com_load_max"
                             << "0"
                             << "负荷量程必须是大于零的数值!!"
                             << "主参数设置";
    // The key filter lets a 7 through; the load channel has six gears.
    QTest::newRow("seven gears") << "com_load_dws"
                                 << "7"
                                 << "分档数必须在1到6之间!!"
                                 << "主参数设置";
    QTest::newRow("no magnification") << "com_load_zoom5"
                                      << ""
                                      << "放大位数必须是大于零的整数!!"
                                      << "档位参数设置";
    QTest::newRow("gear decimals 55") << "com_load_point2"
                                      << "55"
                                      << "小数位必须在0到6之间!!"
                                      << "档位参数设置";
    QTest::newRow("no overload proportion") << "ed_load_gz"
                                            << ""
                                            << "过载保护参数超范围！！"
                                            << "停机保护";
    QTest::newRow("overload proportion .") << "ed_load_gz"
                                           << "."
                                           << "过载保护参数超范围！！"
                                           << "停机保护";
    QTest::newRow("zero difference -") << "ED_Zero_Poor"
                                       << "-"
                                       << "档位零位差必须是整数!!"
                                       << "换档设置";
    QTest::newRow("zero pulses") << "ed_wy_coder_pulse"
                                 << "0"
                                 << "编码器脉冲数必须是大于零的整数!!"
                                 << "位移设置";
    QTest::newRow("no pitch") << "ed_wy_screws"
                              << ""
                              << "丝杠螺距必须是大于零的数值!!"
                              << "位移设置";
    QTest::newRow("coefficient 0.") << "ed_wy_xs"
                                    << "0."
                                    << "转换系数必须是大于零的数值!!"
                                    << "位移设置";
    QTest::newRow("displacement decimals 9") << "com_wy_point"
                                             << "9"
                                             << "小数位必须在0到6之间!!"
                                             << "位移设置";
}

void TestHardwareSettingsWindow::refusesWhatCannotDescribeAMachine() {
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(QString, message);
    QFETCH(QString, page);
    Rig rig;
    rig.prompts.answers = {true};
    TF_hardset w(rig.dir.path());
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QWidget* component = get(&w, field);
    if (auto* combo = qobject_cast<QComboBox*>(component))
        combo->setEditText(value);
    else
        qobject_cast<QLineEdit*>(component)->setText(value);
    get<QPushButton>(&w, "button_save")->click();
    QCOMPARE(rig.prompts.messages(), QStringList{message});
    QVERIFY(!QFile::exists(rig.dir.file("init.ini")));
    QVERIFY(w.isVisible());
    auto* pages = w.findChild<QTabWidget*>();
    QCOMPARE(pages->tabText(pages->currentIndex()), page);
    QVERIFY(w.focusWidget() == component || component->isAncestorOf(w.focusWidget()));
}

void TestHardwareSettingsWindow::convertsPulsesAndPitch_data() {
    QTest::addColumn<QString>("pulses");
    QTest::addColumn<QString>("pitch");
    QTest::addColumn<QString>("coefficient");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("focus");
    QTest::newRow("1000 pulses, 6 mm") << "1000"
                                       << "6"
                                       << "0.0015" << QStringList{} << "";
    QTest::newRow("2500 pulses, 5 mm") << "2500"
                                       << "5"
                                       << "0.0005" << QStringList{} << "";
    QTest::newRow("3 pulses, 1 mm") << "3"
                                    << "1"
                                    << "0.08333333333333333" << QStringList{} << "";
    QTest::newRow("no pulses") << ""
                               << "6"
                               << "1" << QStringList{"编码器脉冲数不能为空!!"} << "ed_wy_coder_pulse";
    QTest::newRow("no pitch") << "1000"
                              << ""
                              << "1" << QStringList{"丝杠螺距不能为空"} << "ed_wy_screws";
    QTest::newRow("zero pulses") << "0"
                                 << "6"
                                 << "1" << QStringList{"编码器脉冲数不能为零!!"} << "ed_wy_coder_pulse";
}

void TestHardwareSettingsWindow::convertsPulsesAndPitch() {
    QFETCH(QString, pulses);
    QFETCH(QString, pitch);
    QFETCH(QString, coefficient);
    QFETCH(QStringList, messages);
    QFETCH(QString, focus);
    Rig rig;
    TF_hardset w(rig.dir.path());
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    get<QLineEdit>(&w, "ed_wy_coder_pulse")->setText(pulses);
    get<QLineEdit>(&w, "ed_wy_screws")->setText(pitch);
    get<QLineEdit>(&w, "ed_wy_xs")->setText("1");
    get<QPushButton>(&w, "button_save")->setEnabled(false);
    get<QPushButton>(&w, "bsSkinSpeedButton1")->click();
    QCOMPARE(get<QLineEdit>(&w, "ed_wy_xs")->text(), coefficient);
    QCOMPARE(rig.prompts.messages(), messages);
    QCOMPARE(get<QPushButton>(&w, "button_save")->isEnabled(), messages.isEmpty());
    if (!focus.isEmpty()) QCOMPARE(w.focusWidget(), get(&w, focus));
}

void TestHardwareSettingsWindow::overloadProportionAtMost105_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("1.06") << "1.06"
                          << "1.03" << QStringList{"过载保护参数超范围！！"};
    QTest::newRow("1.05") << "1.05"
                          << "1.05" << QStringList{};
    QTest::newRow("1.00") << "1.00"
                          << "1.00" << QStringList{};
    // The check runs after every key: a 2 is too much before a point could follow.
    QTest::newRow("2") << "2"
                       << "1.03" << QStringList{"过载保护参数超范围！！"};
}

void TestHardwareSettingsWindow::overloadProportionAtMost105() {
    QFETCH(QString, typed);
    QFETCH(QString, text);
    QFETCH(QStringList, messages);
    Rig rig;
    TF_hardset w(rig.dir.path());
    auto* edit = get<QLineEdit>(&w, "ed_load_gz");
    edit->clear();
    get<QPushButton>(&w, "button_save")->setEnabled(false);
    QTest::keyClicks(edit, typed);
    QCOMPARE(edit->text(), text);
    QCOMPARE(rig.prompts.messages(), messages);
    QVERIFY(get<QPushButton>(&w, "button_save")->isEnabled());
}

void TestHardwareSettingsWindow::automaticGearChangeEnablesItsPercent() {
    Rig rig;
    TF_hardset w(rig.dir.path());
    auto enabled = [&w] {
        QStringList state;
        for (QLabel* label : w.findChildren<QLabel*>())
            if (label->text() == "达到当前量程的" || label->text() == "%")
                state << label->text() + (label->isEnabled() ? "+" : "-");
        state << QString("change_gear_Com") + (get(&w, "change_gear_Com")->isEnabled() ? "+" : "-");
        return state;
    };
    QCOMPARE(enabled(), (QStringList{"达到当前量程的-", "%-", "change_gear_Com-"}));
    get<QRadioButton>(&w, "auto_RadioBox")->click();
    QCOMPARE(enabled(), (QStringList{"达到当前量程的+", "%+", "change_gear_Com+"}));
    QVERIFY(get<QPushButton>(&w, "button_save")->isEnabled());
    get<QRadioButton>(&w, "manual_RadioBox")->click();
    QCOMPARE(enabled(), (QStringList{"达到当前量程的-", "%-", "change_gear_Com-"}));
}

void TestHardwareSettingsWindow::wheelChangesNoSetting() {
    Rig rig;
    TF_hardset w(rig.dir.path());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    for (const char* name : {"com_card_name", "com_load_zoom1", "com_sb_style"}) {
        auto* box = get<QComboBox>(&w, name);
        const QString before = box->currentText();
        const QPoint centre = box->rect().center();
        QWheelEvent wheel(centre, box->mapToGlobal(centre), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(box, &wheel);
        QCOMPARE(box->currentText(), before);
    }
    QVERIFY(!get<QPushButton>(&w, "button_save")->isEnabled());
}

void TestHardwareSettingsWindow::keyFilters_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("range: digits") << "com_load_max"
                                   << "12a3.4-"
                                   << "1234" << QStringList{};
    QTest::newRow("pulses: digits") << "ed_wy_coder_pulse"
                                    << "1 000"
                                    << "1000" << QStringList{};
    QTest::newRow("pitch: digits") << "ed_wy_screws"
                                   << "0.5"
                                   << "05" << QStringList{};
    QTest::newRow("magnification: digits") << "com_load_zoom2"
                                           << "16x00"
                                           << "1600" << QStringList{};
    QTest::newRow("gears: 1 to 7") << "com_load_dws"
                                   << "08172"
                                   << "172" << QStringList{};
    QTest::newRow("displacement decimals: 0 to 5") << "com_wy_point"
                                                   << "6059"
                                                   << "05" << QStringList{};
    QTest::newRow("gear decimals: 0 to 5") << "com_load_point3"
                                           << "5-6"
                                           << "5" << QStringList{};
    QTest::newRow("coefficient: one point") << "ed_wy_xs"
                                            << "0..0-5"
                                            << "0.05" << QStringList{"输入了两个小数点"};
    QTest::newRow("overload: one point") << "ed_load_gz"
                                         << "1..0"
                                         << "1.0" << QStringList{"输入了两个小数点"};
    QTest::newRow("zero difference: digits and minus") << "ED_Zero_Poor"
                                                       << "-12.5a"
                                                       << "-125" << QStringList{};
}

void TestHardwareSettingsWindow::keyFilters() {
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, text);
    QFETCH(QStringList, messages);
    Rig rig;
    TF_hardset w(rig.dir.path());
    QLineEdit* edit = typingField(&w, field);
    QVERIFY(edit);
    edit->clear();
    QTest::keyClicks(edit, typed);
    QCOMPARE(edit->text(), text);
    QCOMPARE(rig.prompts.messages(), messages);
}

void TestHardwareSettingsWindow::zeroControl_data() {
    QTest::addColumn<QByteArray>("init");
    QTest::addColumn<int>("opened");
    QTest::addColumn<QString>("storedAtOpening");
    QTest::newRow("no file") << QByteArray() << 2000 << "(none)";
    QTest::newRow("stored") << QByteArray("[LOAD]\r\nload_zero=1234\r\n") << 1234 << "1234";
    QTest::newRow("no number") << QByteArray("[load]\r\nload_zero=abc\r\n") << 2000 << "abc";
    QTest::newRow("beyond the bar") << QByteArray("[load]\r\nload_zero=5000\r\n") << 4000 << "5000";
}

void TestHardwareSettingsWindow::zeroControl() {
    QFETCH(QByteArray, init);
    QFETCH(int, opened);
    QFETCH(QString, storedAtOpening);
    Rig rig(init);
    TFzero w(rig.dir.path());
    QCOMPARE(w.windowTitle(), QString("系统调零"));
    QCOMPARE(w.findChild<QTabWidget*>()->tabText(0), QString("负荷硬件调零"));
    auto* bar = w.findChild<QScrollBar*>();
    auto* edit = w.findChild<QLineEdit*>();
    QCOMPARE(bar->minimum(), 0);
    QCOMPARE(bar->maximum(), 4000);
    QCOMPARE(bar->value(), opened);
    QCOMPARE(edit->text(), QString::number(opened));
    QStringList labels;
    for (QLabel* label : w.findChildren<QLabel*>()) labels << label->text();
    QVERIFY(labels.contains("控制量:"));
    QVERIFY(labels.contains("传感器物理零点："));
    QVERIFY(labels.contains("0.00"));
    // Opening writes nothing; every move is written at once.
    QCOMPARE(stored(rig.dir, "load", "load_zero"), storedAtOpening);
    bar->setValue(2500);
    QCOMPARE(edit->text(), QString("2500"));
    QCOMPARE(stored(rig.dir, "load", "load_zero"), QString("2500"));
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(stored(rig.dir, "load", "load_zero"), QString("2501"));
    bar->setValue(9999);
    QCOMPARE(stored(rig.dir, "load", "load_zero"), QString("4000"));
    QCOMPARE(rig.prompts.messages(), QStringList{});
}

void TestHardwareSettingsWindow::zeroControlOnAFullDiskSaysSoOnce() {
    SmallDisk disk;
    if (!disk.unavailable().isEmpty()) QSKIP(qPrintable("no small disk to fill: " + disk.unavailable()));
    ScriptedPrompts prompts;
    setPrompts(&prompts);
    TFzero w(disk.path());
    QVERIFY(disk.fill());
    auto* bar = w.findChild<QScrollBar*>();
    for (int value : {2001, 2002, 2003}) bar->setValue(value);
    setPrompts(nullptr);
    QCOMPARE(prompts.messages(),
             QStringList{"无法写入" + QDir::toNativeSeparators(disk.file("init.ini")) + "：磁盘空间不足"});
    QCOMPARE(w.findChild<QLineEdit*>()->text(), QString("2003"));
}

QTEST_MAIN(TestHardwareSettingsWindow)
#include "tst_hardware_settings_window.moc"
