#pragma once

#include <QString>

#include "storage/Batch.h"
#include "storage/Database.h"

namespace springtest::testing {

// What a storer does to a batch, reduced to the numbering: `tests` tests of two strokes each, each numbered
// inside the transaction that stores it. An empty text when all were stored, else why not.
inline QString storeNumberedTests(const QString& file, int tests) {
    Database batch(file);
    if (!batch.isOpen()) return batch.lastError();
    for (int i = 0; i < tests; ++i) {
        Transaction tx(batch);
        if (!tx.isActive()) return batch.lastError();
        QString error;
        const std::optional<int> serial = nextSerial(batch, ResultTable::Standard, error);
        if (!serial) return error;
        for (const QString& stroke : {QStringLiteral("进"), QStringLiteral("回")}) {
            if (!batch.insertRow(QStringLiteral("test_result"),
                                 {{"xuhao", *serial}, {"jinhuicheng", stroke}}))
                return batch.lastError();
        }
        if (!tx.commit()) return batch.lastError();
    }
    return {};
}

}  // namespace springtest::testing
