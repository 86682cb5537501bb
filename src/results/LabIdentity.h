#pragma once

#include <QString>

namespace springtest {

// The testing laboratory as its reports name it at the top: kept with the other report settings in
// "Report.ini" (section "报表设置", keys "实验室名称" and "实验室地址"). Missing keys read as empty: the
// report then leaves the lines out.
struct LabIdentity {
    QString name;
    QString address;
};

LabIdentity readLabIdentity(const QString& applicationFolder);
// Writes both keys, leaving every other setting of the file as it is. False, with the reason in `error`,
// when the file could not be written.
bool writeLabIdentity(const QString& applicationFolder, const LabIdentity& lab, QString* error = nullptr);

}  // namespace springtest
