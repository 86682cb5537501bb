#include "storage/FullRateCurve.h"

#include <QtEndian>

#include <bit>
#include <cstdint>

namespace springtest {

namespace {

const QString kTable = QStringLiteral("test_fullrate");
constexpr char kMagic[4] = {'S', 'F', 'R', 'C'};
constexpr quint16 kVersion = 1;
constexpr quint16 kFields = 5;
constexpr qsizetype kHeaderBytes = 12;

bool hasTable(Database& batch) {
    return !batch.columns(kTable).isEmpty();
}

void putFloat(uchar* at, float value) {
    qToLittleEndian<quint32>(std::bit_cast<quint32>(value), at);
}

float takeFloat(const uchar* at) {
    return std::bit_cast<float>(qFromLittleEndian<quint32>(at));
}

// The value of field `field` of every reading, one column after the other.
float fieldOf(const FullRateReading& r, int field) {
    switch (field) {
        case 0:
            return r.time_s;
        case 1:
            return r.load;
        case 2:
            return r.displacement_mm;
        case 3:
            return r.deformation_mm;
        default:
            return static_cast<float>(r.stroke);
    }
}

}  // namespace

QByteArray encodeFullRateCurve(const FullRateCurve& curve) {
    const auto count = static_cast<qsizetype>(curve.size());
    QByteArray blob(kHeaderBytes + kFields * count * 4, Qt::Uninitialized);
    auto* out = reinterpret_cast<uchar*>(blob.data());
    std::copy(std::begin(kMagic), std::end(kMagic), out);
    qToLittleEndian<quint16>(kVersion, out + 4);
    qToLittleEndian<quint16>(kFields, out + 6);
    qToLittleEndian<quint32>(static_cast<quint32>(count), out + 8);
    uchar* at = out + kHeaderBytes;
    for (int field = 0; field < kFields; ++field) {
        for (const FullRateReading& r : curve) {
            putFloat(at, fieldOf(r, field));
            at += 4;
        }
    }
    return blob;
}

std::optional<FullRateCurve> decodeFullRateCurve(const QByteArray& blob, QString* error) {
    const auto fail = [error](const QString& why) -> std::optional<FullRateCurve> {
        if (error) *error = why;
        return std::nullopt;
    };
    if (blob.size() < kHeaderBytes || !std::equal(std::begin(kMagic), std::end(kMagic), blob.constData()))
        return fail(QStringLiteral("the full-rate curve is not in a known form"));
    const auto* in = reinterpret_cast<const uchar*>(blob.constData());
    const quint16 version = qFromLittleEndian<quint16>(in + 4);
    const quint16 fields = qFromLittleEndian<quint16>(in + 6);
    const quint32 count = qFromLittleEndian<quint32>(in + 8);
    if (version != kVersion || fields < kFields)
        return fail(QStringLiteral("the full-rate curve was written by a later version (%1)").arg(version));
    // Formed in 64 bits: a damaged count must not wrap round to the length at hand.
    const qint64 expected = kHeaderBytes + qint64(fields) * qint64(count) * 4;
    if (expected != blob.size())
        return fail(QStringLiteral("the full-rate curve is damaged: %1 bytes for %2 readings")
                        .arg(blob.size())
                        .arg(count));
    FullRateCurve curve(count);
    const auto column = [&](int field) { return in + kHeaderBytes + qsizetype(field) * count * 4; };
    for (quint32 i = 0; i < count; ++i) {
        FullRateReading& r = curve[i];
        r.time_s = takeFloat(column(0) + i * 4);
        r.load = takeFloat(column(1) + i * 4);
        r.displacement_mm = takeFloat(column(2) + i * 4);
        r.deformation_mm = takeFloat(column(3) + i * 4);
        r.stroke = static_cast<int>(takeFloat(column(4) + i * 4));
    }
    return curve;
}

bool storeFullRateCurve(Database& batch, int serial, const FullRateCurve& curve) {
    // Created on the way, inside the storing transaction: a test whose curve cannot be kept is not kept
    // either.
    if (!batch.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS test_fullrate "
                                   "(xuhao INTEGER NOT NULL, curve BLOB)")) ||
        !batch.exec(QStringLiteral(
            "CREATE UNIQUE INDEX IF NOT EXISTS test_fullrate_by_test ON test_fullrate (xuhao)")))
        return false;
    return batch.exec(QStringLiteral("INSERT OR REPLACE INTO test_fullrate (xuhao, curve) VALUES (?, ?)"),
                      {serial, encodeFullRateCurve(curve)});
}

StoredFullRateCurve readFullRateCurve(Database& batch, int serial) {
    if (!hasTable(batch)) return {};
    const auto rows =
        batch.select(QStringLiteral("SELECT curve FROM test_fullrate WHERE xuhao = ?"), {serial});
    if (!rows) return {std::nullopt, batch.lastError()};
    if (rows->isEmpty()) return {};
    QString error;
    std::optional<FullRateCurve> curve =
        decodeFullRateCurve(rows->first().value(QStringLiteral("curve")).toByteArray(), &error);
    return {std::move(curve), error};
}

bool deleteFullRateCurve(Database& batch, int serial) {
    if (!hasTable(batch)) return true;
    return batch.exec(QStringLiteral("DELETE FROM test_fullrate WHERE xuhao = ?"), {serial});
}

bool deleteAllFullRateCurves(Database& batch) {
    if (!hasTable(batch)) return true;
    return batch.exec(QStringLiteral("DELETE FROM test_fullrate"));
}

bool closeFullRateGap(Database& batch, int deletedSerial) {
    if (!hasTable(batch)) return true;
    const auto later = batch.select(
        QStringLiteral("SELECT xuhao FROM test_fullrate WHERE xuhao > ? ORDER BY xuhao"), {deletedSerial});
    if (!later) return false;
    // One by one upward, so that no two rows ever share a serial on the way.
    for (const DbRow& row : *later) {
        if (!batch.exec(QStringLiteral("UPDATE test_fullrate SET xuhao = xuhao - 1 WHERE xuhao = ?"),
                        {row.value(QStringLiteral("xuhao"))}))
            return false;
    }
    return true;
}

}  // namespace springtest
