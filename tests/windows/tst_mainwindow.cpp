// The main window on the simulated machine: start-up and its failures, the layout of the operator windows,
// the batch file commands with their messages, the mains power button, one console per machine, and a
// whole test run through the windows to its stored rows.

#include "measurement/TDisplacement.h"
#include "measurement/TMotor.h"
#include "measurement/Tbankhk.h"
#include "platform/ProfileFile.h"
#include "platform/Prompts.h"
#include "sequencer/TTestStyle.h"
#include "session/ApplicationFolder.h"
#include "session/OperatorLogin.h"
#include "session/SingleInstance.h"
#include "storage/Database.h"
#include "storage/Schemes.h"
#include "support/BatchMaker.h"
#include "support/LateralBatch.h"
#include "support/LeafBatch.h"
#include "support/NearCompare.h"
#include "support/SimulatorLibrary.h"
#include "support/TempAppDir.h"
#include "support/WaitFor.h"
#include "windows/browser/TF_dp.h"
#include "windows/common/FindByName.h"
#include "windows/console/ConsoleContext.h"
#include "windows/console/CurvePage.h"
#include "windows/console/TF_chart.h"
#include "windows/console/TF_chart_HXGD.h"
#include "windows/console/TF_control.h"
#include "windows/console/TF_datashow.h"
#include "windows/editor/TFtest_set.h"
#include "windows/mainwindow/ConsoleStartup.h"
#include "windows/mainwindow/Tfmain.h"
#include "windows/mainwindow/WindowLayout.h"

#include <qcustomplot.h>

#include <QtTest>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QScreen>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>

#include <cmath>
#include <functional>
#include <numbers>

using namespace springtest;
using springtest::testing::SimulatorLibrary;
using springtest::testing::TempAppDir;
using springtest::testing::waitFor;

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startUpFailures_data();
    void startUpFailures();
    void menusFollowTheMachineType_data();
    void menusFollowTheMachineType();
    void secondLayoutOnlyMovesTheWindows();
    void curveToolsAllShowInTheConsole();
    void powerButtonSwitchesTheMains();
    void acquisitionFailureIsToldWhileItHappens();
    void loginGivesTheSettings_data();
    void loginGivesTheSettings();
    void exitButtonAsksFirst();
    void batchFileRefusals_data();
    void batchFileRefusals();
    void batchFoldersByMachineType_data();
    void batchFoldersByMachineType();
    void deletingAsksOncePerFile();
    void openingABatchSetsTheWindows_data();
    void openingABatchSetsTheWindows();
    void schemeEditorByMachineType_data();
    void schemeEditorByMachineType();
    void oneConsolePerMachine();
    void testRunsThroughTheWindows();
    void leafSpringTestRunsThroughTheWindows();
    void lateralMachineConsole_data();
    void lateralMachineConsole();
    void lateralAxialTestRunsThroughTheWindows();
    // Last: it starts a process, and under ThreadSanitizer no thread may be started after that.
    void consoleNeedsADisplay_data();
    void consoleNeedsADisplay();

private:
    void writeMachine(const QMap<QString, QString>& system);
    void setSim(const QString& key, const QString& value) {
        QVERIFY(ProfileFile(m_dir->file("simcard.ini")).writeString("card0", key, value));
    }
    std::unique_ptr<Tfmain> startMainWindow();
    QAction* item(QWidget* root, const char* name) {
        return findByName<QAction>(root, QString::fromLatin1(name));
    }
    // A standard scheme and its batch database; returns the batch's file.
    QString makeBatch(const QString& batch, bool compression, const QStringList& points,
                      const QStringList& upper = {}, const QStringList& lower = {});
    void screenshot(const QString& name);
    // The test's folder laid out afresh as a new lateral-stiffness installation.
    void useLateralMachine() {
        m_dir = std::make_unique<TempAppDir>();
        QVERIFY(initialiseApplicationFolder(m_dir->path(), 5).error.isEmpty());
        QDir::setCurrent(m_dir->path());
    }
    // "试验速度设置" at a constant speed, typed into its dialog as the operator does.
    void chooseConstantSpeed(Tfmain* w, const QString& speed_mm_per_min);

    std::unique_ptr<TempAppDir> m_dir;
    ScriptedPrompts m_prompts;
    QString m_screenshotFolder;
};

void TestMainWindow::initTestCase() {
    // Taken as given, before the tests move into their application folders.
    if (qEnvironmentVariableIsSet("SPRINGTEST_SCREENSHOTS"))
        m_screenshotFolder = QDir(qEnvironmentVariable("SPRINGTEST_SCREENSHOTS")).absolutePath();
    const QString& simulator = SimulatorLibrary::instance().error();
    QVERIFY2(simulator.isEmpty(), qPrintable(simulator));
}

void TestMainWindow::init() {
    m_dir = std::make_unique<TempAppDir>();
    QVERIFY(initialiseApplicationFolder(m_dir->path()).error.isEmpty());
    QDir::setCurrent(m_dir->path());
    m_prompts = ScriptedPrompts();
    setPrompts(&m_prompts);
}

void TestMainWindow::cleanup() {
    setPrompts(nullptr);
    QDir::setCurrent(QDir::tempPath());
    m_dir.reset();
}

void TestMainWindow::writeMachine(const QMap<QString, QString>& system) {
    ProfileFile ini(m_dir->file("init0.dat"));
    for (auto it = system.begin(); it != system.end(); ++it)
        QVERIFY(ini.writeString("system", it.key(), it.value()));
}

std::unique_ptr<Tfmain> TestMainWindow::startMainWindow() {
    // The simulated machine as this test's folder describes it, read afresh.
    if (!SimulatorLibrary::instance().loadConfig(m_dir->file("simcard.ini"))) return nullptr;
    auto w = std::make_unique<Tfmain>(m_dir->path());
    w->show();
    return w;
}

