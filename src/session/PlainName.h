#pragma once

#include <QString>

namespace springtest {

// Names an operator gives (accounts, schemes) become keys of INI files, rows of lists and lines of reports:
// a line break would split the key or the line, and a control character shows as nothing or as garbage.
// True when the name holds neither.
bool isPlainName(const QString& name);

}  // namespace springtest
