#include "measurement/CardSlot.h"
#include "measurement/TDisplacement.h"
#include "measurement/TMotor.h"
#include "measurement/Tload.h"
#include "platform/ProfileFile.h"
#include "platform/SteadyClock.h"
#include "support/FakeCard.h"
#include "support/NearCompare.h"
#include "support/TempAppDir.h"

#include <QtTest>

#include <csignal>

#include <sys/resource.h>

using namespace springtest;
using springtest::testing::FakeCard;
using springtest::testing::TempAppDir;

namespace {

struct Rig {
    TempAppDir dir;
    CardDriver driver{FakeCard::api()};
    CardSlot slot;

    explicit Rig(const QByteArray& config = {}) {
        FakeCard::reset();
        if (!config.isEmpty()) dir.write("init0.dat", config);
        build();
    }
    void build() {
        slot.load = std::make_unique<Tload>(dir.path(), 0, driver, &slot);
        slot.displacement = std::make_unique<TDisplacement>(dir.path(), 0, driver, &slot);
        slot.motor = std::make_unique<TMotor>(dir.path(), 0, driver, &slot);
    }
    void restart() {
        slot.motor.reset();
        slot.displacement.reset();
        slot.load.reset();
        FakeCard::state(0).pulses = 0;  // the card's counter restarts with the program
        build();
    }
    TDisplacement& disp() { return *slot.displacement; }
    // One cycle of the acquisition loop for this card.
    float cycle(int32_t pulses, int32_t count = 0) {
        FakeCard::state(0).pulses = pulses;
        FakeCard::state(0).count = count;
        slot.record.load = slot.load->ReadLoad();
        const float x = disp().ReadDisplacement(slot.load->readingTime());
        slot.record.displacement = x;
        slot.record.deformation = disp().ReadDeformation();
        return x;
    }
};

// Caps the size of any file this process writes, as a disk that runs full part way through a write does:
// the bytes up to the cap are written, the next write fails.
class FileSizeCap {
public:
    explicit FileSizeCap(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &m_previous);
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);  // fail the write instead of ending the process
        rlimit capped = m_previous;
        capped.rlim_cur = bytes;
        m_active = ::setrlimit(RLIMIT_FSIZE, &capped) == 0;
    }
    ~FileSizeCap() {
        ::setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousHandler);
    }
    bool active() const { return m_active; }

private:
    rlimit m_previous{};
    void (*m_previousHandler)(int) = nullptr;
    bool m_active = false;
};

}  // namespace

class TestTDisplacement : public QObject {
    Q_OBJECT
private slots:
    void pulsesToMillimetres_data();
    void pulsesToMillimetres();
    void defaultsWithoutConfiguration();
    void compensationAddsFrameDeflection();
    void sidesKeepTheirOwnZero();
    void presetReadsAtOnceAndCountsOn();
    void deformationFromReference();
    void pairedWithTheLoadsConversion();
    void stateContinuesAfterRestart();
    void restartShowsTheDisplacementItLeft_data();
    void restartShowsTheDisplacementItLeft();
    void interruptedSaveKeepsThePreviousState();
    void clearInPidControlMovesTheSetPoint_data();
    void clearInPidControlMovesTheSetPoint();
};

void TestTDisplacement::pulsesToMillimetres_data() {
    QTest::addColumn<int>("pulses");
    QTest::addColumn<int>("direction");
    QTest::addColumn<float>("expected");
    QTest::newRow("4000") << 4000 << 1 << 1.00f;
    QTest::newRow("4002") << 4002 << 1 << 1.00f;
    QTest::newRow("4020 rounds up (float coefficient)") << 4020 << 1 << 1.01f;
    QTest::newRow("4060") << 4060 << 1
                          << 1.02f;  // 1.015 exactly would round to even, as computed it is above
    QTest::newRow("negative") << -4020 << 1 << -1.01f;
    QTest::newRow("direction -1") << 4000 << -1 << -1.00f;
}

void TestTDisplacement::pulsesToMillimetres() {
    QFETCH(int, pulses);
    QFETCH(int, direction);
    QFETCH(float, expected);
    Rig rig("[Displacement]\ncoefficient=0.00025\nDirection=" + QByteArray::number(direction) + "\n");
    QCOMPARE(rig.cycle(pulses), expected);
}

void TestTDisplacement::defaultsWithoutConfiguration() {
    Rig rig;
    QCOMPARE(rig.disp().coefficient(), 0.00025f);
    QCOMPARE(rig.disp().decimals(), 3);
    QCOMPARE(rig.disp().Name(), QString("位移"));
    QCOMPARE(rig.disp().Units(), QString("mm"));
    QCOMPARE(rig.disp().side(), 1);
    QCOMPARE(rig.cycle(8000), 2.0f);
}

