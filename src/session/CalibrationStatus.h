#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace springtest {

struct CardTables;

// The calibration record of the machine in an application folder, as the about window, the data panel and
// the console's start show it.

// Gears 1…Gear_Total of each card in use.
QList<int> gearTotalsOf(const CardTables& cards);

// One line per card and gear: "卡1 1档：上次标定 2026-04-08, 上次检定 2025-02-20". When the record cannot be
// read, one line that says why.
QStringList calibrationRecordLines(const QString& applicationFolder, const QList<int>& gearTotals);

// The record of one gear of one card (card from 0), or why it cannot be read.
QString gearCalibrationText(const QString& applicationFolder, int card, int gear);

// The reminder shown at the console's start when a gear's verification is older than the interval of the
// machine configuration; empty when every verification is in time (or the record cannot be read: the start
// is no place to complain about the trail, the about window says it).
QString verificationReminder(const QString& applicationFolder, const QList<int>& gearTotals,
                             const QDate& today);

}  // namespace springtest
