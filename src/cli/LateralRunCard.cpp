#include "cli/LateralRunCard.h"

#include "measurement/CardSlot.h"
#include "measurement/TMotor.h"
#include "storage/Database.h"
#include "storage/Schemes.h"

namespace springtest {

std::optional<bool> batchSchemeIsAxial(const QString& batchPath) {
    Database db(batchPath);
    if (!db.isOpen()) return std::nullopt;
    // The batch's loader tests by the first scheme row; so is the card chosen.
    const auto rows = db.select(QStringLiteral("select scheme_type from %1")
                                    .arg(Database::quoteName(schemeTableName(SchemeTable::Standard))));
    if (!rows || rows->isEmpty()) return std::nullopt;
    return rows->first().toBool(QStringLiteral("scheme_type"));
}

void stopAllDrives(CardTables& cards) {
    for (int i = 0; i < cards.count; ++i)
        if (TMotor* motor = cards.cards[static_cast<size_t>(i)].motor.get()) motor->CommandStop();
}

}  // namespace springtest
