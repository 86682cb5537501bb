#pragma once

#include "results/LeafReportSettings.h"
#include "results/ReportExport.h"
#include "storage/Database.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace springtest {

// The leaf-spring test record ("性能试验记录"): one test of a leaf-spring batch on the record sheet (sheet 3
// of its template), with the sample's description from "Report.ini", the measurements at every test point
// and the four judged quantities — free arc height, arc height under static load, stiffness and permanent
// set — each with its nominal value ± tolerance, its value and the verdict "合格" or "不合格".
//
// A quantity the test did not give (a value stored empty, or a point count without a static-load point)
// is marked "/" with the verdict "/" rather than judged as 0: a spring is never failed, nor passed, on a
// number nobody measured.

inline const QString kRecordTemplate = QStringLiteral("性能试验记录.xltx");
inline const QString kPass = QStringLiteral("合格");
inline const QString kFail = QStringLiteral("不合格");
inline const QString kNotJudged = QStringLiteral("/");
// The size of the curve picture that fits the record sheet's picture area (A9 to the end of row 29).
inline constexpr int kRecordPictureWidth_px = 720;
inline constexpr int kRecordPictureHeight_px = 390;

// Nominal − tolerance < value < nominal + tolerance, both bounds excluded, in single precision as the
// record holds its numbers.
QString leafVerdict(float value, float nominal, float tolerance);

struct RecordCell {
    int row = 0;
    int column = 0;
    QString text;
    bool operator==(const RecordCell&) const = default;
};

struct RecordJudgement {
    QString value;    // as written: "#0.00", the stored free arc height, or "/"
    QString verdict;  // kPass, kFail or kNotJudged
};

struct LeafTestRecord {
    QList<RecordCell> cells;  // in writing order; a later cell wins over an earlier one at the same place
    RecordJudgement freeArcHeight;
    RecordJudgement staticArcHeight;
    RecordJudgement stiffness;  // empty when the stiffness method is none of the three
    RecordJudgement permanentSet;
};

// The record of one stored test: `scheme` is the batch's `GBTH_information` row, `result` the test's
// `gbth_result` row. Nothing, with the reason in `error`, when a value the record must compute cannot be
// (the stiffness points' deformations average to zero).
std::optional<LeafTestRecord> makeLeafTestRecord(const LeafReportSettings& settings, const DbRow& scheme,
                                                 const DbRow& result, QString* error = nullptr);

// The record of test `serial` of the leaf-spring batch at `batchPath`, read from the batch, filled into the
// request's template (kRecordTemplate) with the curve picture at A9 when one is given, saved under the
// report folder and handed to the request's opener. Messages as the other exports: kNoResultsToExport for a
// batch without results, kExportFailed with the reason for every failure on the way.
ExportOutcome exportLeafTestRecord(const ExportRequest& request, const QString& batchPath, int serial,
                                   const QByteArray& chartPng);

}  // namespace springtest