QString TestMainWindow::makeBatch(const QString& batch, bool compression, const QStringList& points,
                                  const QStringList& upper, const QStringList& lower) {
    StandardScheme scheme;
    scheme.scheme_name = QStringLiteral("S-") + batch;
    scheme.scheme_style = compression ? QStringLiteral("0") : QStringLiteral("2");
    scheme.scheme_load = QStringLiteral("0.5");
    scheme.scheme_sum = QString::number(points.size());
    scheme.scheme_type = compression;
    for (int k = 0; k < points.size(); ++k)
        scheme.points[k] = {points[k], upper.value(k, QStringLiteral("0")),
                            lower.value(k, QStringLiteral("0"))};
    scheme.scheme_gangdu_max = QStringLiteral("11");
    scheme.scheme_gangdu_min = QStringLiteral("9");
    return testing::makeBatch(m_dir->path(), scheme, batch);
}

void TestMainWindow::chooseConstantSpeed(Tfmain* w, const QString& speed_mm_per_min) {
    QTimer::singleShot(0, this, [speed_mm_per_min] {
        QWidget* window = QApplication::activeModalWidget();
        auto* speed = findByName<QLineEdit>(window, "bsSkinEdit1");
        auto* ok = findByName<QAbstractButton>(window, "bsSkinButton1");
        if (speed && ok) {
            speed->setText(speed_mm_per_min);
            ok->click();
        } else if (window) {
            window->close();
        }
    });
    item(w, "N17")->trigger();
}

// Pictures of the console for the README, taken when SPRINGTEST_SCREENSHOTS names a folder and the test runs
// on a real display (xcb under Xvfb).
void TestMainWindow::screenshot(const QString& name) {
    if (m_screenshotFolder.isEmpty() || !QGuiApplication::primaryScreen()) return;
    QTest::qWait(300);  // let the windows draw what they show
    QRect console;      // what the windows cover, not the whole screen
    for (QWidget* window : QApplication::allWidgets())
        if (window->isWindow() && window->isVisible()) console |= window->frameGeometry();
    console.adjust(-2, -2, 2, 2);
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0, console.x(), console.y(),
                                                                      console.width(), console.height());
    QDir().mkpath(m_screenshotFolder);
    shot.save(QDir(m_screenshotFolder).filePath(name + ".png"));
}

// ---------------------------------------------------------------------------------------------------------

void TestMainWindow::startUpFailures_data() {
    QTest::addColumn<QString>("system");  // key=value;...
    QTest::addColumn<bool>("failCard1");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("cards");

    const QString noCard = "无法打开RX720控制卡,请勿操作机器，避免不必要的损坏";
    QTest::newRow("driver missing: bare strip")
        << "CardType=7" << false << QList<bool>{} << QStringList{"无法找到文件！！"}
        << int(Tfmain::Startup::DriverMissing) << 0;
    QTest::newRow("card not opened, No: the program ends")
        << "CardSum=2" << true << QList<bool>{false} << QStringList{noCard} << int(Tfmain::Startup::Aborted)
        << 0;
    QTest::newRow("card not opened, Yes: runs on")
        << "CardSum=2" << true << QList<bool>{true} << QStringList{noCard} << int(Tfmain::Startup::Running)
        << 2;
}

void TestMainWindow::startUpFailures() {
    QFETCH(QString, system);
    QFETCH(bool, failCard1);
    QFETCH(QList<bool>, answers);
    QFETCH(QStringList, messages);
    QFETCH(int, state);
    QFETCH(int, cards);
    const QStringList kv = system.split('=');
    writeMachine({{kv[0], kv[1]}});
    QVERIFY(SimulatorLibrary::instance().loadConfig(m_dir->file("simcard.ini")));
    if (failCard1) QVERIFY(SimulatorLibrary::instance().set(1, "fail_open", 1));
    m_prompts.answers = answers;

    Tfmain w(m_dir->path());
    w.show();
    QCOMPARE(m_prompts.messages(), messages);
    QCOMPARE(int(w.startupState()), state);
    QCOMPARE(w.session().cards().count, cards);

    const bool running = w.startupState() == Tfmain::Startup::Running;
    // A refused start closes the window once it is shown.
    QTRY_COMPARE(w.isVisible(), w.startupState() != Tfmain::Startup::Aborted);
    QCOMPARE(w.sequencer() != nullptr, running);
    QCOMPARE(w.dataPanel() != nullptr && w.curveWindow() != nullptr && w.controlPanel() != nullptr, running);
    QCOMPARE(w.session().acquisition() != nullptr, running);
    // Without channels the commands that need them are refused; the strip's own ones stay.
    QCOMPARE(item(&w, "N10")->isEnabled(), running);
    QCOMPARE(item(&w, "N17")->isEnabled(), running);
    QVERIFY(item(&w, "N11")->isEnabled());
    // The service items wait for a login, machine or not.
    for (const char* name : {"N3", "N9", "N22"}) QVERIFY2(!item(&w, name)->isEnabled(), name);
    QVERIFY(!findByName<QToolButton>(&w, "bsSkinMenuSpeedButton3")->isEnabled());
    QCOMPARE(w.windowTitle(),
             running ? QString("微机控制弹簧拉压测试系统") : QString("微机控制弹簧测试系统"));
    item(&w, "N10")->trigger();  // no dialog when refused
    QCOMPARE(m_prompts.shown.size(), running ? 2 : 1);
}

void TestMainWindow::menusFollowTheMachineType_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QStringList>("shown");   // items hidden at first that this type shows
    QTest::addColumn<QStringList>("hidden");  // items this type hides
    QTest::addColumn<bool>("power");
    QTest::newRow("0") << 0 << QStringList{} << QStringList{"N33", "N3", "N9", "PID1", "N35", "PID2"}
                       << false;
    QTest::newRow("2: PID items") << 2 << QStringList{"PID1", "PID2"} << QStringList{"N33", "N35"} << false;
    QTest::newRow("3: report settings, no series")
        << 3 << QStringList{"PID1", "PID2", "N35"} << QStringList{"N13", "N33"} << false;
    QTest::newRow("6: mains power") << 6 << QStringList{} << QStringList{"PID1", "PID2", "N33"} << true;
}

