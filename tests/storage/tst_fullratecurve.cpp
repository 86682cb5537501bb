#include <QtEndian>
#include <QtTest>

#include <cmath>
#include <limits>

#include "storage/FullRateCurve.h"
#include "support/TempAppDir.h"

using namespace springtest;
using springtest::testing::TempAppDir;

Q_DECLARE_METATYPE(springtest::FullRateCurve)

class TestFullRateCurve : public QObject {
    Q_OBJECT
private slots:
    void roundTrip_data();
    void roundTrip();
    void layoutIsLittleEndianColumns();
    void refusesWhatIsNoCurve_data();
    void refusesWhatIsNoCurve();
    void readsPastFieldsOfALaterVersion();
    void storedPerTest();
    void batchWithoutTheTable();
    void damagedBlobIsAnError();
};

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

FullRateCurve ramp(int count) {
    FullRateCurve curve;
    curve.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const float t = i * 0.001f;
        curve.push_back({t, 100.0f * std::sin(t) - 3.0f, 0.01f * i, 0.005f * i, i < count / 2 ? 1 : 2});
    }
    return curve;
}

// NaN compares unequal to itself: equal here when both are NaN or both the same number.
bool sameFloat(float a, float b) {
    return (std::isnan(a) && std::isnan(b)) || std::bit_cast<quint32>(a) == std::bit_cast<quint32>(b);
}

bool sameCurve(const FullRateCurve& a, const FullRateCurve& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (!sameFloat(a[i].time_s, b[i].time_s) || !sameFloat(a[i].load, b[i].load) ||
            !sameFloat(a[i].displacement_mm, b[i].displacement_mm) ||
            !sameFloat(a[i].deformation_mm, b[i].deformation_mm) || a[i].stroke != b[i].stroke)
            return false;
    }
    return true;
}

QByteArray header(const char* magic, quint16 version, quint16 fields, quint32 count) {
    QByteArray h(12, '\0');
    auto* at = reinterpret_cast<uchar*>(h.data());
    std::copy(magic, magic + 4, at);
    qToLittleEndian<quint16>(version, at + 4);
    qToLittleEndian<quint16>(fields, at + 6);
    qToLittleEndian<quint32>(count, at + 8);
    return h;
}

}  // namespace

void TestFullRateCurve::roundTrip_data() {
    QTest::addColumn<FullRateCurve>("curve");
    QTest::newRow("empty") << FullRateCurve{};
    QTest::newRow("one point") << FullRateCurve{{0.0f, -12.5f, 3.25f, 0.0f, 1}};
    QTest::newRow("60,000 points") << ramp(60000);
    QTest::newRow("NaN and infinite values")
        << FullRateCurve{{0.0f, kNaN, 1.0f, kNaN, 1},
                         {0.001f, std::numeric_limits<float>::infinity(), kNaN, -0.0f, 2},
                         {kNaN, -std::numeric_limits<float>::infinity(), 2.0f, 1.0f, 2}};
}

void TestFullRateCurve::roundTrip() {
    QFETCH(FullRateCurve, curve);
    const QByteArray blob = encodeFullRateCurve(curve);
    // Compact: a header and four bytes per field and reading, nothing more.
    QCOMPARE(blob.size(), 12 + qsizetype(curve.size()) * 5 * 4);
    QString error;
    const std::optional<FullRateCurve> back = decodeFullRateCurve(blob, &error);
    QVERIFY2(back, qPrintable(error));
    QVERIFY(sameCurve(*back, curve));

    TempAppDir dir;
    Database db(dir.file("batch.mdb"), Database::OpenMode::CreateIfMissing);
    QVERIFY(storeFullRateCurve(db, 7, curve));
    const StoredFullRateCurve stored = readFullRateCurve(db, 7);
    QVERIFY2(stored.error.isEmpty(), qPrintable(stored.error));
    QVERIFY(stored.curve);
    QVERIFY(sameCurve(*stored.curve, curve));
}

void TestFullRateCurve::layoutIsLittleEndianColumns() {
    // Another program reads the blob by its documented layout: fields one column after the other.
    const QByteArray blob = encodeFullRateCurve({{0.5f, 10.0f, 1.0f, 2.0f, 1}, {1.5f, 20.0f, 3.0f, 4.0f, 2}});
    QCOMPARE(blob.left(12), header("SFRC", 1, 5, 2));
    const auto* at = reinterpret_cast<const uchar*>(blob.constData()) + 12;
    QList<float> values;
    for (int i = 0; i < 10; ++i) values << std::bit_cast<float>(qFromLittleEndian<quint32>(at + 4 * i));
    QCOMPARE(values, (QList<float>{0.5f, 1.5f, 10.0f, 20.0f, 1.0f, 3.0f, 2.0f, 4.0f, 1.0f, 2.0f}));
}

