#include "results/LeafTestRecord.h"

#include "platform/ProfileFile.h"
#include "storage/Schemes.h"
#include "workbook/Workbook.h"

#include <QFileInfo>

namespace springtest {

namespace {

constexpr int kRecordSheet = 3;
constexpr int kPointRowBase = 31;  // test point i is on row 31 + i
const QString kPictureCell = QStringLiteral("A9");
const QString kPlusMinus = QStringLiteral("±");

// Where the record's points are: the static-load point, the single-point stiffness point and the second
// point of the two-point stiffness (the first is point 1). Only three- and five-point schemes have them.
struct KeyPoints {
    int staticLoad;
    int singleStiffness;
    int lastStiffness;
};
std::optional<KeyPoints> keyPoints(int count) {
    if (count == 3) return KeyPoints{2, 2, 3};
    if (count == 5) return KeyPoints{3, 3, 5};
    return std::nullopt;
}

// A setting read as a number where the record judges: a text that is none counts as 0.
float settingNumber(const LeafReportSettings& settings, ReportField field) {
    return parseProfileFloat(settings[field]).value_or(0.0f);
}

QString band(const LeafReportSettings& settings, ReportField nominal, ReportField tolerance) {
    return settings[nominal] + kPlusMinus + settings[tolerance];
}

// A stored measurement; nothing when the test did not give it (empty, or not a number).
std::optional<float> measured(const DbRow& row, const QString& column) {
    if (row.isEmpty(column)) return std::nullopt;
    return parseProfileFloat(row.text(column));
}

QString twoDecimals(float value) {
    QString text = QString::number(static_cast<double>(value), 'f', 2);
    if (text == QLatin1String("-0.00")) text = QStringLiteral("0.00");
    return text;
}

QString resultColumn(int stroke, int point) {
    return QStringLiteral("result%1-%2").arg(stroke).arg(point);
}

QString staticArcColumn(int stroke, int point) {
    return QStringLiteral("jingzai_height%1-%2").arg(stroke).arg(point);
}

// The mean of the forward and return measurement at a point; nothing when either is missing.
std::optional<float> strokeMean(const DbRow& result, int point) {
    const auto forward = measured(result, resultColumn(1, point));
    const auto back = measured(result, resultColumn(2, point));
    if (!forward || !back) return std::nullopt;
    return (*forward + *back) / 2;
}

class RecordWriter {
public:
    explicit RecordWriter(LeafTestRecord& record) : m_record(record) {}
    void put(int row, int column, const QString& text) { m_record.cells.append({row, column, text}); }
    // Writes a judged quantity into its value and verdict cells.
    void judge(RecordJudgement& judgement, int row, const std::optional<float>& value, float nominal,
               float tolerance, const QString& valueText) {
        judgement.value = value ? valueText : kNotJudged;
        judgement.verdict = value ? leafVerdict(*value, nominal, tolerance) : kNotJudged;
        put(row, 6, judgement.value);
        put(row, 9, judgement.verdict);
    }

private:
    LeafTestRecord& m_record;
};

}  // namespace

QString leafVerdict(float value, float nominal, float tolerance) {
    const float low = nominal - tolerance;
    const float high = nominal + tolerance;
    return low < value && value < high ? kPass : kFail;
}

std::optional<LeafTestRecord> makeLeafTestRecord(const LeafReportSettings& s, const DbRow& scheme,
                                                 const DbRow& result, QString* error) {
    LeafTestRecord record;
    RecordWriter w(record);
    const ReportField description[] = {ReportField::SampleName,    ReportField::SampleNumber,
                                       ReportField::DrawingNumber, ReportField::ProofLoad_kN,
                                       ReportField::BatchNumber,   ReportField::UBoltSpan_mm,
                                       ReportField::SampleSerial,  ReportField::InspectionStandard};
    for (int k = 0; k < 8; ++k) w.put(2 + k / 2, k % 2 == 0 ? 3 : 8, s[description[k]]);

    const int count = std::clamp(scheme.toInt(QStringLiteral("scheme_sum")), 0, kSchemePoints);
    for (int i = 1; i <= count; ++i) {
        const int row = kPointRowBase + i;
        w.put(row, 2, scheme.text(schemePointColumn(i)));
        w.put(row, 4, result.text(resultColumn(1, i)));
        w.put(row, 5, result.text(resultColumn(2, i)));
        w.put(row, 8, result.text(staticArcColumn(1, i)));
        w.put(row, 9, result.text(staticArcColumn(2, i)));
    }

    // The judgement block comes after the points, so that it stays whole even where a ten-point scheme's
    // last point shares its first row.
    w.put(41, 4, band(s, ReportField::FreeArcNominal, ReportField::FreeArcTolerance));
    w.put(42, 4, band(s, ReportField::StaticArcNominal, ReportField::StaticArcTolerance));
    w.put(44, 4, band(s, ReportField::SetNominal, ReportField::SetTolerance));

    const std::optional<KeyPoints> keys = keyPoints(count);

    std::optional<float> freeArc = measured(result, QStringLiteral("ziyou_height"));
    w.judge(record.freeArcHeight, 41, freeArc, settingNumber(s, ReportField::FreeArcNominal),
            settingNumber(s, ReportField::FreeArcTolerance), result.text(QStringLiteral("ziyou_height")));

    std::optional<float> staticArc;
    if (keys) {
        const auto forward = measured(result, staticArcColumn(1, keys->staticLoad));
        const auto back = measured(result, staticArcColumn(2, keys->staticLoad));
        if (forward && back) staticArc = (*forward + *back) / 2;
    }
    w.judge(record.staticArcHeight, 42, staticArc, settingNumber(s, ReportField::StaticArcNominal),
            settingNumber(s, ReportField::StaticArcTolerance),
            staticArc ? twoDecimals(*staticArc) : QString());

    if (keys) {
        const auto method = s.stiffnessMethod;
        if (method == static_cast<int>(StiffnessMethod::None)) {
            record.stiffness = {kNotJudged, kNotJudged};
            w.put(43, 4, kNotJudged);
            w.put(43, 6, kNotJudged);
            w.put(43, 9, kNotJudged);
        } else if (method == static_cast<int>(StiffnessMethod::SinglePoint) ||
                   method == static_cast<int>(StiffnessMethod::TwoPoint)) {
            w.put(43, 4, band(s, ReportField::StiffnessNominal, ReportField::StiffnessTolerance));
            const bool single = method == static_cast<int>(StiffnessMethod::SinglePoint);
            const int b = single ? keys->singleStiffness : keys->lastStiffness;
            const auto loadB = parseProfileFloat(scheme.text(schemePointColumn(b)));
            const auto meanB = strokeMean(result, b);
            std::optional<float> loadA = 0.0f, meanA = 0.0f;
            if (!single) {
                loadA = parseProfileFloat(scheme.text(schemePointColumn(1)));
                meanA = strokeMean(result, 1);
            }
            std::optional<float> stiffness;
            if (loadA && loadB && meanA && meanB) {
                const float deflection = *meanB - *meanA;
                if (deflection == 0.0f) {
                    if (error)
                        *error = QStringLiteral(
                            "the stiffness cannot be computed: the deformations at its points "
                            "average to the same value");
                    return std::nullopt;
                }
                // Loads in kN and deformations in mm: the stiffness in N/mm.
                stiffness = (*loadB - *loadA) * 1000.0f / deflection;
            }
            w.judge(record.stiffness, 43, stiffness, settingNumber(s, ReportField::StiffnessNominal),
                    settingNumber(s, ReportField::StiffnessTolerance),
                    stiffness ? twoDecimals(*stiffness) : QString());
        }
    }

    std::optional<float> permanentSet;
    if (const auto after = measured(result, QStringLiteral("yahou_height")); freeArc && after)
        permanentSet = *freeArc - *after;
    w.judge(record.permanentSet, 44, permanentSet, settingNumber(s, ReportField::SetNominal),
            settingNumber(s, ReportField::SetTolerance),
            permanentSet ? twoDecimals(*permanentSet) : QString());

    w.put(48, 9, result.text(QStringLiteral("date")));
    return record;
}

ExportOutcome exportLeafTestRecord(const ExportRequest& request, const QString& batchPath, int serial,
                                   const QByteArray& chartPng) {
    Database db(batchPath, Database::OpenMode::ExistingMaybeReadOnly);
    if (!db.isOpen()) return exportFailed(db.lastError());
    const auto any = db.select(QStringLiteral("select xuhao from gbth_result limit 1"));
    if (!any) return exportFailed(db.lastError());
    if (any->isEmpty()) return {kNoResultsToExport.toString(), {}, {}};
    const auto results = db.select(
        QStringLiteral("select * from gbth_result where xuhao = ? order by rowid limit 1"), {serial});
    const auto schemes = db.select(QStringLiteral("select * from GBTH_information order by rowid limit 1"));
    if (!results || !schemes) return exportFailed(db.lastError());
    if (results->isEmpty()) return exportFailed(QStringLiteral("test %1 is not in this batch").arg(serial));
    if (schemes->isEmpty()) return exportFailed(QStringLiteral("the batch holds no scheme"));

    QString error;
    const std::optional<LeafTestRecord> record = makeLeafTestRecord(
        readLeafReportSettings(request.applicationFolder), schemes->first(), results->first(), &error);
    if (!record) return exportFailed(error);

    Workbook book;
    error = openReportTemplate(book, request);
    if (error.isEmpty()) error = book.activateSheet(kRecordSheet);
    for (const RecordCell& cell : record->cells) {
        if (!error.isEmpty()) break;
        error = book.setCellText(cell.row, cell.column, cell.text);
    }
    if (error.isEmpty() && !chartPng.isEmpty()) error = book.placePicture(kPictureCell, chartPng);
    if (!error.isEmpty()) return exportFailed(error);
    return saveAndShowReport(
        book, request,
        QFileInfo(batchPath).completeBaseName() + QStringLiteral("_性能试验记录_") + QString::number(serial));
}

}  // namespace springtest
