#pragma once

#include <QHash>
#include <QString>
#include <optional>

#include "storage/Database.h"

namespace springtest {

// The operator who ran each test of a batch: table `test_operator` (`xuhao`, `operator_name`), one row per
// serial, kept apart from the result tables so that batches made before it stay readable as they are. It is
// made the first time a test is stored into a batch.

// Records who ran the test `serial`, replacing what was recorded for that serial; an empty name records the
// operator working the program now (currentOperatorName). Call it inside the transaction that stores the
// test. False on a database error (see batch.lastError()).
bool storeTestOperator(Database& batch, int serial, const QString& operatorName);

// Serial → operator. A batch without the table gives an empty map: its tests name no operator. Nothing on
// a database error.
std::optional<QHash<int, QString>> readTestOperators(Database& batch);

// Forgets the operator of a deleted test, or of every test; a batch without the table has nothing to forget.
bool deleteTestOperator(Database& batch, int serial);
bool deleteAllTestOperators(Database& batch);

// Moves every operator recorded above `deletedSerial` one serial down, as closeSerialGap does with the tests.
bool closeOperatorGap(Database& batch, int deletedSerial);

}  // namespace springtest