void TestFullRateCurve::refusesWhatIsNoCurve_data() {
    QTest::addColumn<QByteArray>("blob");
    const QByteArray twoReadings = encodeFullRateCurve(ramp(2));
    QTest::newRow("nothing") << QByteArray();
    QTest::newRow("header cut short") << twoReadings.left(10);
    QTest::newRow("readings cut short") << twoReadings.chopped(1);
    QTest::newRow("bytes past the readings") << twoReadings + QByteArray(4, '\0');
    QTest::newRow("another kind of blob") << header("PK\3\4", 1, 5, 0);
    QTest::newRow("a later version") << header("SFRC", 2, 5, 0);
    QTest::newRow("fewer fields than version 1 has") << header("SFRC", 1, 4, 0);
    // 0x40000000 readings of 5 fields of 4 bytes wrap a 32-bit length to nothing but the header.
    QTest::newRow("count that wraps") << header("SFRC", 1, 5, 0x40000000u);
}

void TestFullRateCurve::refusesWhatIsNoCurve() {
    QFETCH(QByteArray, blob);
    QString error;
    QVERIFY(!decodeFullRateCurve(blob, &error));
    QVERIFY(!error.isEmpty());
}

void TestFullRateCurve::readsPastFieldsOfALaterVersion() {
    // Version 1 with a sixth column appended: the first five are read, the sixth skipped.
    QByteArray blob = header("SFRC", 1, 6, 1);
    for (const float v : {0.25f, 5.0f, 1.0f, 0.5f, 2.0f, 99.0f}) {
        QByteArray word(4, '\0');
        qToLittleEndian<quint32>(std::bit_cast<quint32>(v), reinterpret_cast<uchar*>(word.data()));
        blob += word;
    }
    const auto curve = decodeFullRateCurve(blob);
    QVERIFY(curve);
    QVERIFY(sameCurve(*curve, {{0.25f, 5.0f, 1.0f, 0.5f, 2}}));
}

void TestFullRateCurve::storedPerTest() {
    TempAppDir dir;
    Database db(dir.file("batch.mdb"), Database::OpenMode::CreateIfMissing);
    for (int serial = 1; serial <= 4; ++serial) QVERIFY(storeFullRateCurve(db, serial, ramp(serial)));
    // Stored again, a test's curve replaces the one before.
    QVERIFY(storeFullRateCurve(db, 4, ramp(40)));
    QCOMPARE(readFullRateCurve(db, 4).curve->size(), size_t(40));

    // Test 2 deleted: 3 and 4 move down with their curves, and nothing answers for 4 any more.
    QVERIFY(deleteFullRateCurve(db, 2));
    QVERIFY(closeFullRateGap(db, 2));
    QCOMPARE(readFullRateCurve(db, 1).curve->size(), size_t(1));
    QCOMPARE(readFullRateCurve(db, 2).curve->size(), size_t(3));
    QCOMPARE(readFullRateCurve(db, 3).curve->size(), size_t(40));
    QVERIFY(!readFullRateCurve(db, 4).curve);
    QVERIFY(readFullRateCurve(db, 4).error.isEmpty());

    QVERIFY(deleteAllFullRateCurves(db));
    for (int serial = 1; serial <= 3; ++serial) QVERIFY(!readFullRateCurve(db, serial).curve);
}

void TestFullRateCurve::batchWithoutTheTable() {
    // A batch stored before full-rate curves (or with the setting off) has none, and nothing to delete.
    TempAppDir dir;
    Database db(dir.file("batch.mdb"), Database::OpenMode::CreateIfMissing);
    const StoredFullRateCurve stored = readFullRateCurve(db, 1);
    QVERIFY(!stored.curve);
    QVERIFY(stored.error.isEmpty());
    QVERIFY(deleteFullRateCurve(db, 1));
    QVERIFY(deleteAllFullRateCurves(db));
    QVERIFY(closeFullRateGap(db, 1));
    QVERIFY(db.columns("test_fullrate").isEmpty());
}

void TestFullRateCurve::damagedBlobIsAnError() {
    TempAppDir dir;
    Database db(dir.file("batch.mdb"), Database::OpenMode::CreateIfMissing);
    QVERIFY(storeFullRateCurve(db, 1, ramp(3)));
    QVERIFY(db.exec("UPDATE test_fullrate SET curve = substr(curve, 1, 20)"));
    const StoredFullRateCurve stored = readFullRateCurve(db, 1);
    QVERIFY(!stored.curve);
    QVERIFY(!stored.error.isEmpty());
}

QTEST_GUILESS_MAIN(TestFullRateCurve)
#include "tst_fullratecurve.moc"