void TestMainWindow::menusFollowTheMachineType() {
    QFETCH(int, type);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, hidden);
    QFETCH(bool, power);
    writeMachine({{"MachineType", QString::number(type)}, {"MachineName", "弹簧试验机"}});
    auto w = startMainWindow();
    QVERIFY(w);
    QCOMPARE(w->startupState(), Tfmain::Startup::Running);
    QCOMPARE(w->windowTitle(), QString("弹簧试验机"));

    const QStringList everyItem = {"N1",   "N33", "N3",  "N9",  "N22", "N24", "N29",
                                   "PID1", "N16", "N5",  "N10", "N11", "N12", "N17",
                                   "N13",  "N35", "N28", "N6",  "N8",  "N26", "PID2"};
    for (const QString& name : everyItem) {
        QAction* a = findByName<QAction>(w.get(), name);
        QVERIFY2(a, qPrintable(name));
        const bool startsHidden = QStringList{"N33", "N3", "N9", "PID1", "N35", "PID2"}.contains(name);
        const bool visible = shown.contains(name) || (!startsHidden && !hidden.contains(name));
        QVERIFY2(a->isVisible() == visible, qPrintable(name));
    }
    QCOMPARE(findByName<QToolButton>(w.get(), "OpenPowerSpeedButton")->isVisible(), power);
    // Start-up leaves the operator logged out.
    for (const char* name : {"N3", "N9", "N22"}) QVERIFY2(!item(w.get(), name)->isEnabled(), name);
    QVERIFY(!findByName<QToolButton>(w.get(), "bsSkinMenuSpeedButton3")->isEnabled());
    QVERIFY(findByName<QToolButton>(w.get(), "bsSkinMenuSpeedButton2")->isEnabled());
    for (const char* name : {"bsSkinSpeedButton4", "bsSkinSpeedButton1", "bsSkinSpeedButton2"})
        QVERIFY2(findByName<QToolButton>(w.get(), name), name);
}

// The strip's look is its own: the curve window below it keeps every tool in view, none folded away behind
// the tool bar's extension arrow.
void TestMainWindow::curveToolsAllShowInTheConsole() {
    auto w = startMainWindow();
    QVERIFY(w);
    QVERIFY(QTest::qWaitForWindowExposed(w->curveWindow()));
    const QList<QToolButton*> tools = findByName<QWidget>(w->curveWindow(), "bsSkinToolBar1")
                                          ->findChildren<QToolButton*>(Qt::FindDirectChildrenOnly);
    QCOMPARE(tools.size(), qsizetype(10));  // nine tools and the extension arrow
    for (QToolButton* t : tools)
        QVERIFY2(t->isVisible() == (t->objectName() != "qt_toolbar_ext_button"), qPrintable(t->objectName()));
}

void TestMainWindow::secondLayoutOnlyMovesTheWindows() {
    writeMachine({{"MachineType", "6"}, {"CardSum", "2"}});
    auto w = startMainWindow();
    QVERIFY(w);
    QCOMPARE(w->pos(), QPoint(2, 2));
    QWidget* windows[] = {w->dataPanel(), w->curveWindow(), w->controlPanel()};
    QMenu* cards = item(w.get(), "N24")->menu();
    QVERIFY(cards);
    QCOMPARE(cards->actions().size(), 2);
    QCOMPARE(cards->actions()[1]->text(), QString("通道2"));
    CurveSink* sink = w->consoleContext()->liveCurve;
    QVERIFY(sink);

    const OperatorWindowPlaces places =
        operatorWindowPlaces(w->frameGeometry(), w->dataPanel()->frameGeometry().height(),
                             w->curveWindow()->frameGeometry().width());
    QCOMPARE(w->dataPanel()->pos(), places.dataPanel);
    QCOMPARE(w->curveWindow()->pos(), places.curveWindow);
    QCOMPARE(w->controlPanel()->pos(), places.controlPanel);

    w->dataPanel()->move(500, 400);
    w->controlPanel()->move(10, 700);
    item(w.get(), "N29")->trigger();
    QCOMPARE(w->dataPanel(), windows[0]);
    QCOMPARE(w->curveWindow(), windows[1]);
    QCOMPARE(w->controlPanel(), windows[2]);
    QCOMPARE(w->consoleContext()->liveCurve, sink);
    QCOMPARE(item(w.get(), "N24")->menu(), cards);
    QCOMPARE(cards->actions().size(), 2);
    QCOMPARE(w->dataPanel()->pos(), places.dataPanel);
    QCOMPARE(w->controlPanel()->pos(), places.controlPanel);
}

void TestMainWindow::loginGivesTheSettings_data() {
    QTest::addColumn<QStringList>("tries");  // user and password of each try, in pairs; 取消 after the last
    QTest::addColumn<bool>("rights");
    QTest::addColumn<int>("refusals");
    QTest::newRow("right") << QStringList{"admin", "s3cret"} << true << 0;
    QTest::newRow("wrong password, cancelled") << QStringList{"admin", "admin"} << false << 1;
    QTest::newRow("unknown user, then right")
        << QStringList{"root", "s3cret", "admin", "s3cret"} << true << 1;
    QTest::newRow("cancelled") << QStringList{} << false << 0;
}

