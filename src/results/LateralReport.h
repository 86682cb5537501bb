#pragma once

#include "results/ReportExport.h"
#include "storage/Database.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace springtest {

// The lateral-stiffness machine's test report on "report_HXGD.xltx": one test with its points, each beside
// its target and band, the load curve's picture above the table. A one-stroke scheme's test fills the
// sheet laid out for one stroke (2), a two-stroke scheme's the sheet with forward and return side by side
// (3). A measured value outside its band (limits included in it) is shown red.

inline const QString kLateralReportTemplate = QStringLiteral("report_HXGD.xltx");
inline constexpr int kLateralOneStrokeSheet = 2;
inline constexpr int kLateralTwoStrokeSheet = 3;
inline constexpr int kLateralFirstPointRow = 36;  // point i on row 35 + i
inline const QString kLateralPictureCell = QStringLiteral("A10");
// The picture that fills the report's curve area (A10 to the end of row 33).
inline constexpr int kLateralPictureWidth_px = 720;
inline constexpr int kLateralPictureHeight_px = 440;
inline constexpr int kRedFont = 255;

struct LateralReportCell {
    int row = 0;
    int column = 0;
    QString field;  // the stored field the text comes from ("result1", "date"), or empty for a label
    QString text;
    bool red = false;
    bool operator==(const LateralReportCell&) const = default;
};

struct LateralReport {
    int sheet = kLateralOneStrokeSheet;
    QList<LateralReportCell> cells;
};

// The units the report's column titles name.
struct LateralReportUnits {
    QString load = QStringLiteral("N");
    QString displacement = QStringLiteral("mm");
};

// The report of one test: `scheme` the batch's scheme row, `forward` the test's forward (or only) result
// row, `back` its return row when the test has one. `operatorName` and `offsetAngle` (the axial test's
// offset angle as stored, empty when there is none) go into its head.
LateralReport makeLateralReport(const DbRow& scheme, const DbRow& forward, const std::optional<DbRow>& back,
                                const LateralReportUnits& units, const QString& operatorName,
                                const QString& offsetAngle);

// Outside the band from `min` to `max`, both included; a limit not given bounds nothing, and a value that
// is no number is not judged.
bool outsideBand(const QString& value, const QString& min, const QString& max);

// Fills the report of test `serial` of the lateral batch at `batchPath` into the request's template
// (kLateralReportTemplate), places `chartPng` at A10 when given, shows the report sheet alone, saves it and
// hands it to the opener. kNoResultsToExport for a batch without results; kExportFailed with the reason for
// every failure on the way.
ExportOutcome exportLateralReport(const ExportRequest& request, const QString& batchPath, int serial,
                                  const QByteArray& chartPng);

}  // namespace springtest
