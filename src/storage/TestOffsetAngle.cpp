#include "storage/TestOffsetAngle.h"

namespace springtest {

namespace {

const QString kTable = QStringLiteral("test_offset_angle");

bool hasTable(Database& batch) {
    return !batch.columns(kTable).isEmpty();
}

}  // namespace

bool storeTestOffsetAngle(Database& batch, int serial, const QString& text) {
    // Created inside the storing transaction: a test whose angle cannot be kept is not kept either.
    if (!batch.exec(QStringLiteral(
            "CREATE TABLE IF NOT EXISTS test_offset_angle (xuhao INTEGER PRIMARY KEY, angle TEXT)")))
        return false;
    return batch.exec(QStringLiteral("INSERT OR REPLACE INTO test_offset_angle (xuhao, angle) VALUES (?, ?)"),
                      {serial, text});
}

std::optional<QHash<int, QString>> readTestOffsetAngles(Database& batch) {
    QHash<int, QString> angles;
    if (!hasTable(batch)) return angles;
    const auto rows = batch.select(QStringLiteral("SELECT xuhao, angle FROM test_offset_angle"));
    if (!rows) return std::nullopt;
    for (const DbRow& row : *rows)
        angles.insert(row.toInt(QStringLiteral("xuhao")), row.text(QStringLiteral("angle")));
    return angles;
}

bool deleteTestOffsetAngle(Database& batch, int serial) {
    if (!hasTable(batch)) return true;
    return batch.exec(QStringLiteral("DELETE FROM test_offset_angle WHERE xuhao = ?"), {serial});
}

bool deleteAllTestOffsetAngles(Database& batch) {
    if (!hasTable(batch)) return true;
    return batch.exec(QStringLiteral("DELETE FROM test_offset_angle"));
}

bool closeOffsetAngleGap(Database& batch, int deletedSerial) {
    if (!hasTable(batch)) return true;
    const auto later =
        batch.select(QStringLiteral("SELECT xuhao FROM test_offset_angle WHERE xuhao > ? ORDER BY xuhao"),
                     {deletedSerial});
    if (!later) return false;
    // One by one upward, so that no two rows ever share a serial on the way.
    for (const DbRow& row : *later) {
        if (!batch.exec(QStringLiteral("UPDATE test_offset_angle SET xuhao = xuhao - 1 WHERE xuhao = ?"),
                        {row.value(QStringLiteral("xuhao"))}))
            return false;
    }
    return true;
}

}  // namespace springtest