void TestMainWindow::loginGivesTheSettings() {
    QFETCH(QStringList, tries);
    QFETCH(bool, rights);
    QFETCH(int, refusals);
    writeMachine({{"MachineType", "2"}});
    QVERIFY(setOperatorPassword(m_dir->path(), "admin", "s3cret").isEmpty());
    auto w = startMainWindow();
    QVERIFY(w);
    auto* settings = findByName<QToolButton>(w.get(), "bsSkinMenuSpeedButton3");
    QVERIFY(!settings->isEnabled());
    // A first login that succeeds, so that a failed one afterwards shows it takes the rights away again.
    if (!rights) w->SetOperatorRights(true);

    QTimer::singleShot(0, this, [tries] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog) return;
        for (int i = 0; i + 1 < tries.size(); i += 2) {
            findByName<QLineEdit>(dialog, "UserEdit")->setText(tries[i]);
            findByName<QLineEdit>(dialog, "PasswordEdit")->setText(tries[i + 1]);
            findByName<QAbstractButton>(dialog, "LoginOkButton")->click();
        }
        if (dialog->isVisible()) findByName<QAbstractButton>(dialog, "LoginCancelButton")->click();
    });
    item(w.get(), "N1")->trigger();
    QCOMPARE(settings->isEnabled(), rights);
    QCOMPARE(item(w.get(), "N22")->isEnabled(), rights);
    // Hardware settings and zeroing come into reach with the login, and go out of it with a failed one.
    for (const char* name : {"N3", "N9"}) {
        QVERIFY2(item(w.get(), name)->isVisible() == rights, name);
        QVERIFY2(item(w.get(), name)->isEnabled() == rights, name);
    }
    QCOMPARE(m_prompts.messages().count("用户名或密码错误!!"), refusals);
    QFile accounts(m_dir->file(kLoginFile));
    QVERIFY(accounts.open(QIODevice::ReadOnly));
    QVERIFY(!accounts.readAll().contains("s3cret"));  // only a salted digest is kept
}

void TestMainWindow::powerButtonSwitchesTheMains() {
    writeMachine({{"MachineType", "6"}});
    auto w = startMainWindow();
    QVERIFY(w);
    auto* power = findByName<QToolButton>(w.get(), "OpenPowerSpeedButton");
    TMotor& motor = *w->session().cards().cards[0].motor;
    struct Step {
        const char* caption;
        QColor colour;
        uint8_t relay;
    };
    const Step steps[] = {
        {"电源开", QColor(0, 255, 0), 0}, {"电源关", QColor(255, 0, 0), 8}, {"电源开", QColor(0, 255, 0), 0}};
    for (const Step& s : steps) {
        if (&s != &steps[0]) power->click();
        QCOMPARE(power->text(), QString(s.caption));
        QCOMPARE(power->palette().color(QPalette::ButtonText), s.colour);
        QCOMPARE(motor.GetRelay(1), s.relay);
        QCOMPARE(SimulatorLibrary::instance().get(0, "relay1"),
                 double(s.relay));  // what the card itself was told
    }
}

void TestMainWindow::acquisitionFailureIsToldWhileItHappens() {
    auto w = startMainWindow();
    QVERIFY(w);
    QCOMPARE(w->startupState(), Tfmain::Startup::Running);
    struct Failing : SampleProcedure {
        void onSample(int) override { throw std::runtime_error("card 1 did not answer"); }
    };
    w->sequencer()->InstallProcedure(std::make_shared<Failing>());
    w->sequencer()->sampleSlot().running.store(true);

    // Told by the running console, not first when it closes; and only once.
    QTRY_COMPARE(m_prompts.messages().size(), qsizetype(1));
    QVERIFY2(m_prompts.messages()[0].contains("card 1 did not answer"), qPrintable(m_prompts.messages()[0]));
    QVERIFY(!w->sequencer()->running());
    w.reset();
    QCOMPARE(m_prompts.messages().size(), qsizetype(1));
}

void TestMainWindow::exitButtonAsksFirst() {
    auto w = startMainWindow();
    QVERIFY(w);
    m_prompts.answers = {false};
    findByName<QToolButton>(w.get(), "bsSkinSpeedButton2")->click();
    QCOMPARE(m_prompts.messages(), QStringList{"为了确保安全，请先关闭主机电源，是否退出软件"});
    QVERIFY(w->isVisible());
    QVERIFY(w->session().isRunning());

    m_prompts.answers = {true};
    findByName<QToolButton>(w.get(), "bsSkinSpeedButton2")->click();
    QVERIFY(!w->isVisible());
    // Shut down in order: the thread, the channels, the sequencer, the windows.
    QVERIFY(!w->session().isRunning());
    QVERIFY(w->session().acquisition() == nullptr);
    QVERIFY(!w->sequencer());
    QVERIFY(!w->dataPanel() && !w->curveWindow() && !w->controlPanel());

    auto again = startMainWindow();
    QVERIFY(again);
    m_prompts.shown.clear();
    item(again.get(), "N5")->trigger();  // the menu's 退出 does not ask
    QVERIFY(m_prompts.shown.isEmpty());
    QVERIFY(!again->isVisible());
}

void TestMainWindow::batchFileRefusals_data() {
    QTest::addColumn<bool>("deleting");
    QTest::addColumn<QString>("file");  // "<batch>" for a batch held open by someone else
    QTest::addColumn<QString>("message");
    QTest::newRow("open: empty name") << false << ""
                                      << "文件名不能为空!!";
    QTest::newRow("open: folder only") << false << "<folder>"
                                       << "文件名不能为空!!";
    QTest::newRow("open: missing") << false << "database/none.mdb"
                                   << "文件不存在!!";
    QTest::newRow("open: in use") << false << "<batch>"
                                  << "文件正在使用!!";
    QTest::newRow("delete: empty name") << true << ""
                                        << "文件名不能为空!!";
    QTest::newRow("delete: missing") << true << "database/none.mdb"
                                     << "文件不存在!!";
    QTest::newRow("delete: in use") << true << "<batch>"
                                    << "文件正在使用,无法删除!!";
}

