#include "storage/TestOperator.h"

#include "platform/OperatorIdentity.h"

namespace springtest {

namespace {

const QString kTable = QStringLiteral("test_operator");

bool hasTable(Database& batch) {
    return !batch.columns(kTable).isEmpty();
}

}  // namespace

bool storeTestOperator(Database& batch, int serial, const QString& operatorName) {
    // Created on the way, inside the storing transaction: a test whose operator cannot be kept is not kept
    // either.
    if (!batch.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS test_operator "
                                   "(xuhao INTEGER NOT NULL, operator_name TEXT)")) ||
        !batch.exec(QStringLiteral(
            "CREATE UNIQUE INDEX IF NOT EXISTS test_operator_by_test ON test_operator (xuhao)")))
        return false;
    return batch.exec(
        QStringLiteral("INSERT OR REPLACE INTO test_operator (xuhao, operator_name) VALUES (?, ?)"),
        {serial, operatorName});
}

std::optional<QHash<int, QString>> readTestOperators(Database& batch) {
    QHash<int, QString> operators;
    if (!hasTable(batch)) return operators;
    const auto rows = batch.select(QStringLiteral("SELECT xuhao, operator_name FROM test_operator"));
    if (!rows) return std::nullopt;
    for (const DbRow& row : *rows)
        operators.insert(row.toInt(QStringLiteral("xuhao")), row.text(QStringLiteral("operator_name")));
    return operators;
}

bool deleteTestOperator(Database& batch, int serial) {
    if (!hasTable(batch)) return true;
    return batch.exec(QStringLiteral("DELETE FROM test_operator WHERE xuhao = ?"), {serial});
}

bool deleteAllTestOperators(Database& batch) {
    if (!hasTable(batch)) return true;
    return batch.exec(QStringLiteral("DELETE FROM test_operator"));
}

bool closeOperatorGap(Database& batch, int deletedSerial) {
    if (!hasTable(batch)) return true;
    const auto later = batch.select(
        QStringLiteral("SELECT xuhao FROM test_operator WHERE xuhao > ? ORDER BY xuhao"), {deletedSerial});
    if (!later) return false;
    // One by one upward, so that no two rows ever share a serial on the way.
    for (const DbRow& row : *later) {
        if (!batch.exec(QStringLiteral("UPDATE test_operator SET xuhao = xuhao - 1 WHERE xuhao = ?"),
                        {row.value(QStringLiteral("xuhao"))}))
            return false;
    }
    return true;
}

}  // namespace springtest
