#pragma once

#include <QHash>
#include <QString>
#include <optional>

#include "storage/Database.h"

namespace springtest {

// The offset angle of each axial test of a lateral batch: table `test_offset_angle` (`xuhao`, `angle`), one
// row per serial, the angle as text (empty when the test's offset had no direction). Kept apart from the
// result tables, as the operator is, so that batches made before it stay readable; made the first time an
// axial test is stored. A lateral test has no row.

// Records the angle of test `serial`, replacing what was recorded for it. Call it inside the transaction
// that stores the test. False on a database error (see batch.lastError()).
bool storeTestOffsetAngle(Database& batch, int serial, const QString& text);

// Serial → angle text. A batch without the table gives an empty map. Nothing on a database error.
std::optional<QHash<int, QString>> readTestOffsetAngles(Database& batch);

// Forgets the angle of a deleted test, or of every test; a batch without the table has nothing to forget.
bool deleteTestOffsetAngle(Database& batch, int serial);
bool deleteAllTestOffsetAngles(Database& batch);

// Moves every angle recorded above `deletedSerial` one serial down, as closeSerialGap does with the tests.
bool closeOffsetAngleGap(Database& batch, int deletedSerial);

}  // namespace springtest
