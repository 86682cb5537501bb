#include "results/LabIdentity.h"

#include "platform/ProfileFile.h"
#include "results/LeafReportSettings.h"

namespace springtest {

namespace {

const QString kSection = QStringLiteral("报表设置");
const QString kNameKey = QStringLiteral("实验室名称");
const QString kAddressKey = QStringLiteral("实验室地址");

}  // namespace

LabIdentity readLabIdentity(const QString& applicationFolder) {
    const ProfileSnapshot ini = ProfileFile(reportSettingsPath(applicationFolder)).snapshot();
    return {ini.readString(kSection, kNameKey, QString()).trimmed(),
            ini.readString(kSection, kAddressKey, QString()).trimmed()};
}

bool writeLabIdentity(const QString& applicationFolder, const LabIdentity& lab, QString* error) {
    return ProfileFile(reportSettingsPath(applicationFolder))
        .writeSettings({{kSection, kNameKey, lab.name}, {kSection, kAddressKey, lab.address}}, error);
}

}  // namespace springtest
