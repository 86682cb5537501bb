#pragma once

#include <QString>

#include <array>

namespace springtest {

// The leaf-spring test record's settings, kept in "Report.ini" in the application folder, section "报表设置":
// the sample's description and, for each of the four judged quantities, its nominal value and tolerance.
// Every text is kept exactly as typed (numbers are not checked here); the record reads them as numbers where
// it judges.
enum class ReportField {
    SampleName,
    SampleNumber,
    DrawingNumber,
    BatchNumber,
    SampleSerial,
    ProofLoad_kN,
    UBoltSpan_mm,
    InspectionStandard,
    FreeArcNominal,
    FreeArcTolerance,
    StaticArcNominal,
    StaticArcTolerance,
    StiffnessNominal,
    StiffnessTolerance,
    SetNominal,
    SetTolerance,
};
inline constexpr int kReportFieldCount = 16;

// How the record computes the stiffness.
enum class StiffnessMethod { SinglePoint = 0, TwoPoint = 1, None = 2 };

struct LeafReportSettings {
    std::array<QString, kReportFieldCount> texts;
    int stiffnessMethod = 0;  // as stored; StiffnessMethod for 0 to 2

    QString& operator[](ReportField field) { return texts[static_cast<size_t>(field)]; }
    const QString& operator[](ReportField field) const { return texts[static_cast<size_t>(field)]; }
    bool operator==(const LeafReportSettings&) const = default;
};

// "Report.ini" in the application folder.
QString reportSettingsPath(const QString& applicationFolder);
// The key of a field in "Report.ini" ("样品名称", "自由孤高标准值" …).
QString reportFieldKey(ReportField field);

// A missing file, section or key reads as empty text, and the stiffness method as 0.
LeafReportSettings readLeafReportSettings(const QString& applicationFolder);
// Writes all seventeen keys in one replacement of the file. False, with the reason in `error`, when the file
// could not be written; it is then left as it was.
bool writeLeafReportSettings(const QString& applicationFolder, const LeafReportSettings& settings,
                             QString* error = nullptr);

}  // namespace springtest