void TestMainWindow::batchFileRefusals() {
    QFETCH(bool, deleting);
    QFETCH(QString, file);
    QFETCH(QString, message);
    const QString batch = makeBatch("B1", true, {"50"});
    std::unique_ptr<Database> holder;
    if (file == "<batch>") {
        holder = std::make_unique<Database>(batch);  // another holder of the file
        QVERIFY(holder->isOpen());
        file = batch;
    } else if (file == "<folder>") {
        file = m_dir->file("database") + "/";
    } else if (!file.isEmpty()) {
        file = m_dir->file(file);
    }
    auto w = startMainWindow();
    QVERIFY(w);
    m_prompts.files = {file};
    item(w.get(), deleting ? "N11" : "N10")->trigger();

    QCOMPARE(m_prompts.shown.size(), 2);
    QCOMPARE(m_prompts.shown[0].kind, QString("open"));
    QCOMPARE(m_prompts.shown[0].caption, deleting ? QString("删除数据库") : QString("打开数据库"));
    QCOMPARE(QDir(m_prompts.shown[0].text).absolutePath(), m_dir->file("database"));
    QCOMPARE(m_prompts.shown[1].kind, QString("message"));
    QCOMPARE(m_prompts.shown[1].text, message);
    // Nothing changed: no batch opened, no scheme in the sequencer, the file still there.
    QVERIFY(w->batchPath().isEmpty());
    QVERIFY(!w->sequencer()->hasProcedure());
    QVERIFY(QFile::exists(batch));
}

void TestMainWindow::batchFoldersByMachineType_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("folder");
    QTest::newRow("0") << 0 << "database";
    QTest::newRow("1: where its batches are made") << 1 << "database";
    QTest::newRow("3") << 3 << "databaseGBTH";
}

void TestMainWindow::batchFoldersByMachineType() {
    QFETCH(int, type);
    QFETCH(QString, folder);
    writeMachine({{"MachineType", QString::number(type)}});
    auto w = startMainWindow();
    QVERIFY(w);
    const QString expected = QDir(m_dir->path()).filePath(folder);
    item(w.get(), "N11")->trigger();  // cancelled
    QCOMPARE(QDir(m_prompts.lastFolder).absolutePath(), QDir(expected).absolutePath());
    QVERIFY(folder.isEmpty() || !QDir(expected).exists());  // deleting does not make the folder
    item(w.get(), "N10")->trigger();                        // cancelled
    QCOMPARE(QDir(m_prompts.lastFolder).absolutePath(), QDir(expected).absolutePath());
    QVERIFY(QDir(expected).exists());  // opening does
    QCOMPARE(m_prompts.messages(), QStringList{});
}

void TestMainWindow::deletingAsksOncePerFile() {
    const QString batch = makeBatch("B1", true, {"50"});
    auto w = startMainWindow();
    QVERIFY(w);
    const QString question = "是否删除文件夹" + QDir::toNativeSeparators(batch);

    m_prompts.files = {batch};
    m_prompts.answers = {false};
    item(w.get(), "N11")->trigger();
    QCOMPARE(m_prompts.messages(), QStringList{question});
    QCOMPARE(m_prompts.shown.last().caption, QString("提示"));
    QVERIFY(QFile::exists(batch));

    m_prompts.shown.clear();
    m_prompts.files = {batch};
    m_prompts.answers = {true};
    item(w.get(), "N11")->trigger();
    QCOMPARE(m_prompts.messages(), QStringList{question});
    QVERIFY(!QFile::exists(batch));
}

void TestMainWindow::openingABatchSetsTheWindows_data() {
    QTest::addColumn<bool>("compression");
    QTest::addColumn<QString>("direction");
    QTest::addColumn<int>("radioItem");
    QTest::newRow("compression") << true << "压向" << 1;
    QTest::newRow("tension") << false << "拉向" << 0;
}

void TestMainWindow::openingABatchSetsTheWindows() {
    QFETCH(bool, compression);
    QFETCH(QString, direction);
    QFETCH(int, radioItem);
    const QString batch = makeBatch("B1", compression, {"55", "50", "45"});
    auto w = startMainWindow();
    QVERIFY(w);
    // The panels start elsewhere, so that opening has something to change.
    if (compression) findByName<QAbstractButton>(w->dataPanel(), "TestDirection_Speed")->click();
    findByName<QTabWidget>(w->controlPanel(), "bsSkinPageControl1")->setCurrentIndex(0);

    m_prompts.files = {batch};
    item(w.get(), "N10")->trigger();
    QCOMPARE(m_prompts.messages(), QStringList{});
    QCOMPARE(w->batchPath(), batch);
    QCOMPARE(w->batchConnection(),
             "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + batch + ";Persist Security Info=False");
    QVERIFY(w->sequencer()->hasProcedure());
    QCOMPARE(bool(w->sequencer()->scheme().scheme_type), compression);

    QCOMPARE(findByName(w->curveWindow(), "bsSkinStatusPanel3")->property("text").toString(), batch);
    QCOMPARE(findByName<QAbstractButton>(w->dataPanel(), "TestDirection_Speed")->text(), direction);
    QCOMPARE(w->session().cards().cards[0].displacement->side(), compression ? 1 : -1);
    QCOMPARE(findByName<QTabWidget>(w->controlPanel(), "bsSkinPageControl1")->currentIndex(), 1);
    const QList<QAbstractButton*> radios =
        findByName(w->controlPanel(), "bsSkinRadioGroup1")->findChildren<QAbstractButton*>();
    QVERIFY(radios.size() >= 2);
    QVERIFY(radios[radioItem]->isChecked());
    auto* grid = findByName<QTableWidget>(w->controlPanel(), "bsSkinStringGrid1");
    QVERIFY(grid);
    QCOMPARE(grid->rowCount(), 4);
    QCOMPARE(grid->item(3, 1)->text(), QString("45"));
}

void TestMainWindow::schemeEditorByMachineType_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("editor");
    QTest::newRow("0") << 0 << true;
    QTest::newRow("1: none") << 1 << false;
    QTest::newRow("6") << 6 << true;
    QTest::newRow("7: none") << 7 << false;
}

