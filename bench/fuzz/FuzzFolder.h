#pragma once

#include <QDir>
#include <QString>
#include <QTemporaryDir>

namespace springtest::fuzz {

// A folder for the files an input is written to, kept for the whole run. In memory where the machine has
// /dev/shm: every profile write syncs its file to the disk, and a real disk would make that the whole cost
// of an input.
inline const QTemporaryDir& scratchFolder() {
    static const QTemporaryDir folder(
        (QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath()) +
        QStringLiteral("/springtest-fuzz-XXXXXX"));
    return folder;
}

}  // namespace springtest::fuzz
