// Load-overload trips reach the overload log: one row per trip with the load that tripped, none for a
// raw-count trip, written only after the trip's handler has returned, and a failed write reported.

#include <QtTest>

#include "measurement/CardSlot.h"
#include "measurement/Tload.h"
#include "platform/CardDriver.h"
#include "platform/WindowTarget.h"
#include "session/OverloadRecording.h"
#include "storage/OverloadLog.h"
#include "storage/Schema.h"
#include "support/FakeCard.h"
#include "support/TempAppDir.h"

using namespace springtest;
using springtest::testing::FakeCard;
using springtest::testing::TempAppDir;

namespace {

// Card 0's load channel on the scripted card, its trips handed to a recorder the way the console and the
// command line hand them.
struct TripRig {
    explicit TripRig(const QByteArray& config, bool withDatabase = true) {
        FakeCard::reset();
        dir.write(QStringLiteral("init0.dat"), config);
        if (withDatabase) createSchemeDatabase(schemeDatabasePath(dir.path()));
        slot.load = std::make_unique<Tload>(dir.path(), 0, driver, &slot);
        slot.load->setOverloadTarget(&target);
    }
    ~TripRig() { slot.load->setOverloadTarget(nullptr); }
    void readAt(int32_t count) {
        FakeCard::state(0).count = count;
        slot.load->ReadLoad();
    }
    QList<OverloadRecord> records() {
        OverloadLog log(dir.path());
        return log.list().value_or(QList<OverloadRecord>{});
    }

    TempAppDir dir;
    CardDriver driver{FakeCard::api()};
    CardSlot slot;
    QStringList errors;
    OverloadRecorder recorder{dir.path(), [this](const QString& error) { errors << error; }};
    qsizetype rowsWhileHandling = -1;
    WindowTarget target{[this](int) {
        recorder.onTrip(slot);
        rowsWhileHandling = records().size();
    }};
};

const QByteArray kRange1000 = "[Load]\nMax_Range=1000\nGear1_Decimal_Places=1\n";

}  // namespace

class TestOverloadRecording : public QObject {
    Q_OBJECT
private slots:
    void loadOverloadsAreLogged_data();
    void loadOverloadsAreLogged();
    void eachTripIsOneRow();
    void unwrittenTripIsWrittenWhenTheRecorderGoes();
    void failedWriteIsReported();
};

void TestOverloadRecording::loadOverloadsAreLogged_data() {
    QTest::addColumn<QByteArray>("config");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("logged");
    QTest::newRow("compression overload")
        << kRange1000 << 1031 << int(TripKind::CompressionOverload) << QStringList{"1031.0"};
    QTest::newRow("tension overload")
        << kRange1000 << -1040 << int(TripKind::TensionOverload) << QStringList{"-1040.0"};
    // A count beyond the converter's limit with the load well inside its range: the signal, not the load.
    QTest::newRow("raw count high") << QByteArray("[Load]\nMax_Range=100000\nADOverprotectionValue=1000\n")
                                    << 1001 << int(TripKind::CountHigh) << QStringList{};
    QTest::newRow("raw count low") << QByteArray("[Load]\nMax_Range=100000\nADOverprotectionValue=1000\n")
                                   << -1001 << int(TripKind::CountLow) << QStringList{};
}

void TestOverloadRecording::loadOverloadsAreLogged() {
    QFETCH(QByteArray, config);
    QFETCH(int, count);
    QFETCH(int, kind);
    QFETCH(QStringList, logged);
    TripRig rig(config);
    const QDateTime before = QDateTime::currentDateTime();
    rig.readAt(count);
    QCOMPARE(int(rig.slot.load->tripKind()), kind);
    // The acquisition thread waits for the handler: nothing touches the disk before it returns.
    QCOMPARE(rig.rowsWhileHandling, 0);
    QCoreApplication::sendPostedEvents();
    const QList<OverloadRecord> records = rig.records();
    QStringList loads;
    for (const OverloadRecord& record : records) {
        loads << record.loadMax;
        QVERIFY(record.time >= before.addMSecs(-1) && record.time <= QDateTime::currentDateTime());
    }
    QCOMPARE(loads, logged);
    QVERIFY(rig.errors.isEmpty());
}

void TestOverloadRecording::eachTripIsOneRow() {
    TripRig rig(kRange1000);
    rig.readAt(1031);
    rig.readAt(1100);  // still tripped: no new trip
    rig.readAt(900);   // re-armed below the range
    rig.readAt(1050);
    QCoreApplication::sendPostedEvents();
    const QList<OverloadRecord> records = rig.records();
    QCOMPARE(records.size(), 2);
    QCOMPARE(records[0].number, 1);
    QCOMPARE(records[0].loadMax, QString("1031.0"));
    QCOMPARE(records[1].number, 2);
    QCOMPARE(records[1].loadMax, QString("1050.0"));
}

void TestOverloadRecording::unwrittenTripIsWrittenWhenTheRecorderGoes() {
    // A trip at the very end of a command-line run is not lost with the event loop that would have
    // written it.
    TempAppDir dir;
    createSchemeDatabase(schemeDatabasePath(dir.path()));
    FakeCard::reset();
    dir.write(QStringLiteral("init0.dat"), kRange1000);
    CardDriver driver{FakeCard::api()};
    CardSlot slot;
    slot.load = std::make_unique<Tload>(dir.path(), 0, driver, &slot);
    {
        OverloadRecorder recorder(dir.path(), {});
        WindowTarget target([&](int) { recorder.onTrip(slot); });
        slot.load->setOverloadTarget(&target);
        FakeCard::state(0).count = 1031;
        slot.load->ReadLoad();
        slot.load->setOverloadTarget(nullptr);
    }
    OverloadLog log(dir.path());
    QCOMPARE(log.list().value().size(), 1);
}

void TestOverloadRecording::failedWriteIsReported() {
    TripRig rig(kRange1000, false);
    rig.readAt(1031);
    QCoreApplication::sendPostedEvents();
    QCOMPARE(rig.errors.size(), 1);
    QVERIFY2(rig.errors[0].startsWith(kOverloadNotRecorded), qPrintable(rig.errors[0]));
    // Nothing is made where the scheme database was missing.
    QVERIFY(!QFileInfo::exists(schemeDatabasePath(rig.dir.path())));
}

QTEST_GUILESS_MAIN(TestOverloadRecording)
#include "tst_overload_recording.moc"
