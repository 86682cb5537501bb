#include "CardRig.h"
#include "FindComponent.h"

#include "calibration/PlatenAlignment.h"
#include "measurement/TMotor.h"
#include "platform/WindowTarget.h"
#include "support/FakeCard.h"
#include "windows/setup/TF_autozero.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <memory>

using namespace springtest;
using springtest::testing::CardRig;
using springtest::testing::FakeCard;
using springtest::testing::get;

namespace {

// Card 0 of a directly driven machine with a load range of 1000 on the scripted card, and the window over it.
// The load trips are off: the raw counts scripted here would trip them, and their stops are not the window's.
struct Rig : CardRig {
    Rig()
        : CardRig(Motor::With,
                  "[LOAD]\nMax_Range=1000\nGear_Total=1\n"
                  "Overloadprotection=0\nADOverprotection=0\n") {
        window = std::make_unique<TF_autozero>(slot);
    }
    ~Rig() { window.reset(); }

    QString moves() {
        std::lock_guard lock(FakeCard::mutex());
        QStringList m;
        for (const std::string& s : FakeCard::state(0).moves) m << QString::fromStdString(s);
        return m.join(QLatin1Char(','));
    }
    // One cycle of the acquisition loop, as far as the alignment looks at it.
    void measure(float load, int32_t rawCount, float displacement_mm) {
        readCount(rawCount);
        slot.record.load.store(load);
        slot.record.displacement.store(displacement_mm);
    }
    void click(const QString& name) {
        QTest::mouseClick(get<QPushButton>(window.get(), name), Qt::LeftButton);
    }
    AlignmentStage stage() const { return window->alignment().stage(); }

    std::unique_ptr<TF_autozero> window;
};

}  // namespace

class TstAutozero : public QObject {
    Q_OBJECT
private slots:
    void showsTheDesignedControls();
    void refusesReturnHeight_data();
    void refusesReturnHeight();
    void contactThenReturn_data();
    void contactThenReturn();
    void stopDuringApproachIsFinal();
    void closingEndsTheSequence_data();
    void closingEndsTheSequence();
    void stopWhileTheTickWaitsForTheWindow();
};

void TstAutozero::showsTheDesignedControls() {
    Rig rig;
    QCOMPARE(rig.window->objectName(), QStringLiteral("TF_autozero"));
    QCOMPARE(rig.window->windowTitle(), QStringLiteral("自动对盘设置"));
    QCOMPARE(get<QLineEdit>(rig.window.get(), "bsSkinEdit1")->text(), QStringLiteral("50"));
    QCOMPARE(get<QPushButton>(rig.window.get(), "bsSkinButton1")->text(), QStringLiteral("自动对盘"));
    QCOMPARE(get<QPushButton>(rig.window.get(), "bsSkinSpeedButton1")->text(), QStringLiteral("停止"));
    QCOMPARE(get<QPushButton>(rig.window.get(), "bsSkinButton2")->text(), QStringLiteral("关闭"));
    const QGroupBox* notes = rig.window->findChild<QGroupBox*>();
    QVERIFY(notes);
    QCOMPARE(notes->title(), QStringLiteral("提示"));
    QStringList lines;
    for (const QLabel* label : notes->findChildren<QLabel*>()) lines << label->text();
    QCOMPARE(lines.first(), QStringLiteral("    该功能是设备自动行走至两压盘接触，"));
    QCOMPARE(lines.last(), QStringLiteral("传感器等器件的损坏！！"));
    QCOMPARE(lines.size(), 6);
}

void TstAutozero::refusesReturnHeight_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("namesTheEmptyEdit");
    QTest::newRow("empty") << "" << true;
    QTest::newRow("blanks") << "   " << true;
    QTest::newRow("no number") << "5o" << false;
}

void TstAutozero::refusesReturnHeight() {
    QFETCH(QString, text);
    QFETCH(bool, namesTheEmptyEdit);
    Rig rig;
    rig.window->show();
    QVERIFY(QTest::qWaitForWindowActive(rig.window.get()));
    get<QLineEdit>(rig.window.get(), "bsSkinEdit1")->setText(text);
    rig.click("bsSkinButton1");
    QCOMPARE(rig.prompts.messages().size(), 1);
    if (namesTheEmptyEdit) QCOMPARE(rig.prompts.messages().first(), QStringLiteral("请填入返回高度!!"));
    QVERIFY(get<QLineEdit>(rig.window.get(), "bsSkinEdit1")->hasFocus());
    QCOMPARE(rig.moves(), QString());
    QCOMPARE(rig.stage(), AlignmentStage::Idle);
}

