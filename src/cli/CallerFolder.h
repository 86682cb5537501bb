#pragma once

#include <QString>

namespace springtest {

// The program makes the application folder its working directory, yet a file named on the command line is
// the caller's: "run --batch ./A1.mdb" means A1.mdb where the operator stands. main() records the folder
// the program was started in before it leaves it; until then (unit tests) it is the working directory.
void rememberCallerFolder(const QString& folder);
// A path from the command line, absolute: as given when it is absolute, else from the caller's folder.
QString callerPath(const QString& path);

}  // namespace springtest