void TestMainWindow::schemeEditorByMachineType() {
    QFETCH(int, type);
    QFETCH(bool, editor);
    writeMachine({{"MachineType", QString::number(type)}});
    auto w = startMainWindow();
    QVERIFY(w);
    // The scheme editor (建立方案) and the result browser (数据处理) serve the same machine types.
    const auto modalOpenedBy = [this](const std::function<void()>& command) {
        QString opened;
        bool looked = false;
        QTimer::singleShot(0, this, [&opened, &looked] {
            looked = true;
            if (QWidget* window = QApplication::activeModalWidget()) {
                opened = window->metaObject()->className();
                window->close();
            }
        });
        command();
        // Inside the modal window's loop when it opened one, else on the next pass of this one.
        if (!waitFor([&] { return looked; })) return QStringLiteral("(never looked)");
        return opened;
    };
    QCOMPARE(modalOpenedBy([&] { item(w.get(), "N12")->trigger(); }),
             editor ? QString(TFtest_set::staticMetaObject.className()) : QString());
    QCOMPARE(modalOpenedBy([&] { findByName<QToolButton>(w.get(), "bsSkinSpeedButton4")->click(); }),
             editor ? QString(TF_dp::staticMetaObject.className()) : QString());
}

void TestMainWindow::oneConsolePerMachine() {
    const TempAppDir machine;
    auto first = std::make_unique<SingleInstance>(machine.path());
    QVERIFY(claimSingleInstance(*first));
    QVERIFY(m_prompts.shown.isEmpty());

    SingleInstance second(machine.path());
    QVERIFY(!claimSingleInstance(second));
    QCOMPARE(m_prompts.shown.size(), 1);
    QCOMPARE(m_prompts.shown[0].text, QString("程序正在运行!!"));
    QCOMPARE(m_prompts.shown[0].caption, QString("ERROR"));

    first.reset();  // the first console ends
    QVERIFY(claimSingleInstance(second));
    QCOMPARE(m_prompts.shown.size(), 1);
    QCOMPARE(second.lockFilePath(), machine.file("springtest.lock"));
}

void TestMainWindow::consoleNeedsADisplay_data() {
    QTest::addColumn<QString>("platform");
    QTest::addColumn<QString>("x11");
    QTest::addColumn<QString>("wayland");
    QTest::addColumn<bool>("available");
    QTest::newRow("offscreen, whatever the display") << "offscreen"
                                                     << ":0"
                                                     << "" << false;
    QTest::newRow("minimal") << "minimal"
                             << ""
                             << "wayland-0" << false;
    QTest::newRow("xcb with a display") << "xcb"
                                        << ":1"
                                        << "" << true;
    QTest::newRow("xcb without one") << "xcb"
                                     << ""
                                     << "wayland-0" << false;
    QTest::newRow("a frame buffer") << "linuxfb"
                                    << ""
                                    << "" << true;
    QTest::newRow("X11 by default") << ""
                                    << ":99"
                                    << "" << true;
    QTest::newRow("Wayland by default") << ""
                                        << ""
                                        << "wayland-0" << true;
    QTest::newRow("nothing") << ""
                             << ""
                             << "" << false;
}

void TestMainWindow::consoleNeedsADisplay() {
    QFETCH(QString, platform);
    QFETCH(QString, x11);
    QFETCH(QString, wayland);
    QFETCH(bool, available);
    QCOMPARE(displayAvailable(platform, x11, wayland), available);
    if (platform != "offscreen") return;

    // Without one, `springtest` says so and names the commands that work headless.
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    p.setProcessEnvironment(env);
    p.start(QCoreApplication::applicationDirPath() + "/springtest", {"--appdir", m_dir->path()});
    QVERIFY(p.waitForFinished(30000));
    QVERIFY(p.exitCode() != 0);
    const QString said = QString::fromUtf8(p.readAllStandardError());
    for (const char* command : {"monitor", "run", "scheme", "batch", "init"})
        QVERIFY2(said.contains(command), command);
}

void TestMainWindow::testRunsThroughTheWindows() {
    // A compression spring (free height 60 mm, 10 N/mm) 2 mm under the platen, so the test is short.
    setSim("start_position_mm", "62");
    setSim("noise_seed", "4711");
    const QString batch =
        makeBatch("RUN", true, {"55", "50", "45"}, {"60", "110", "160"}, {"40", "90", "140"});
    auto w = startMainWindow();
    QVERIFY(w);
    CardSlot& card = w->session().cards().cards[0];

    m_prompts.files = {batch};
    item(w.get(), "N10")->trigger();
    QCOMPARE(m_prompts.messages(), QStringList{});
    card.displacement->SetDisplacement(62.0f);  // as the data panel's preset does

    chooseConstantSpeed(w.get(), "600");
    QCOMPARE(w->sequencer()->testSpeed(), 600.0f);
    QCOMPARE(w->sequencer()->speedMode(), SpeedMode::Constant);

    // Let the loop read the preset before the start position is taken from it.
    const uint64_t cycles = w->session().acquisition()->cycles();
    QVERIFY2(waitFor([&] { return w->session().acquisition()->cycles() > cycles + 5; }), "acquisition runs");

    findByName<QAbstractButton>(w->controlPanel(), "TestStart_SpeedButton")->click();
    QCOMPARE(w->sequencer()->state(), TestState::Started);
    QVERIFY2(waitFor([&] { return w->sequencer()->pointIndex() >= 3; }, 30000), "the points are reached");
    screenshot("console-test-running");
    QVERIFY2(waitFor([&] { return w->sequencer()->state() == TestState::Stored && w->sequencer()->isIdle(); },
                     60000),
             "the test is stored");
    screenshot("console-test-stored");

    // The grid shows each point's load, close to what the spring carries there.
    auto* grid = findByName<QTableWidget>(w->controlPanel(), "bsSkinStringGrid1");
    QVERIFY(grid);
    Database db(batch);
    const auto rows = db.select("select * from test_result order by rowid");
    QVERIFY(rows);
    QCOMPARE(rows->size(), 1);
    const double gaps[] = {55, 50, 45};
    for (int k = 1; k <= 3; ++k) {
        const QString shown = grid->item(k, 4) ? grid->item(k, 4)->text() : QString();
        QVERIFY2(!shown.isEmpty(), qPrintable(QString("row %1 empty").arg(k)));
        QCOMPARE(shown, rows->first().text("result" + QString::number(k)));
        const double expected = (60 - gaps[k - 1]) * 10;
        COMPARE_NEAR(shown.toDouble(), expected, 0.03, 0.0, QString("row %1").arg(k));
        QCOMPARE(grid->item(k, 6) ? grid->item(k, 6)->text() : QString(),
                 QString("合格"));  // within its limits
    }
    QCOMPARE(rows->first().toInt("xuhao"), 1);
    const auto curve = db.select("select count(*) as n from test_point where xuhao = 1");
    QVERIFY(curve && curve->first().toInt("n") > 5);
}