void TstAutozero::contactThenReturn_data() {
    QTest::addColumn<float>("load");
    QTest::addColumn<int>("rawCount");
    QTest::newRow("load at 0.5 % of 1000") << 5.0f << 0;
    QTest::newRow("raw -15001 with zero load") << 0.0f << -15001;
}

void TstAutozero::contactThenReturn() {
    QFETCH(float, load);
    QFETCH(int, rawCount);
    Rig rig;
    rig.measure(0.0f, 0, -80.0f);
    get<QLineEdit>(rig.window.get(), "bsSkinEdit1")->setText(QStringLiteral("50"));
    rig.click("bsSkinButton1");
    QCOMPARE(rig.moves(), QStringLiteral("down"));
    QCOMPARE(rig.slot.motor->speed(), 300.0f);
    QTest::qWait(10);
    QCOMPARE(rig.stage(), AlignmentStage::Approaching);

    rig.measure(load, rawCount, -80.0f);
    QTRY_COMPARE(rig.stage(), AlignmentStage::Returning);
    // The stage turns first, the commands follow.
    QTRY_COMPARE(rig.moves(), QStringLiteral("down,stop,up"));
    QTRY_COMPARE(rig.slot.motor->speed(), 300.0f);
    // The crosshead comes up from the zero to the return height, read over and over until the timer, however
    // busy the computer, has seen both.
    QDeadlineTimer deadline(10000);
    while (rig.stage() != AlignmentStage::Idle && !deadline.hasExpired()) {
        rig.measure(30.0f, 0, 0.0f);
        QTest::qWait(5);
        rig.measure(30.0f, 0, 49.99f);
        QTest::qWait(5);
    }
    QCOMPARE(rig.stage(), AlignmentStage::Idle);
    QCOMPARE(rig.moves(), QStringLiteral("down,stop,up,stop"));
    QVERIFY(rig.prompts.messages().isEmpty());
}

void TstAutozero::stopDuringApproachIsFinal() {
    Rig rig;
    rig.measure(0.0f, 0, -80.0f);
    rig.click("bsSkinButton1");
    rig.click("bsSkinSpeedButton1");
    QCOMPARE(rig.moves(), QStringLiteral("down,stop"));
    QCOMPARE(rig.stage(), AlignmentStage::Idle);
    rig.measure(5.0f, -15001, -80.0f);
    QTest::qWait(30);  // thirty periods of the 1 ms timer, had it survived
    QCOMPARE(rig.moves(), QStringLiteral("down,stop"));
    QCOMPARE(rig.slot.motor->state(), MotionState::Stopped);
}

void TstAutozero::closingEndsTheSequence_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("关闭") << "button";
    QTest::newRow("Esc") << "escape";
    QTest::newRow("window freed") << "delete";
}

void TstAutozero::closingEndsTheSequence() {
    QFETCH(QString, how);
    Rig rig;
    rig.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(rig.window.get()));
    rig.measure(0.0f, 0, -80.0f);
    rig.click("bsSkinButton1");
    if (how == "button")
        rig.click("bsSkinButton2");
    else if (how == "escape")
        QTest::keyClick(rig.window.get(), Qt::Key_Escape);
    else
        rig.window.reset();
    QCOMPARE(rig.moves(), QStringLiteral("down,stop"));
    QCOMPARE(rig.slot.motor->state(), MotionState::Stopped);
    if (rig.window) QVERIFY(!rig.window->isVisible());
}

// The console shows every motor state: a command from the 1 ms timer's thread waits until the GUI thread has
// shown it. "停止" clicked just then must neither hang the window nor be undone by the rest of the tick.
void TstAutozero::stopWhileTheTickWaitsForTheWindow() {
    Rig rig;
    int shownStates = 0;
    WindowTarget stateShown([&](int) { ++shownStates; });
    rig.slot.motor->setStateTarget(&stateShown);
    rig.measure(0.0f, 0, -80.0f);
    rig.click("bsSkinButton1");
    rig.measure(5.0f, 0, -80.0f);
    // The tick has stopped the crosshead and now waits for this thread, which handles no event meanwhile.
    QDeadlineTimer deadline(10000);
    while (rig.slot.motor->state() != MotionState::Stopped && !deadline.hasExpired()) QThread::usleep(100);
    QCOMPARE(rig.stage(), AlignmentStage::Returning);
    rig.click("bsSkinSpeedButton1");
    QCOMPARE(rig.stage(), AlignmentStage::Idle);
    QTest::qWait(30);  // the tick goes on once its message is shown
    QVERIFY(shownStates >= 2);
    QVERIFY2(!rig.moves().contains(QLatin1String("up")), qPrintable(rig.moves()));
    QCOMPARE(rig.slot.motor->state(), MotionState::Stopped);
    rig.slot.motor->setStateTarget(nullptr);
}

QTEST_MAIN(TstAutozero)
#include "tst_autozero.moc"
