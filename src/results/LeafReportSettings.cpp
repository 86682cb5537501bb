#include "results/LeafReportSettings.h"

#include "platform/ProfileFile.h"

#include <QDir>

namespace springtest {

namespace {

const QString kSection = QStringLiteral("报表设置");
const QString kStiffnessMethodKey = QStringLiteral("刚度计算方式");

// In the order of ReportField.
const std::array<QString, kReportFieldCount> kKeys{
    QStringLiteral("样品名称"),       QStringLiteral("样品编号"),       QStringLiteral("样品图号"),
    QStringLiteral("样品批号"),       QStringLiteral("样品序号"),       QStringLiteral("验证负荷(kN)"),
    QStringLiteral("U型栓夹距(mm)"),  QStringLiteral("检验标准"),       QStringLiteral("自由孤高标准值"),
    QStringLiteral("自由孤高误差值"), QStringLiteral("静载孤高标准值"), QStringLiteral("静载孤高误差值"),
    QStringLiteral("刚度标准值"),     QStringLiteral("刚度误差值"),     QStringLiteral("永久变形标准值"),
    QStringLiteral("永久变形误差值"),
};

}  // namespace

QString reportSettingsPath(const QString& applicationFolder) {
    return QDir(applicationFolder).filePath(QStringLiteral("Report.ini"));
}

QString reportFieldKey(ReportField field) {
    return kKeys[static_cast<size_t>(field)];
}

LeafReportSettings readLeafReportSettings(const QString& applicationFolder) {
    const ProfileSnapshot ini = ProfileFile(reportSettingsPath(applicationFolder)).snapshot();
    LeafReportSettings settings;
    for (size_t k = 0; k < kKeys.size(); ++k)
        settings.texts[k] = ini.readString(kSection, kKeys[k], QString());
    settings.stiffnessMethod = ini.readInt(kSection, kStiffnessMethodKey, 0);
    return settings;
}

bool writeLeafReportSettings(const QString& applicationFolder, const LeafReportSettings& settings,
                             QString* error) {
    QList<ProfileSetting> writes;
    for (size_t k = 0; k < kKeys.size(); ++k) writes.append({kSection, kKeys[k], settings.texts[k]});
    writes.append({kSection, kStiffnessMethodKey, QString::number(settings.stiffnessMethod)});
    return ProfileFile(reportSettingsPath(applicationFolder)).writeSettings(writes, error);
}

}  // namespace springtest