QTEST_MAIN(TestMainWindow)
void TestMainWindow::leafSpringTestRunsThroughTheWindows() {
    // A leaf spring on the type-3 machine, its carriage and leaves 80 mm high and its arc 40 mm: the platen
    // touches at 120 mm, 5 mm under the crosshead. Pressed once before its measuring cycle.
    writeMachine({{"MachineType", "3"}});
    QVERIFY(ProfileFile(m_dir->file("init0.dat")).writeString("Load", "auto_gear", "1"));
    const QList<std::pair<QString, QString>> spring{
        {"specimen", "leaf"},        {"start_position_mm", "125"}, {"leaf_free_arc_mm", "40"},
        {"leaf_thickness_mm", "30"}, {"carriage_height_mm", "50"}, {"leaf_rate_n_per_mm", "150"},
        {"leaf_set_mm", "1.5"},      {"leaf_set_ratio", "0.4"},    {"leaf_set_load_n", "1000"},
        {"noise_seed", "4711"}};
    for (const auto& [key, value] : spring) setSim(key, value);
    LeafSpringScheme scheme;
    scheme.scheme_name = QStringLiteral("LS");
    scheme.scheme_style = QStringLiteral("3");
    scheme.scheme_jh = 2;
    scheme.scheme_load = QStringLiteral("20");
    scheme.scheme_sum = QStringLiteral("3");
    const char* loads[] = {"1000", "2000", "3000"};
    for (int k = 0; k < 3; ++k) scheme.points[k] = {loads[k], QStringLiteral("0"), QStringLiteral("0")};
    scheme.scheme_sdload = QStringLiteral("1000");
    scheme.scheme_th_height = QStringLiteral("30");
    scheme.scheme_xc_height = QStringLiteral("50");
    scheme.scheme_xbbj = QStringLiteral("20");
    scheme.scheme_yyload = QStringLiteral("3000");
    scheme.scheme_returnLOAD = QStringLiteral("3600");
    const QString batch = testing::makeLeafBatch(m_dir->path(), scheme, QStringLiteral("L"));
    QVERIFY(!batch.isEmpty());

    auto w = startMainWindow();
    QVERIFY(w);
    CardSlot& card = w->session().cards().cards[0];
    m_prompts.files = {batch};
    item(w.get(), "N10")->trigger();
    QCOMPARE(m_prompts.messages(), QStringList{});
    card.displacement->SetDisplacement(125.0f);
    chooseConstantSpeed(w.get(), "600");
    const uint64_t cycles = w->session().acquisition()->cycles();
    QVERIFY2(waitFor([&] { return w->session().acquisition()->cycles() > cycles + 5; }), "acquisition runs");

    // No start before the operator chose the pre-compressions.
    auto* start = findByName<QAbstractButton>(w->controlPanel(), "TestStart_SpeedButton");
    start->click();
    QCOMPARE(m_prompts.messages(), QStringList{QStringLiteral("预压次数尚未设置！！")});
    QVERIFY(w->sequencer()->isIdle());
    auto* precompress = findByName<QComboBox>(w->controlPanel(), "test_Cycle_ComboBox");
    QVERIFY(precompress && precompress->isVisible());
    precompress->setCurrentText("0");
    start->click();
    QVERIFY2(waitFor([&] { return w->sequencer()->inMeasuringCycle() && w->sequencer()->pointIndex() >= 3; },
                     60000),
             "the measuring cycle reaches its points");
    screenshot("console-leaf-test-running");
    QVERIFY2(waitFor([&] { return w->sequencer()->state() == TestState::Stored && w->sequencer()->isIdle(); },
                     60000),
             "the test is stored");

    // One row: the arc height of the untouched spring under the contact force (150 N/mm), then the arc
    // height its first pressing left.
    Database db(batch);
    const auto rows = db.select("select * from gbth_result");
    QVERIFY(rows);
    QCOMPARE(rows->size(), 1);
    COMPARE_NEAR(rows->first().text("ziyou_height").toDouble(), 40.0 - 20.0 / 150.0, 0.0, 0.05,
                 "free arc height");
    const double pressed = rows->first().text("yahou_height").toDouble();
    QVERIFY2(pressed < 40.0 - 0.3 && pressed > 40.0 - 1.5, qPrintable(QString::number(pressed)));
    for (int k = 1; k <= 3; ++k)
        QVERIFY2(!rows->first().text(QString("result1-%1").arg(k)).isEmpty(), qPrintable(QString::number(k)));
}

void TestMainWindow::lateralMachineConsole_data() {
    QTest::addColumn<bool>("axial");
    QTest::addColumn<QString>("kind");
    QTest::newRow("axial batch") << true << "轴向";
    QTest::newRow("lateral batch") << false << "横向";
}

