#pragma once

#include "storage/Database.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace springtest {

// One reading of the test card as the acquisition loop took it, kept while a test records its full-rate
// curve. The load keeps its sign: the curve rows keep its magnitude, a reader that wants that takes it.
struct FullRateReading {
    float time_s = 0.0f;  // since the curve started
    float load = 0.0f;
    float displacement_mm = 0.0f;
    float deformation_mm = 0.0f;
    int stroke = 1;  // 1 forward, 2 return

    friend bool operator==(const FullRateReading&, const FullRateReading&) = default;
};

using FullRateCurve = std::vector<FullRateReading>;

// The curve as one blob, compact and independent of the machine it is read on:
//
//   offset 0   4 bytes   "SFRC"
//   offset 4   uint16    format version (1)
//   offset 6   uint16    number of fields F (5 in version 1)
//   offset 8   uint32    number of readings N
//   offset 12  F columns of N float32 each: time_s, load, displacement_mm, deformation_mm, stroke
//
// Every number is little-endian. A later version may append fields; a reader of version 1 takes the first
// five and skips the rest.
QByteArray encodeFullRateCurve(const FullRateCurve& curve);
// Nothing, with the reason in `error`, for a blob that is not such a curve (cut short, of a later version,
// of a length its header does not account for).
std::optional<FullRateCurve> decodeFullRateCurve(const QByteArray& blob, QString* error = nullptr);

// The full-rate curve of each test of a batch: table `test_fullrate` (`xuhao`, `curve`), one row per serial,
// apart from the result tables, so that batches made before it, and tests stored without it, stay as they
// are. It is made the first time such a curve is stored.

// Stores the curve of test `serial`, replacing what was stored for it. Call it inside the transaction that
// stores the test. False on a database error (see batch.lastError()).
bool storeFullRateCurve(Database& batch, int serial, const FullRateCurve& curve);

// What a batch holds for one test: a curve, none (no table, no row: the test replays from its curve rows),
// or an error for the operator (the file could not be read, or the blob is damaged).
struct StoredFullRateCurve {
    std::optional<FullRateCurve> curve;
    QString error;
};
StoredFullRateCurve readFullRateCurve(Database& batch, int serial);

// Forgets the curve of a deleted test, or of every test; a batch without the table has nothing to forget.
bool deleteFullRateCurve(Database& batch, int serial);
bool deleteAllFullRateCurves(Database& batch);

// Moves every curve stored above `deletedSerial` one serial down, as closeSerialGap does with the tests.
bool closeFullRateGap(Database& batch, int deletedSerial);

}  // namespace springtest