void TestTDisplacement::compensationAddsFrameDeflection() {
    Rig rig("[Displacement]\nCompensation_coefficient=0.001\n");
    const float with = rig.cycle(40000, 500);
    QCOMPARE(rig.slot.load->load(), 500.0f);
    QCOMPARE(with, 10.5f);
    QVERIFY(rig.disp().SetCompensation(0.002f));
    QCOMPARE(rig.cycle(40000, 500), 11.0f);
    QCOMPARE(
        ProfileFile(rig.dir.file("init0.dat")).readString("Displacement", "Compensation_coefficient", ""),
        QString("0.0020000"));
}

void TestTDisplacement::sidesKeepTheirOwnZero() {
    Rig rig;
    rig.cycle(4000);
    rig.disp().ClearDisplacement();  // compression zero at 4000
    rig.disp().setSide(-1);
    QCOMPARE(rig.cycle(8000), -2.0f);  // tension zero still 0: (0 - 8000) × coefficient
    rig.disp().ClearDisplacement();    // tension zero at 8000
    QCOMPARE(rig.cycle(12000), -1.0f);
    rig.disp().setSide(1);
    QCOMPARE(rig.cycle(12000), 2.0f);  // compression side counts from its own zero
}

void TestTDisplacement::presetReadsAtOnceAndCountsOn() {
    Rig rig;
    rig.cycle(123456);
    rig.disp().SetDisplacement(10.0f);
    QCOMPARE(rig.cycle(123456), 10.0f);
    QCOMPARE(rig.cycle(123456 + 4000), 11.0f);
    rig.disp().setSide(-1);
    rig.disp().SetDisplacement(5.0f);
    QCOMPARE(rig.cycle(127456), 5.0f);
    QCOMPARE(rig.cycle(127456 + 4000), 4.0f);
}

void TestTDisplacement::deformationFromReference() {
    Rig rig;
    rig.cycle(40000);  // 10 mm
    rig.disp().MarkDeformationZero();
    QCOMPARE(rig.disp().deformationReference(), 10.0);
    rig.cycle(20000);  // crosshead came down 5 mm
    QCOMPARE(rig.slot.record.deformation.load(), 5.0f);
    QCOMPARE(rig.disp().deformation(), 5.0f);
    rig.cycle(60000);  // 5 mm above the reference: still a positive magnitude, signed value negative
    QCOMPARE(rig.slot.record.deformation.load(), 5.0f);
    QCOMPARE(rig.disp().deformation(), -5.0f);
    rig.disp().setSide(-1);
    rig.cycle(60000);
    QCOMPARE(rig.disp().deformation(), -25.0f);  // tension side: displacement (-15) - reference (10)
}

// A load that came out of the converter's FIFO is paired with where the crosshead was when it was converted,
// not with the encoder as it reads now.
void TestTDisplacement::pairedWithTheLoadsConversion() {
    Rig rig;
    FakeCard::state(0).pulses = 4000;
    QCOMPARE(rig.disp().ReadDisplacement(), 1.0f);
    const std::chrono::microseconds before = steadyMicros();
    QTest::qSleep(20);  // the crosshead travels 1 mm meanwhile
    const std::chrono::microseconds after = steadyMicros();
    FakeCard::state(0).pulses = 8000;

    const std::chrono::microseconds pace{1000};
    const float paired = rig.disp().ReadDisplacement({before + (after - before) / 2, pace});
    QVERIFY2(paired > 1.0f && paired < 2.0f, qPrintable(QString::number(paired)));
    QCOMPARE(rig.disp().displacement(), paired);
    QCOMPARE(rig.disp().pulseCount(), 8000);  // zeroing still counts from the encoder as it reads

    QCOMPARE(rig.disp().ReadDisplacement({before - std::chrono::hours(1), pace}),
             1.0f);                                                       // before anything kept
    QCOMPARE(rig.disp().ReadDisplacement({steadyMicros(), pace}), 2.0f);  // converted just now
    QCOMPARE(rig.disp().ReadDisplacement({before, {}}), 2.0f);  // the converter's pace not known yet
    QCOMPARE(rig.disp().ReadDisplacement(), 2.0f);
}

void TestTDisplacement::stateContinuesAfterRestart() {
    Rig rig("[Displacement]\nDecimal_Places=2\n");
    rig.cycle(40000);
    rig.disp().setSide(-1);
    rig.cycle(48000);  // compression 12.00, tension -12.00
    rig.restart();
    QCOMPARE(rig.disp().displacement(), 12.0f);
    QCOMPARE(rig.cycle(0), 12.0f);
    QCOMPARE(rig.cycle(4000), 13.0f);
    rig.disp().setSide(-1);
    QCOMPARE(rig.cycle(4000), -13.0f);
    const ProfileFile ini(rig.dir.file("init0.dat"));
    COMPARE_NEAR(ini.readDouble("Displacement", "press_SAVE_VALUE", 0), 12.0, 0, 1e-5);
    QCOMPARE(ini.readString("Displacement", "press_save_pulse", ""), QString("48000"));
    QCOMPARE(ini.readString("Displacement", "pull_save_pulse", ""), QString("-48000"));
    QCOMPARE(ini.readInt("close", "close_flag", 0), 1);
}