void TestMainWindow::lateralMachineConsole() {
    QFETCH(bool, axial);
    QFETCH(QString, kind);
    useLateralMachine();
    const QString batch = testing::makeLateralBatch(m_dir->path(), testing::lateralScheme(axial, 1));
    QVERIFY(!batch.isEmpty());
    auto w = startMainWindow();
    QVERIFY(w && w->startupState() == Tfmain::Startup::Running);
    QCOMPARE(w->dataPanel()->metaObject()->className(), "springtest::TF_datashow_ZXGD");
    QCOMPARE(w->curveWindow()->metaObject()->className(), "springtest::TF_chart_HXGD");
    QCOMPARE(w->controlPanel()->metaObject()->className(), "springtest::TF_control_HXGD");
    QVERIFY(findByName(w->curveWindow(), "Chart2"));
    QVERIFY(item(w.get(), "N33")->isVisible());

    // "横向窗口显示": one lateral data panel at a time; closing it lets the next command make a new one.
    QVERIFY(!w->lateralDataPanel());
    item(w.get(), "N33")->trigger();
    QPointer<TF_datashow> lateral = w->lateralDataPanel();
    QVERIFY(lateral && lateral->isVisible());
    QCOMPARE(lateral->card(), 1);
    item(w.get(), "N33")->trigger();
    QCOMPARE(w->lateralDataPanel(), lateral.data());
    lateral->close();
    QVERIFY(waitFor([&] { return lateral.isNull(); }));
    QVERIFY(!w->lateralDataPanel());
    item(w.get(), "N33")->trigger();
    QVERIFY(w->lateralDataPanel() && w->lateralDataPanel()->isVisible());

    // Opening a batch sets the kind of test by its scheme and shows the program page.
    m_prompts.files = {batch};
    item(w.get(), "N10")->trigger();
    QCOMPARE(m_prompts.messages(), QStringList{});
    QCOMPARE(findByName<QTabWidget>(w->controlPanel(), "bsSkinPageControl1")->currentIndex(), 1);
    for (QAbstractButton* radio :
         findByName(w->controlPanel(), "bsSkinRadioGroup1")->findChildren<QAbstractButton*>())
        QCOMPARE(radio->isChecked(), radio->text() == kind);
}

void TestMainWindow::lateralAxialTestRunsThroughTheWindows() {
    // An axial spring of 10 N/mm, 60 mm free, whose top moves 0.05 mm sideways per mm pressed, towards 30°.
    useLateralMachine();
    const QList<std::pair<QString, QString>> spring{
        {"start_position_mm", "62"},       {"free_height_mm", "60"},           {"rate_n_per_mm", "10"},
        {"lateral_offset_per_mm", "0.05"}, {"lateral_offset_angle_deg", "30"}, {"noise_seed", "4711"}};
    for (const auto& [key, value] : spring) setSim(key, value);
    StandardScheme scheme = testing::lateralScheme(true, 1, 3);
    scheme.scheme_style = QStringLiteral("0");  // displacement - load
    scheme.scheme_height = QStringLiteral("60");
    scheme.scheme_load = QStringLiteral("0.5");
    const char* points[] = {"55", "50", "45"};
    for (int k = 0; k < 3; ++k) scheme.points[static_cast<size_t>(k)] = {points[k], "0", "0"};
    const QString batch = testing::makeLateralBatch(m_dir->path(), scheme);
    QVERIFY(!batch.isEmpty());

    auto w = startMainWindow();
    QVERIFY(w && w->startupState() == Tfmain::Startup::Running);
    m_prompts.files = {batch};
    item(w.get(), "N10")->trigger();
    QCOMPARE(m_prompts.messages(), QStringList{});
    // The crosshead's reading where the simulated crosshead stands, 2 mm above the spring.
    w->session().cards().cards[0].displacement->SetDisplacement(62.0f);
    chooseConstantSpeed(w.get(), "300");
    const uint64_t cycles = w->session().acquisition()->cycles();
    QVERIFY2(waitFor([&] { return w->session().acquisition()->cycles() > cycles + 5; }), "acquisition runs");
    findByName<QCheckBox>(w->controlPanel(), "bsSkinCheckRadioBox1")->click();  // turn after the test

    findByName<QAbstractButton>(w->controlPanel(), "bsSkinSpeedButton25")->click();
    QCOMPARE(m_prompts.messages(), QStringList{});
    auto* grid = findByName<QTableWidget>(w->controlPanel(), "bsSkinStringGrid1");
    const auto cell = [grid](int row, int column) {
        const QTableWidgetItem* it = grid->item(row, column);
        return it ? it->text() : QString();
    };
    QVERIFY2(waitFor([&] { return !cell(2, 8).isEmpty(); }, 60000), "the second point shows its offset");
    screenshot("console-lateral-panel");
    QVERIFY2(waitFor(
                 [&] {
                     return w->sequencer()->state() == TestState::TurntablePositioned &&
                            w->sequencer()->isIdle();
                 },
                 120000),
             qPrintable(QStringLiteral("the test is stored and the turntable turned; state %1, %2; said: %3")
                            .arg(int(w->sequencer()->state()))
                            .arg(findByName<QLabel>(w->controlPanel(), "bsSkinStatusPanel2")->text(),
                                 m_prompts.messages().join(" | "))));

    // The last point stands 15 mm pressed: 0.75 mm off towards 30°, as the panel shows it.
    const double offset_mm = 0.05 * 15.0;
    COMPARE_NEAR(cell(3, 8).toDouble(), offset_mm, 0.0, 0.02, "offset of the last point");
    const auto shown = [&](const char* name) {
        return findByName<QLabel>(w->controlPanel(), QString::fromLatin1(name))->text().toDouble();
    };
    COMPARE_NEAR(shown("PIANYILIANG_Label"), offset_mm, 0.0, 0.02, "final offset");
    COMPARE_NEAR(shown("X_Label"), -offset_mm * std::sin(30.0 * std::numbers::pi / 180.0), 0.0, 0.02,
                 "final X");
    COMPARE_NEAR(shown("Y_Label"), -offset_mm * std::cos(30.0 * std::numbers::pi / 180.0), 0.0, 0.02,
                 "final Y");
    COMPARE_NEAR(shown("PIANYIJIAODU_Label"), 30.0, 0.0, 0.5, "final angle");
    QCOMPARE(findByName<QLabel>(w->controlPanel(), "bsSkinStatusPanel2")->text(),
             QString("试验状态：定位停止"));

    // The path was drawn on the curve window's second page.
    auto* charts = qobject_cast<TF_chart_HXGD*>(w->curveWindow());
    QVERIFY(charts);
    QVERIFY(waitFor([&] { return charts->page(2)->series(0)->dataCount() > 3; }));
    findByName<QTabWidget>(charts, "bsSkinPageControl1")->setCurrentIndex(1);
    screenshot("console-lateral-xy");
}

#include "tst_mainwindow.moc"
