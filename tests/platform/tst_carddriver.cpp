#include "platform/CardDriver.h"

#include <QtTest>

using namespace springtest;

class TestCardDriver : public QObject {
    Q_OBJECT
private slots:
    void modelsByCardType_data();
    void modelsByCardType();
    void missingLibraryIsReported();
    void missingNamesLeaveEmptyEntries();
    void emptyEntriesAreSafeToCall();
};

void TestCardDriver::modelsByCardType_data() {
    QTest::addColumn<int>("cardType");
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("file");
    QTest::newRow("0") << 0 << "RX640K"
                       << "libRX640K.so";
    QTest::newRow("1") << 1 << "RX710"
                       << "libPCI_CARD.so";
    QTest::newRow("2") << 2 << "RX720"
                       << "libRX720.so";
    QTest::newRow("other") << 3 << ""
                           << "";
    QTest::newRow("negative") << -1 << ""
                              << "";
}

void TestCardDriver::modelsByCardType() {
    QFETCH(int, cardType);
    QFETCH(QString, model);
    QFETCH(QString, file);
    const CardModel m = cardModelFor(cardType);
    QCOMPARE(m.model, model);
    QCOMPARE(driverFileName(m.driverBase), file);
}

void TestCardDriver::missingLibraryIsReported() {
    CardDriverLibrary lib;
    QVERIFY(!lib.load("NO_SUCH_CARD_LIBRARY", QDir::tempPath()));
    QVERIFY(!lib.isLoaded());
    QVERIFY(!lib.errorString().isEmpty());
    const CardDriverApi api = lib.resolve();
    QVERIFY(api.CardOpen == nullptr);
    QVERIFY(!lib.load(QString(), QDir::tempPath()));
}

void TestCardDriver::missingNamesLeaveEmptyEntries() {
    CardDriverLibrary lib;
    QVERIFY2(lib.load("PARTIALCARD", PARTIAL_CARD_DIR), qPrintable(lib.errorString()));
    const CardDriverApi api = lib.resolve();
    QVERIFY(api.CardOpen != nullptr);
    QVERIFY(api.LoadGetAd != nullptr);
    QVERIFY(api.ReadPulse == nullptr);
    QVERIFY(api.RLY == nullptr);
    QVERIFY(api.DASTART == nullptr);
    const CardDriver driver(api);
    QVERIFY(driver.cardOpen(0));
    QVERIFY(!driver.cardOpen(1));
    QCOMPARE(driver.loadGetAd(2), 1002);
    QCOMPARE(driver.readPulse(0), 0);
}

void TestCardDriver::emptyEntriesAreSafeToCall() {
    const CardDriver driver;
    QVERIFY(!driver.cardOpen(0));
    QCOMPARE(driver.loadGetAd(0), 0);
    QCOMPARE(driver.getOutCommand(0), uint8_t(0));
    uint8_t relays[8] = {};
    driver.rly(0, relays, 7);
    driver.setRate(0, 10.0f);
    driver.moveUp(0);
    driver.stop(0);
    driver.servoData(0, 2048);
    driver.daStart(0);
}

QTEST_GUILESS_MAIN(TestCardDriver)
#include "tst_carddriver.moc"