void TestTDisplacement::restartShowsTheDisplacementItLeft_data() {
    QTest::addColumn<QByteArray>("config");
    QTest::addColumn<int32_t>("pulses");
    QTest::addColumn<float>("shown");
    // 4021 pulses are 1.00525 mm: shown 1.01, but three decimals of it ("1.005") read back below the
    // hundredth.
    QTest::newRow("just above a half hundredth, 3 decimals")
        << QByteArray("[Displacement]\nDecimal_Places=3\n") << 4021 << 1.01f;
    QTest::newRow("just above a half hundredth, 0 decimals")
        << QByteArray("[Displacement]\nDecimal_Places=0\n") << 4021 << 1.01f;
    QTest::newRow("just below a half hundredth") << QByteArray() << 4019 << 1.0f;
    QTest::newRow("far along the travel") << QByteArray() << 332021 << 83.01f;
    // On a half hundredth by the count, a shade above it by the float coefficient: shown rounded up, and a
    // value kept in single precision falls back below it.
    QTest::newRow("on a half hundredth") << QByteArray() << 4020 << 1.01f;
    QTest::newRow("on a half hundredth, far along the travel") << QByteArray() << 332060 << 83.02f;
    QTest::newRow("on a half hundredth, further still") << QByteArray() << 1332060 << 333.02f;
}

void TestTDisplacement::restartShowsTheDisplacementItLeft() {
    QFETCH(QByteArray, config);
    QFETCH(int32_t, pulses);
    QFETCH(float, shown);
    Rig rig(config);
    QCOMPARE(rig.cycle(pulses), shown);
    rig.restart();
    QCOMPARE(rig.cycle(0), shown);
}

void TestTDisplacement::interruptedSaveKeepsThePreviousState() {
    const QByteArray before =
        "[Displacement]\npress_save_pulse=0\npull_save_pulse=0\npress_SAVE_VALUE=0.000\n"
        "pull_SAVE_VALUE=0.000\n\n[close]\nclose_flag=0\n";
    Rig rig(before);
    rig.cycle(4000);  // pulses 4000 and -4000, values 1.000 and -1.000: the state grows by 8 bytes
    QString error;
    {
        // Room for the first key's 3 more bytes, not for the rest: a save key by key would leave the new
        // compression pulses beside the old values, and the next start would read a displacement that
        // never was.
        FileSizeCap cap(static_cast<rlim_t>(before.size() + 4));
        QVERIFY(cap.active());
        QVERIFY(!rig.disp().SaveDisplacementState(&error));
    }
    QCOMPARE(error,
             "无法写入" + QDir::toNativeSeparators(rig.dir.file("init0.dat")) + "：文件超出允许的大小");
    QCOMPARE(rig.dir.read("init0.dat"), before);
    QCOMPARE(QDir(rig.dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"init0.dat"});
}

void TestTDisplacement::clearInPidControlMovesTheSetPoint_data() {
    QTest::addColumn<QString>("motion");
    QTest::addColumn<int>("pidMode");
    QTest::addColumn<double>("setPoint");
    QTest::addColumn<float>("rampRate");
    QTest::newRow("stopped holds 0") << "stop" << 1 << 0.0 << 0.0f;
    QTest::newRow("moving up ramps with -speed") << "up" << 3 << 0.0 << -2000.0f;
    QTest::newRow("moving down ramps with +speed") << "down" << 3 << 0.0 << 2000.0f;
}

void TestTDisplacement::clearInPidControlMovesTheSetPoint() {
    QFETCH(QString, motion);
    QFETCH(int, pidMode);
    QFETCH(double, setPoint);
    QFETCH(float, rampRate);
    Rig rig("[Motor]\nControlMode=1\n");
    rig.cycle(4000);
    TMotor& motor = *rig.slot.motor;
    motor.SetSpeed(20.0f);
    if (motion == "up") motor.CommandUp();
    if (motion == "down") motor.CommandDown();
    if (motion == "stop") motor.CommandStop();
    rig.disp().ClearDisplacement();
    const ServoBlock servo = motor.servo();
    QCOMPARE(int(servo.pidMode), pidMode);
    QCOMPARE(servo.setPoint, setPoint);
    if (pidMode == 3) QCOMPARE(servo.rampRate, rampRate);
    QCOMPARE(rig.cycle(4000), 0.0f);

    rig.disp().SetDisplacement(7.5f);
    QCOMPARE(int(motor.servo().pidMode), 1);
    QCOMPARE(motor.servo().setPoint, 750.0);
}

QTEST_GUILESS_MAIN(TestTDisplacement)
#include "tst_tdisplacement.moc"
