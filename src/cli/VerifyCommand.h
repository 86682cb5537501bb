#pragma once

#include <QStringList>

namespace springtest {

// `springtest verify`: a force verification of one card and gear on the live machine, stored in the scheme
// database and written as a report. Needs a QGuiApplication (the report's fonts).
int runVerifyCommand(const QString& applicationFolder, const QStringList& options);

}  // namespace springtest
